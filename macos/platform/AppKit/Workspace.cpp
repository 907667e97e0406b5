#include "Workspace.h"

#include <Dispatch/DispatchQueue.h>
#include <Foundation/ExecArray.h>
#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace AppKit {

namespace {

// Starts a program found on PATH in a session of its own, with nothing on its standard streams,
// and reaps it in the background; gives the errno value of a failed start, else 0.
int startDetached(const std::vector<std::string>& arguments) {
    const auto pointers = Foundation::execArray(arguments);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int stream : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", O_RDWR, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int failed = ::posix_spawnp(&pid, arguments.front().c_str(), &actions, &attributes,
                                      pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed == 0) {
        Dispatch::DispatchQueue::global().async([pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        });
    }
    return failed;
}

bool openOnTheDesktop(const Workspace::Opening& opening) {
    using Kind = Workspace::Opening::Kind;
    switch (opening.kind) {
    case Kind::url:
        return startDetached({"xdg-open", opening.target}) == 0;
    case Kind::application:
        return startDetached({"gio", "launch", opening.target}) == 0;
    case Kind::file:
        if (!opening.target.ends_with(".command"))
            return startDetached({"xdg-open", opening.target}) == 0;
        if (startDetached({"x-terminal-emulator", "-e", opening.target}) != ENOENT)
            return true;
        return startDetached({"xterm", "-e", opening.target}) == 0;
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
