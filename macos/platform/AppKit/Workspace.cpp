#include "Workspace.h"

#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <Processes/Processes.h>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace AppKit {

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

// A terminal program shows a window, which needs a graphical session; without one it would start
// and end at once, and the script would never run.
bool openInTerminal(const std::string& script) {
    if (!hasDisplay())
        return false;
    for (const char* terminal : {"x-terminal-emulator", "xterm"})
        if (Processes::startDetached({terminal, "-e", script}) == 0)
            return true;
    return false;
}

bool openOnTheDesktop(const Workspace::Opening& opening) {
    using Kind = Workspace::Opening::Kind;
    switch (opening.kind) {
    case Kind::url:
        return Processes::startDetached({"xdg-open", opening.target}) == 0;
    case Kind::application:
        return Processes::startDetached({"gio", "launch", opening.target}) == 0;
    case Kind::file:
        if (!opening.target.ends_with(".command"))
            return Processes::startDetached({"xdg-open", opening.target}) == 0;
        return openInTerminal(opening.target);
    }
    return false;
}

std::vector<std::filesystem::path> dataFolders() {
    std::vector<std::filesystem::path> folders;
    const char* home = std::getenv("XDG_DATA_HOME");
    folders.push_back(home && *home ? std::filesystem::path(home)
                                    : Foundation::homeDirectory() / ".local" / "share");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    for (const auto folder :
         Foundation::nonEmptyPieces(dirs && *dirs ? dirs : "/usr/local/share:/usr/share", ':'))
        folders.emplace_back(folder);
    return folders;
}

} // namespace

Workspace& Workspace::shared() {
    static auto* workspace = new Workspace;
    return *workspace;
}

void Workspace::setOpener(Opener opener) {
    shared().m_opener = std::move(opener);
}

bool Workspace::perform(Opening opening) {
    return m_opener ? m_opener(opening) : openOnTheDesktop(opening);
}

bool Workspace::openURL(const std::string& url) {
    return perform({Opening::Kind::url, url});
}

std::optional<std::filesystem::path>
Workspace::urlForApplication(std::string_view bundleIdentifier) const {
    if (bundleIdentifier.empty() || bundleIdentifier.find('/') != std::string_view::npos)
        return std::nullopt;
    const std::string entry = std::string(bundleIdentifier) + ".desktop";
    for (const auto& folder : dataFolders()) {
        const auto path = folder / "applications" / entry;
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
            return path;
    }
    return std::nullopt;
}

bool Workspace::openApplication(const std::filesystem::path& application) {
    return perform({Opening::Kind::application, application.string()});
}

bool Workspace::open(const std::filesystem::path& file) {
    return perform({Opening::Kind::file, file.string()});
}

} // namespace AppKit
