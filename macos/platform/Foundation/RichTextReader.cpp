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
    const auto file = type == RichTextType::rtfd ? location / "TXT.rtf" : location;
    const auto data = readFile(file, limit, Links::Refuse);
    if (!data)
        return std::nullopt;
    return readRichText(*data, RichTextType::rtf);
}

} // namespace Foundation
