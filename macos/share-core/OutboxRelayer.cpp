#include "OutboxRelayer.h"

#include <algorithm>
#include <charconv>

std::string OutboxRelayer::text() const {
    return std::to_string(pid) + " " + role + "\n";
}

std::optional<OutboxRelayer> OutboxRelayer::parse(std::string_view text) {
    if (text.empty() || text.back() != '\n')
        return std::nullopt;
    text.remove_suffix(1);
    OutboxRelayer relayer;
    const auto [end, failure] =
        std::from_chars(text.data(), text.data() + text.size(), relayer.pid);
    if (failure != std::errc() || relayer.pid <= 0)
        return std::nullopt;
    const std::string_view rest = text.substr(static_cast<std::size_t>(end - text.data()));
    if (rest.size() < 2 || rest[0] != ' ' || !std::all_of(rest.begin() + 1, rest.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || c == '-';
        }))
        return std::nullopt;
    relayer.role = rest.substr(1);
    return relayer;
}
