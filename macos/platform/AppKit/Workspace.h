// The workspace: opening web addresses, applications and files the way the
// desktop does.
//
// On Linux a web address opens with xdg-open; an application is known by a
// desktop entry named after its bundle identifier ("<identifier>.desktop" in
// the applications folder of $XDG_DATA_HOME or of one of $XDG_DATA_DIRS) and
// is launched with gio; a ".command" script runs in a terminal
// (x-terminal-emulator, else xterm), which needs a graphical session (DISPLAY
// or WAYLAND_DISPLAY); any other file opens with xdg-open. Programs are
// started in the background and not waited for; an opening succeeds when its
// program could be started, and a script only when a terminal could show it. Every opening goes
// through one opener, which tests replace to record what would have opened.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace AppKit {

class Workspace {
public:
    struct Opening {
        enum class Kind { url, application, file };
        Kind kind;
        std::string target;
        bool operator==(const Opening&) const = default;
    };
    using Opener = std::function<bool(const Opening&)>;

    static Workspace& shared();
    // Main thread only; an empty opener restores the desktop's.
    static void setOpener(Opener opener);

    bool openURL(const std::string& url);
    // The application with that bundle identifier, if one is installed.
    std::optional<std::filesystem::path> urlForApplication(std::string_view bundleIdentifier) const;
    bool openApplication(const std::filesystem::path& application);
    bool open(const std::filesystem::path& file);

private:
    Workspace() = default;
    bool perform(Opening opening);

    Opener m_opener;
};

} // namespace AppKit
