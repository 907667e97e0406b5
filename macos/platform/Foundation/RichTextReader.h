// The attributed-string reader for rich-text documents.
//
// It reads RTF (`RichTextType::rtf`) and RTFD (`RichTextType::rtfd`), from
// bytes or from a file, into an attributed string whose string is the
// document's text (see RichTextParser.h for what that text holds).
//
// An RTFD document on disk is a package folder whose text is its "TXT.rtf";
// its other files are the attachments, which stand in the text as U+FFFC.
// RTFD as bytes is the platform's flat serialisation of such a folder, which
// nothing on Linux produces: it reads as nothing.
//
// Files are read only when they are regular files of at most `limit` bytes.
// An RTF file may be reached through a symbolic link; a package's "TXT.rtf"
// may not.
#pragma once

#include <Foundation/AttributedString.h>
#include <Foundation/Data.h>
#include <filesystem>
#include <optional>

namespace Foundation {

enum class RichTextType { rtf, rtfd };

std::optional<AttributedString> readRichText(Bytes data, RichTextType type);
std::optional<AttributedString> readRichText(const std::filesystem::path& location,
                                             RichTextType type, std::size_t limit);

} // namespace Foundation
