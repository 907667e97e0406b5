#include "DispatchQueue.h"

#include "Clock.h"
#include "RunLoop.h"
#include "Synchronization.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace Dispatch {

namespace {

// Worker threads shared by every queue but the main one. A block waits for a worker only when
// one is idle; otherwise a new worker starts. Idle workers end after a while.
class WorkerPool {
public:
    static WorkerPool& shared() {
        // Never destroyed: detached workers use it until the process ends.
        static auto* pool = new WorkerPool;
        return *pool;
    }

    void submit(std::function<void()> work) {
        std::lock_guard guard(m_lock);
        m_work.push_back(std::move(work));
        if (m_work.size() > m_idle)
            std::thread([this] { serve(); }).detach();
        else
            m_available.notify_one();
    }

private:
    void serve() {
        std::unique_lock guard(m_lock);
        for (;;) {
            while (m_work.empty()) {
                ++m_idle;
                const bool woke = m_available.wait_for(guard, std::chrono::seconds(10),
                                                       [this] { return !m_work.empty(); });
                --m_idle;
                if (!woke)
                    return;
            }
            std::function<void()> work = std::move(m_work.front());
            m_work.pop_front();
            guard.unlock();
            work();
            work = nullptr;
            guard.lock();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_available;
    std::deque<std::function<void()>> m_work;
    std::size_t m_idle = 0;
};

// One thread that hands delayed work to its queue when its time on the clock comes.
class DelayedWork {
public:
    static DelayedWork& shared() {
        static auto* instance = new DelayedWork;
        return *instance;
    }

    void schedule(double fireDate, DispatchQueue queue, std::function<void()> work) {
        {
            std::lock_guard guard(m_lock);
            m_entries.emplace(fireDate, Entry{std::move(queue), std::move(work)});
            ++m_generation;
        }
        m_changed.notify_all();
    }

private:
    struct Entry {
        DispatchQueue queue;
        std::function<void()> work;
    };

    DelayedWork() {
        Clock::onAdvance([this] {
            {
                std::lock_guard guard(m_lock);
                ++m_generation;
            }
            m_changed.notify_all();
        });
        std::thread([this] { serve(); }).detach();
    }

    void serve() {
        std::unique_lock guard(m_lock);
        for (;;) {
            const double now = Clock::now();
            while (!m_entries.empty() && m_entries.begin()->first <= now) {
                Entry entry = std::move(m_entries.begin()->second);
                m_entries.erase(m_entries.begin());
                entry.queue.async(std::move(entry.work));
            }
            const double wait = m_entries.empty() ? 3600.0 : m_entries.begin()->first - now;
            const unsigned long generation = m_generation;
            m_changed.wait_for(guard, std::chrono::duration<double>(wait),
                               [&] { return m_generation != generation; });
        }
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::multimap<double, Entry> m_entries;
    unsigned long m_generation = 0;
};

// A wait of `seconds`, kept within what the clocks can represent; not-a-number waits not at all.
std::chrono::duration<double> waitFor(double seconds) {
    return std::chrono::duration<double>(seconds > 0 ? std::min(seconds, 1e7) : 0.0);
}

} // namespace

struct DispatchQueue::Impl {
    enum class Kind { Main, Serial, Concurrent };
    Kind kind;
    std::string label;
    std::mutex lock;
    std::deque<std::function<void()>> pending;
    bool draining = false;

    Impl(Kind kind, std::string label) : kind(kind), label(std::move(label)) {}
};

namespace {

void drain(const std::shared_ptr<DispatchQueue::Impl>& impl) {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard guard(impl->lock);
            if (impl->pending.empty()) {
                impl->draining = false;
                return;
            }
            work = std::move(impl->pending.front());
            impl->pending.pop_front();
        }
        work();
    }
}

} // namespace

DispatchQueue DispatchQueue::main() {
    static auto* impl = new std::shared_ptr<Impl>(std::make_shared<Impl>(Impl::Kind::Main, "main"));
    return DispatchQueue(*impl);
}

DispatchQueue DispatchQueue::global() {
    static auto* impl =
        new std::shared_ptr<Impl>(std::make_shared<Impl>(Impl::Kind::Concurrent, "global"));
    return DispatchQueue(*impl);
}

DispatchQueue DispatchQueue::serial(std::string label) {
    return DispatchQueue(std::make_shared<Impl>(Impl::Kind::Serial, std::move(label)));
}

DispatchQueue DispatchQueue::concurrent(std::string label) {
    return DispatchQueue(std::make_shared<Impl>(Impl::Kind::Concurrent, std::move(label)));
}

void DispatchQueue::async(std::function<void()> work) const {
    switch (m_impl->kind) {
    case Impl::Kind::Main:
        RunLoop::main().perform(std::move(work), RunLoopModes::common());
        return;
    case Impl::Kind::Concurrent:
        WorkerPool::shared().submit([impl = m_impl, work = std::move(work)] { work(); });
        return;
    case Impl::Kind::Serial: {
        bool startDrain = false;
        {
            std::lock_guard guard(m_impl->lock);
            m_impl->pending.push_back(std::move(work));
            startDrain = !m_impl->draining;
            m_impl->draining = true;
        }
        if (startDrain)
            WorkerPool::shared().submit([impl = m_impl] { drain(impl); });
        return;
    }
    }
}

void DispatchQueue::async(const DispatchGroup& group, std::function<void()> work) const {
    group.enter();
    async([group, work = std::move(work)] {
        work();
        group.leave();
    });
}

void DispatchQueue::asyncAfter(double delay, std::function<void()> work) const {
    if (m_impl->kind == Impl::Kind::Main) {
        RunLoop::main().perform(delay, std::move(work), RunLoopModes::common());
        return;
    }
    DelayedWork::shared().schedule(Clock::now() + std::max(delay, 0.0), *this, std::move(work));
}

void DispatchQueue::sync(const std::function<void()>& work) const {
    if (m_impl->kind == Impl::Kind::Main && RunLoop::isMainThread()) {
        work();
        return;
    }
    DispatchSemaphore done;
    async([&] {
        work();
        done.signal();
    });
    done.wait();
}

const std::string& DispatchQueue::label() const {
    return m_impl->label;
}

bool DispatchQueue::isMain() const {
    return m_impl->kind == Impl::Kind::Main;
}

struct DispatchGroup::State {
    std::mutex lock;
    std::condition_variable empty;
    long count = 0;
    std::vector<std::pair<DispatchQueue, std::function<void()>>> notifications;
};

DispatchGroup::DispatchGroup() : m_state(std::make_shared<State>()) {}

void DispatchGroup::enter() const {
    std::lock_guard guard(m_state->lock);
    ++m_state->count;
}

void DispatchGroup::leave() const {
    std::vector<std::pair<DispatchQueue, std::function<void()>>> notifications;
    {
        std::lock_guard guard(m_state->lock);
        if (--m_state->count > 0)
            return;
        m_state->count = 0;
        notifications.swap(m_state->notifications);
    }
    m_state->empty.notify_all();
    for (auto& [queue, work] : notifications)
        queue.async(std::move(work));
}

bool DispatchGroup::wait(double timeout) const {
    std::unique_lock guard(m_state->lock);
    return m_state->empty.wait_for(guard, waitFor(timeout), [this] { return m_state->count == 0; });
}

void DispatchGroup::notify(const DispatchQueue& queue, std::function<void()> work) const {
    {
        std::lock_guard guard(m_state->lock);
        if (m_state->count > 0) {
            m_state->notifications.emplace_back(queue, std::move(work));
            return;
        }
    }
    queue.async(std::move(work));
}

struct DispatchSemaphore::State {
    std::mutex lock;
    std::condition_variable available;
    long value;
    explicit State(long value) : value(value) {}
};

DispatchSemaphore::DispatchSemaphore(long value) : m_state(std::make_shared<State>(value)) {}

void DispatchSemaphore::signal() const {
    {
        std::lock_guard guard(m_state->lock);
        ++m_state->value;
    }
    m_state->available.notify_one();
}

bool DispatchSemaphore::wait(double timeout) const {
    std::unique_lock guard(m_state->lock);
    if (!m_state->available.wait_for(guard, waitFor(timeout),
                                     [this] { return m_state->value > 0; }))
        return false;
    --m_state->value;
    return true;
}

void DispatchSemaphore::wait() const {
    std::unique_lock guard(m_state->lock);
    m_state->available.wait(guard, [this] { return m_state->value > 0; });
    --m_state->value;
}

} // namespace Dispatch
