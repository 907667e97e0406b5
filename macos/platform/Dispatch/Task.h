// Main-actor tasks: asynchronous work written as C++20 coroutines that run on
// the main run loop.
//
// An `Async<T>` is a coroutine that starts when it is awaited and hands its
// result to the awaiter. `startTask` runs one on the main run loop: it starts
// later (never inside the call), tasks started one after another start in
// that order, and the caller does not keep it. A task runs on the main thread
// between its suspensions: `sleep` suspends it without blocking the loop (its
// time is on `Dispatch::Clock`, so tests move it), and `withContinuation`
// suspends it until a callback hands a value over from any thread.
//
// A continuation resumes its task exactly once, on the main run loop: later
// calls do nothing, and a continuation dropped without a call resumes the task
// with no value, so a callback that never comes ends no task in a hang.
//
// A coroutine's parameters are copied into it; what it refers to must outlive
// it. Write tasks as functions taking what they need by value (a shared owner
// for an object), never as lambdas with captures, which end with the lambda.
// Await named values (`auto loading = load(…); co_await loading;`): GCC 12
// can destroy a closure made inside an awaited expression twice.
#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace Dispatch {

template <typename T> class Async;

namespace Detail {

// At its end a coroutine hands the thread to whoever awaited it; a started task, which nobody
// awaits, ends itself.
struct ToContinuation {
    bool await_ready() noexcept { return false; }
    template <typename Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> self) noexcept {
        const std::coroutine_handle<> next = self.promise().continuation;
        if (self.promise().started) {
            self.destroy();
        }
        return next;
    }
    void await_resume() noexcept {}
};

struct PromiseBase {
    std::coroutine_handle<> continuation = std::noop_coroutine();
    // Run by `startTask`: the coroutine owns itself.
    bool started = false;

    std::suspend_always initial_suspend() noexcept { return {}; }
    ToContinuation final_suspend() noexcept { return {}; }
    // Failures never cross a task: an escaping exception ends the process.
    void unhandled_exception() noexcept { std::terminate(); }
};

template <typename T> struct Promise : PromiseBase {
    std::optional<T> value;
    Async<T> get_return_object() noexcept;
    template <typename U> void return_value(U&& result) { value.emplace(std::forward<U>(result)); }
};

template <> struct Promise<void> : PromiseBase {
    Async<void> get_return_object() noexcept;
    void return_void() noexcept {}
};

// Queues `resume` on the main run loop, in every mode.
void resumeOnMain(std::function<void()> resume);

} // namespace Detail

template <typename T> class [[nodiscard]] Async {
public:
    using promise_type = Detail::Promise<T>;

    Async(Async&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Async& operator=(Async&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    Async(const Async&) = delete;
    Async& operator=(const Async&) = delete;
    ~Async() {
        if (m_handle) {
            m_handle.destroy();
        }
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiter) noexcept {
        m_handle.promise().continuation = awaiter;
        return m_handle;
    }
    T await_resume() {
        if constexpr (!std::is_void_v<T>) {
            return std::move(*m_handle.promise().value);
        }
    }

private:
    friend promise_type;
    friend void startTask(Async<void> work);
    explicit Async(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    std::coroutine_handle<promise_type> m_handle;
};

namespace Detail {
template <typename T> Async<T> Promise<T>::get_return_object() noexcept {
    return Async<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}
inline Async<void> Promise<void>::get_return_object() noexcept {
    return Async<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}
} // namespace Detail

// Runs `work` as a task on the main run loop, starting after the work queued before it.
void startTask(Async<void> work);

// Suspends the task for `seconds` on `Dispatch::Clock` (a negative time counts as none).
class sleep {
public:
    explicit sleep(double seconds) : m_seconds(seconds) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> task) const;
    void await_resume() const noexcept {}

private:
    double m_seconds;
};

// The handle a callback resumes a suspended task with; copies share it.
template <typename T> class Continuation {
public:
    // Resumes the task with `value` unless it was resumed before. Safe from any thread.
    void resume(std::optional<T> value) const { m_owner->state->resume(std::move(value)); }

private:
    template <typename U> friend class ContinuationAwaiter;

    struct State {
        std::mutex lock;
        std::coroutine_handle<> task;
        std::optional<T> value;
        bool resumed = false;

        void resume(std::optional<T> result) {
            std::coroutine_handle<> waiting;
            {
                std::lock_guard guard(lock);
                if (resumed) {
                    return;
                }
                resumed = true;
                value = std::move(result);
                waiting = task;
            }
            Detail::resumeOnMain([waiting] { waiting.resume(); });
        }
    };

    // Holds the state; the last holder to go resumes an unresumed task.
    struct Owner {
        std::shared_ptr<State> state;
        ~Owner() { state->resume(std::nullopt); }
    };

    explicit Continuation(std::shared_ptr<Owner> owner) : m_owner(std::move(owner)) {}

    std::shared_ptr<Owner> m_owner;
};

template <typename T> class ContinuationAwaiter {
public:
    explicit ContinuationAwaiter(std::function<void(Continuation<T>)> start)
        : m_start(std::move(start)) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> task) {
        m_state = std::make_shared<typename Continuation<T>::State>();
        m_state->task = task;
        auto owner = std::make_shared<typename Continuation<T>::Owner>(m_state);
        auto start = std::move(m_start);
        start(Continuation<T>(std::move(owner)));
    }
    std::optional<T> await_resume() { return std::move(m_state->value); }

private:
    std::function<void(Continuation<T>)> m_start;
    std::shared_ptr<typename Continuation<T>::State> m_state;
};

// Suspends the task, calls `start` with a continuation, and gives the value it is resumed with.
template <typename T>
ContinuationAwaiter<T> withContinuation(std::function<void(Continuation<T>)> start) {
    return ContinuationAwaiter<T>(std::move(start));
}

} // namespace Dispatch
