#include "FileURL.h"

#include <Foundation/Unicode.h>

namespace AppExtensions {

Foundation::URL fileURL(const std::filesystem::path& path) {
    // The parser percent-encodes what may not stand in a path; "%", "?" and "#" are encoded
    // first so that they stay part of the path.
    std::string text = "file://";
    for (char c : path.string()) {
        switch (c) {
        case '%':
            text += "%25";
            break;
        case '?':
            text += "%3F";
            break;
        case '#':
            text += "%23";
            break;
        default:
            text += c;
        }
    }
    return *Foundation::URL::parse(text);
}

std::optional<std::filesystem::path> filePath(const Foundation::URL& url) {
    if (!url.scheme() || Foundation::Unicode::lowercased(*url.scheme()) != "file" ||
        (url.host() && *url.host() != "localhost")) {
        return std::nullopt;
    }
    const std::string& text = url.absoluteString();
    std::size_t start = text.find("//");
    if (start == std::string::npos) {
        return std::nullopt;
    }
    start = text.find('/', start + 2);
    if (start == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t end = std::min(text.find('?', start), text.find('#', start));
    const std::size_t limit = std::min(end, text.size());
    using Foundation::Unicode::hexValue;
    std::string path;
    for (std::size_t i = start; i < limit; ++i) {
        if (text[i] == '%' && i + 2 < limit && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            path += text[i];
        }
    }
    if (path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return std::filesystem::path(path);
}

} // namespace AppExtensions
