#include "Task.h"

#include "RunLoop.h"

namespace Dispatch {

namespace {

// A started task: it owns the work and destroys itself when the work ends.
struct Detached {
    struct promise_type {
        Detached get_return_object() noexcept {
            return {std::coroutine_handle<promise_type>::from_promise(*this)};
        }
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { std::terminate(); }
    };
    std::coroutine_handle<promise_type> handle;
};

Detached run(Async<void> work) {
    co_await work;
}

} // namespace

namespace Detail {

void resumeOnMain(std::function<void()> resume) {
    RunLoop::main().perform(std::move(resume), RunLoopModes::common());
}

} // namespace Detail

void startTask(Async<void> work) {
    auto task = run(std::move(work)).handle;
    Detail::resumeOnMain([task] { task.resume(); });
}

void sleep::await_suspend(std::coroutine_handle<> task) const {
    RunLoop::main().perform(
        m_seconds > 0 ? m_seconds : 0, [task] { task.resume(); }, RunLoopModes::common());
}

} // namespace Dispatch
