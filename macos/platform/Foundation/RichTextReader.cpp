#include "RichTextReader.h"

#include "RichTextParser.h"

#include <Foundation/FileIO.h>

namespace Foundation {

std::optional<AttributedString> readRichText(Bytes data, RichTextType type) {
    if (type == RichTextType::rtfd)
        return std::nullopt;
    auto string = RichTextParser::plainString(textView(data));
    if (!string)
        return std::nullopt;
    return AttributedString(std::move(*string));
}

std::optional<AttributedString> readRichText(const std::filesystem::path& location,
                                             RichTextType type, std::size_t limit) {
    // A document reached through a link is read as a plain-text file is; a package's text is
    // its own file, never a link out of the package.
    const bool package = type == RichTextType::rtfd;
    const auto data = readFile(package ? location / "TXT.rtf" : location, limit,
                               package ? Links::Refuse : Links::Follow);
    if (!data)
        return std::nullopt;
    return readRichText(*data, RichTextType::rtf);
}

} // namespace Foundation
