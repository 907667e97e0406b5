#include "FileSystemSource.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace Dispatch {

namespace {

constexpr std::uint32_t entryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

} // namespace

struct FileSystemSource::State : std::enable_shared_from_this<FileSystemSource::State> {
    State(int watch, int stop, DispatchQueue queue)
        : watch(watch), stop(stop), queue(std::move(queue)) {}

    ~State() {
        ::close(watch);
        ::close(stop);
    }

    // The reading thread: waits for events or the stop signal.
    void read() {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            pollfd fds[] = {{watch, POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents != 0)
                return;
            bool changed = false;
            for (;;) {
                const ssize_t count = ::read(watch, buffer, sizeof buffer);
                if (count <= 0)
                    break;
                for (ssize_t at = 0; at < count;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                    changed = changed || (event->mask & entryEvents) != 0;
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
            if (changed)
                deliver();
        }
    }

    void deliver() {
        {
            std::lock_guard guard(lock);
            if (pending || cancelled)
                return;
            pending = true;
        }
        queue.async([weak = weak_from_this()] {
            const auto state = weak.lock();
            if (!state)
                return;
            std::function<void()> run;
            {
                std::lock_guard guard(state->lock);
                state->pending = false;
                if (state->cancelled)
                    return;
                run = state->handler;
            }
            if (run)
                run();
        });
    }

    const int watch;
    const int stop;
    DispatchQueue queue;
    std::mutex lock;
    std::function<void()> handler;
    std::thread reader;
    bool pending = false;
    bool resumed = false;
    bool cancelled = false;
};

std::shared_ptr<FileSystemSource> FileSystemSource::watchFolder(const std::filesystem::path& folder,
                                                                DispatchQueue queue) {
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0)
        return nullptr;
    if (::inotify_add_watch(watch, folder.c_str(), entryEvents | IN_ONLYDIR) < 0) {
        ::close(watch);
        return nullptr;
    }
    const int stop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop < 0) {
        ::close(watch);
        return nullptr;
    }
    return std::shared_ptr<FileSystemSource>(
        new FileSystemSource(std::make_shared<State>(watch, stop, std::move(queue))));
}

FileSystemSource::~FileSystemSource() {
    cancel();
}

void FileSystemSource::setEventHandler(std::function<void()> handler) {
    std::lock_guard guard(m_state->lock);
    m_state->handler = std::move(handler);
}

void FileSystemSource::resume() {
    std::lock_guard guard(m_state->lock);
    if (m_state->resumed || m_state->cancelled)
        return;
    m_state->resumed = true;
    m_state->reader = std::thread([state = m_state.get()] { state->read(); });
}

void FileSystemSource::cancel() {
    std::thread reader;
    std::function<void()> released;
    {
        std::lock_guard guard(m_state->lock);
        if (m_state->cancelled)
            return;
        m_state->cancelled = true;
        released = std::move(m_state->handler);
        reader = std::move(m_state->reader);
    }
    const std::uint64_t one = 1;
    while (::write(m_state->stop, &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (reader.joinable())
        reader.join();
}

} // namespace Dispatch
