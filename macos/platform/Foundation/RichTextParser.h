// The plain string of an RTF document, as the platform's reader builds it.
//
// The parser keeps the document's text and drops its formatting: `\par`
// ends a paragraph with LF, `\line` is U+2028, `\tab` a tab, and the named
// special characters are their Unicode characters. `\u` characters are read
// with their `\uc` fallback skipped (a value that is no 16-bit unit, signed
// or not, is U+FFFD); `\'hh` bytes and raw bytes above ASCII decode through
// the document's code page. Groups that are not text (font and colour
// tables, document information, field instructions, headers, and every
// unknown "\*" group) are skipped, while field results and list text ("\t•\t"
// before an item, as the platform writes lists) are kept. Pictures and RTFD
// attachments stand as U+FFFC. Whatever the input, the text is valid UTF-8.
//
// It is one pass over the bytes with an explicit stack of groups, so it runs
// in time linear in its input. Group nesting is limited to `maxDepth`;
// numeric parameters saturate, and `\bin` never reaches past the end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation::RichTextParser {

constexpr std::size_t maxDepth = 512;

// The document's string; nothing when the bytes do not begin with "{\rtf" or nest groups deeper
// than `maxDepth`. Groups left open at the end count as closed.
std::optional<std::string> plainString(std::string_view rtf);

} // namespace Foundation::RichTextParser
