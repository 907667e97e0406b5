// The names in a folder that changed since the last time they were asked for.
//
// The system keeps the record as the folder changes: an entry created,
// removed, renamed into, out of or within the folder, written to, or given
// new attributes. `changed` drains the record and gives each changed name
// once, without waiting. It lets a caller that looks at a folder over and over
// look again only at what changed. On Linux it is an inotify watch.
//
// The record can fail its caller: when the system dropped changes, or when
// the folder itself was removed, moved or unmounted. `changed` then gives
// nothing and the caller must look at the whole folder. After dropped changes
// the record goes on; after the folder went it stays `broken`, and the caller
// makes a new one.
#pragma once

#include <Foundation/FileDescriptor.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Foundation {

class FolderChanges {
public:
    // Nothing when the folder cannot be watched (missing, not a folder, no access, or the
    // system's watches are used up).
    static std::unique_ptr<FolderChanges> watch(const std::filesystem::path& folder);

    // The names changed since the last call, or since `watch` for the first, sorted; nothing
    // when the record is incomplete.
    std::optional<std::vector<std::string>> changed();
    bool broken() const { return m_broken; }

private:
    explicit FolderChanges(FileDescriptor events) : m_events(std::move(events)) {}

    FileDescriptor m_events;
    bool m_broken = false;
};

} // namespace Foundation
