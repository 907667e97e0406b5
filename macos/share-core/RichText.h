// Rich text to plain text.
//
// RTF, RTFD packages and attributed strings become the plain text a Dossier
// item holds: attachment characters (U+FFFC) removed, line ends normalised to
// LF, and tab-indented list lines, as the platform writes lists ("\t•\titem",
// "\t\t2)\titem"), rewritten as Markdown list lines ("- item", "  2. item").
// Reading fails only by giving nothing.
#pragma once

#include <Foundation/AttributedString.h>
#include <Foundation/Data.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace RichText {

enum class Format { rtf, flatRTFD };

// The bytes read as `format`; flat RTFD, which nothing on Linux writes, never reads.
std::optional<std::string> plainText(Foundation::Bytes data, Format format);
// An RTF file, or an RTFD package when the path extension is "rtfd" (any letter case).
std::optional<std::string> plainText(const std::filesystem::path& contentsOf);
std::string plainText(const Foundation::AttributedString& string);

std::string listsAsMarkdown(std::string text);

} // namespace RichText
