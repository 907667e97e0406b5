// The user's own Claude Code: where its `claude` executable is and which
// version it is.
//
// `find` walks PATH, then fixed install locations under the home folder and
// the usual system ones (nvm's version folders newest first), and last asks
// the user's login shell ("command -v claude"). Each run it makes ("--version",
// the shell) has an 8-second time-out; `find` blocks its caller meanwhile, so
// interactive callers call it off the main thread. Nothing here fails
// loudly: whatever cannot be looked at is passed over.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ClaudeCode {
    // Absolute path of the executable.
    std::string path;
    // Three dot-separated numbers; none when it could not be read.
    std::optional<std::string> version;

    bool operator==(const ClaudeCode&) const = default;

    // The oldest Claude Code the product works with.
    static constexpr const char* minimumVersion = "2.1.224";
    static constexpr double runTimeout = 8;

    static std::optional<ClaudeCode> find();
    // The install locations searched after PATH, in order.
    static std::vector<std::string> candidates();
    // The password database's shell when it is an absolute path to an executable file, else
    // "/bin/zsh".
    static std::string loginShell();
    // The first "N.N.N" in `text`.
    static std::optional<std::string> parseVersion(std::string_view text);
    // -1, 0 or 1 as `a` is lower than, equal to or higher than `b`, number by number; a missing
    // number counts as 0, and so does one that is not wholly digits.
    static int compare(std::string_view a, std::string_view b);
    // Whether a found version is older than `minimumVersion`.
    static bool isTooOld(std::string_view version) { return compare(version, minimumVersion) < 0; }
};
