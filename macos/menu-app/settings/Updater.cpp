#include "settings/Updater.h"

#include <Foundation/Bundle.h>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Whether every character may stand in a URL: ASCII letters, digits, the marks URLs reserve or
// leave unreserved, and "%" only before two hex digits.
bool urlCharacters(std::string_view text) {
    constexpr std::string_view allowed = "-._~:/?#[]@!$&'()*+,;=";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
                return false;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(c)) &&
            allowed.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            decoded +=
                static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

struct FeedAddress {
    std::string scheme;
    std::optional<std::string> host;
};

// The scheme and host of an absolute URL; nothing when the text is no URL.
std::optional<FeedAddress> parseURL(std::string_view text) {
    if (text.empty() || !urlCharacters(text))
        return std::nullopt;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    const std::string_view scheme = text.substr(0, colon);
    for (const char c : scheme)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    FeedAddress address{std::string(scheme), std::nullopt};
    const std::string_view rest = text.substr(colon + 1);
    if (!rest.starts_with("//"))
        return address;
    std::string_view authority = rest.substr(2, rest.find_first_of("/?#", 2) - 2);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view host = authority;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
    } else if (const std::size_t port = authority.find(':'); port != std::string_view::npos) {
        for (const char c : authority.substr(port + 1))
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return std::nullopt;
        host = authority.substr(0, port);
    }
    if (!host.empty())
        address.host = percentDecoded(host);
    return address;
}

} // namespace

Updater& Updater::shared() {
    static auto* updater = new Updater;
    return *updater;
}

bool Updater::configured() {
    return configured(Foundation::Bundle::main().info());
}

bool Updater::configured(const Foundation::PropertyList::Dictionary& info) {
    const auto lookUp = [&](std::string_view key) -> const Foundation::PropertyList* {
        const auto found = info.find(key);
        return found == info.end() ? nullptr : &found->second;
    };
    const auto* feed = lookUp("SUFeedURL");
    if (!feed || !feed->text())
        return false;
    const auto address = parseURL(*feed->text());
    if (!address || address->scheme != "https" || !address->host ||
        address->host->ends_with(".invalid"))
        return false;
    const auto* key = lookUp("SUPublicEDKey");
    return key && key->text() && !key->text()->empty();
}

void Updater::start(const std::shared_ptr<AppKit::Menu>&, const std::shared_ptr<Bridge>&) {}
