// One HTTP request as the sample bridge received it, and the reading of its head.
//
// A head is the request line and the header lines before the blank line. It is
// read strictly wherever a loose reading could misframe the body: the request
// line has exactly three fields and an HTTP/1.x version, every header has a
// name and a colon, continuation lines are refused, Content-Length is plain
// digits within `maximumBodySize` (repeated only with the same value), and a
// Transfer-Encoding is refused because no client of the bridge sends one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace SampleBridge {

// The head with its blank line, and the body, are bounded; a request past either gets 400.
inline constexpr std::size_t maximumHeadSize = 64 * 1024;
inline constexpr std::size_t maximumBodySize = 8 * 1024 * 1024;

struct Request {
    std::string method;
    std::string path; // the target as sent, query string included
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header of that name, compared case-insensitively.
    std::optional<std::string> header(std::string_view name) const;
    // The path without its query string: what routes and scripts match.
    std::string_view route() const;
};

struct Head {
    Request request; // without its body
    std::size_t contentLength = 0;
};

// Reads a head given without its closing blank line; nothing when it is malformed.
std::optional<Head> parseHead(std::string_view head);

} // namespace SampleBridge
