// A file-system event source on a folder: a handler run on a queue whenever
// the folder's entries change.
//
// It stands for a vnode source watching a folder for writes: an entry created,
// deleted, or moved in or out (a rename inside the folder is both) fires it;
// a change to the contents of a file inside does not. Events are coalesced: a
// burst that arrives before the handler runs gives one run, and the handler
// is not told which entries changed. On Linux it is an inotify watch, read on
// a thread of the source's own.
//
// A source is made suspended; `resume` starts delivery. `cancel` stops it for
// good and lets its descriptor go; a handler already running finishes.
// Destroying the source cancels it.
#pragma once

#include <Dispatch/DispatchQueue.h>
#include <filesystem>
#include <functional>
#include <memory>

namespace Dispatch {

class FileSystemSource {
public:
    // Nothing when the folder cannot be opened for watching (missing, not a folder, no access).
    static std::shared_ptr<FileSystemSource> watchFolder(const std::filesystem::path& folder,
                                                         DispatchQueue queue);
    ~FileSystemSource();
    FileSystemSource(const FileSystemSource&) = delete;
    FileSystemSource& operator=(const FileSystemSource&) = delete;

    void setEventHandler(std::function<void()> handler);
    void resume();
    void cancel();

    struct State;

private:
    explicit FileSystemSource(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

} // namespace Dispatch
