#include "URL.h"

namespace Foundation {

namespace {

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isSubDelimiter(char c) {
    return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}

// Characters a path segment may hold besides percent-escapes.
bool isPathCharacter(char c) {
    return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@';
}

void appendEscaped(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

// Copies `part`, percent-encoding every byte `allowed` refuses and every "%" that does not start
// an escape.
template <class Allowed> std::string encoded(std::string_view part, Allowed allowed) {
    std::string out;
    out.reserve(part.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (c == '%' && i + 2 < part.size() && isHexDigit(part[i + 1]) && isHexDigit(part[i + 2]))
            out += c;
        else if (c != '%' && allowed(c))
            out += c;
        else
            appendEscaped(out, static_cast<unsigned char>(c));
    }
    return out;
}

// The scheme's length when the text begins with one followed by ":", else 0.
std::size_t schemeLength(std::string_view text) {
    if (text.empty() || !isAlpha(text[0]))
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return i;
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

// A registered name: its non-ASCII bytes are percent-encoded; any other forbidden byte fails.
std::optional<std::string> registeredName(std::string_view host) {
    std::string out;
    for (std::size_t i = 0; i < host.size(); ++i) {
        const char c = host[i];
        if (c == '%') {
            if (i + 2 >= host.size() || !isHexDigit(host[i + 1]) || !isHexDigit(host[i + 2]))
                return std::nullopt;
            out += c;
        } else if (isUnreserved(c) || isSubDelimiter(c)) {
            out += c;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            appendEscaped(out, static_cast<unsigned char>(c));
        } else {
            return std::nullopt;
        }
    }
    return out;
}

struct Authority {
    std::string text;
    std::string host;
};

std::optional<Authority> parseAuthority(std::string_view authority) {
    Authority result;
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        result.text = encoded(authority.substr(0, at), [](char c) {
            return isUnreserved(c) || isSubDelimiter(c) || c == ':';
        });
        result.text += '@';
        authority.remove_prefix(at + 1);
    }
    std::string_view port;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::string_view literal = authority.substr(1, close - 1);
        for (const char c : literal) {
            if (!isUnreserved(c) && !isSubDelimiter(c) && c != ':')
                return std::nullopt;
        }
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest[0] != ':')
            return std::nullopt;
        port = rest;
        result.host = std::string(literal);
        result.text += "[" + result.host + "]";
    } else {
        const std::size_t colon = authority.find(':');
        auto name = registeredName(authority.substr(0, colon));
        if (!name)
            return std::nullopt;
        if (colon != std::string_view::npos)
            port = authority.substr(colon);
        result.host = *name;
        result.text += *name;
    }
    if (!port.empty()) {
        for (const char c : port.substr(1)) {
            if (!isDigit(c))
                return std::nullopt;
        }
        result.text += port;
    }
    return result;
}

} // namespace

std::optional<URL> URL::parse(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    URL url;
    if (const std::size_t length = schemeLength(text)) {
        url.m_scheme = std::string(text.substr(0, length));
        url.m_absoluteString = *url.m_scheme + ":";
        text.remove_prefix(length + 1);
    }
    const std::size_t hash = text.find('#');
    const std::string_view fragment =
        hash == std::string_view::npos ? std::string_view() : text.substr(hash + 1);
    if (hash != std::string_view::npos)
        text = text.substr(0, hash);
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const std::size_t end = text.find_first_of("/?");
        const auto authority = parseAuthority(text.substr(0, end));
        if (!authority)
            return std::nullopt;
        url.m_absoluteString += "//" + authority->text;
        if (!authority->host.empty())
            url.m_host = authority->host;
        text = end == std::string_view::npos ? std::string_view() : text.substr(end);
    }
    url.m_absoluteString +=
        encoded(text, [](char c) { return isPathCharacter(c) || c == '/' || c == '?'; });
    if (hash != std::string_view::npos) {
        url.m_absoluteString += '#';
        url.m_absoluteString +=
            encoded(fragment, [](char c) { return isPathCharacter(c) || c == '/' || c == '?'; });
    }
    return url;
}

} // namespace Foundation
