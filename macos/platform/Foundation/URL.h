// URL references parsed from text.
//
// `URL::parse` reads a text by the generic URL syntax: an optional scheme,
// an optional authority (user information, host, port) after "//", then path,
// query and fragment. As the platform's parser does, it percent-encodes the
// characters that may not stand in a URL (white space, angle brackets,
// quotes, non-ASCII bytes, a "%" without two hexadecimal digits, ...) in the
// user information, path, query and fragment, and in a host's non-ASCII
// bytes; so the absolute string never holds white space or angle brackets.
// An empty text, a host holding another forbidden character, or a port that
// is not all digits gives nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

class URL {
public:
    static std::optional<URL> parse(std::string_view text);

    // The whole URL as parsed, with the percent-encoding applied.
    const std::string& absoluteString() const { return m_absoluteString; }
    // The scheme as written, without its ":".
    const std::optional<std::string>& scheme() const { return m_scheme; }
    // The host in percent-encoded form, without the brackets of an IP literal; nothing when
    // there is no authority or its host is empty.
    const std::optional<std::string>& host() const { return m_host; }

    bool operator==(const URL& other) const { return m_absoluteString == other.m_absoluteString; }

private:
    URL() = default;

    std::string m_absoluteString;
    std::optional<std::string> m_scheme;
    std::optional<std::string> m_host;
};

} // namespace Foundation
