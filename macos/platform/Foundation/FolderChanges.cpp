#include "FolderChanges.h"

#include <algorithm>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace Foundation {

namespace {

constexpr std::uint32_t entryChanges =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE;
// The folder itself went away, or the watch on it ended.
constexpr std::uint32_t folderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

} // namespace

std::unique_ptr<FolderChanges> FolderChanges::watch(const std::filesystem::path& folder) {
    FileDescriptor events(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!events)
        return nullptr;
    // Writes to a file already unlinked from the folder are no change of its entries.
    if (::inotify_add_watch(events.get(), folder.c_str(),
                            entryChanges | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                IN_EXCL_UNLINK) < 0)
        return nullptr;
    return std::unique_ptr<FolderChanges>(new FolderChanges(std::move(events)));
}

std::optional<std::vector<std::string>> FolderChanges::changed() {
    if (m_broken)
        return std::nullopt;
    std::vector<std::string> names;
    bool complete = true;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t count = ::read(m_events.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            break;
        if (count <= 0) {
            m_broken = true;
            return std::nullopt;
        }
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & folderGone)
                m_broken = true;
            else if (event->mask & IN_Q_OVERFLOW)
                complete = false;
            else if (event->len > 0)
                names.emplace_back(event->name);
        }
    }
    if (m_broken || !complete)
        return std::nullopt;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace Foundation
