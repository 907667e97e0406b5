// Finding where a run of plain RTF text ends.
//
// Most of a document is plain ASCII text between control words and braces.
// The run ends at a backslash, a brace, CR, LF, NUL or a byte above ASCII,
// each of which the parser handles one at a time. The scan tests sixteen
// bytes at a time, so it costs little against reading the file.
#pragma once

#include <cstddef>
#include <string_view>

namespace Foundation::RichTextScan {

// The position of the first byte at or after `at` that ends a run of plain text, or the size.
std::size_t plainRunEnd(std::string_view input, std::size_t at);

} // namespace Foundation::RichTextScan
