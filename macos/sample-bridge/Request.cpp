#include "sample-bridge/Request.h"

#include <algorithm>
#include <charconv>

namespace SampleBridge {

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The characters of a method or header name.
bool isToken(std::string_view text) {
    static constexpr std::string_view punctuation = "!#$%&'*+-.^_`|~";
    return !text.empty() && std::ranges::all_of(text, [](unsigned char c) {
        return std::isalnum(c) || punctuation.find(static_cast<char>(c)) != std::string_view::npos;
    });
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::size_t> parseLength(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool parseRequestLine(std::string_view line, Request& request) {
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first == std::string_view::npos ? first : first + 1);
    if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos)
        return false;
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, second - first - 1);
    const std::string_view version = line.substr(second + 1);
    if (!isToken(method) || !target.starts_with('/') ||
        (version != "HTTP/1.1" && version != "HTTP/1.0"))
        return false;
    request.method = method;
    request.path = target;
    return true;
}

} // namespace

std::optional<std::string> Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalIgnoringCase(key, name))
            return value;
    return std::nullopt;
}

std::string_view Request::route() const {
    return std::string_view(path).substr(0, path.find('?'));
}

std::optional<Head> parseHead(std::string_view text) {
    if (text.find_first_of(std::string_view("\0", 1)) != std::string_view::npos)
        return std::nullopt;
    Head head;
    std::optional<std::size_t> contentLength;
    std::size_t lineStart = 0;
    bool firstLine = true;
    while (lineStart <= text.size()) {
        const std::size_t lineEnd = std::min(text.find("\r\n", lineStart), text.size());
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        // A bare CR or LF could end a line for one reader and not another.
        if (line.find_first_of("\r\n") != std::string_view::npos)
            return std::nullopt;
        if (firstLine) {
            if (!parseRequestLine(line, head.request))
                return std::nullopt;
            firstLine = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
            return std::nullopt;
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalIgnoringCase(name, "transfer-encoding"))
            return std::nullopt;
        if (equalIgnoringCase(name, "content-length")) {
            const auto length = parseLength(value);
            if (!length || *length > maximumBodySize ||
                (contentLength && *contentLength != *length))
                return std::nullopt;
            contentLength = length;
        }
        head.request.headers.emplace_back(name, value);
    }
    head.contentLength = contentLength.value_or(0);
    return head;
}

} // namespace SampleBridge
