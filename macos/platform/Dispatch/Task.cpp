#include "Task.h"

#include "RunLoop.h"

namespace Dispatch {

namespace Detail {

void resumeOnMain(std::function<void()> resume) {
    RunLoop::main().perform(std::move(resume), RunLoopModes::common());
}

} // namespace Detail

void startTask(Async<void> work) {
    const auto task = std::exchange(work.m_handle, {});
    task.promise().started = true;
    Detail::resumeOnMain([task] { task.resume(); });
}

void sleep::await_suspend(std::coroutine_handle<> task) const {
    RunLoop::main().perform(
        m_seconds > 0 ? m_seconds : 0, [task] { task.resume(); }, RunLoopModes::common());
}

} // namespace Dispatch
