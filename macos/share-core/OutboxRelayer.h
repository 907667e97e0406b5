// Who relays the outbox: the process holding its lock, as that process wrote itself into the
// lock file on taking it.
//
// The record is one line, "<process id> <role>": the menu-bar application's relay names itself
// "application", the "--dossier-outbox" command's "dossier-outbox", and "--setup-check", which
// holds the lock for a moment to see whether it can, "setup-check". It is read back only whole
// and exactly so: a positive decimal id, one space, a role of lowercase letters and hyphens,
// a line feed. The lock file is read as the other App Group files are, a regular file of at most
// `maxBytes`, never through a symbolic link.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

struct OutboxRelayer {
    pid_t pid = 0;
    std::string role;

    static constexpr std::string_view application = "application";
    static constexpr std::string_view command = "dossier-outbox";
    static constexpr std::string_view check = "setup-check";
    static constexpr std::size_t maxBytes = 64;

    std::string text() const;
    static std::optional<OutboxRelayer> parse(std::string_view text);

    bool operator==(const OutboxRelayer&) const = default;
};
