#include "Display.h"

#include <Dispatch/RunLoop.h>

namespace AppKit::Display {

namespace {

struct State {
    std::function<void()> redraw;
    bool pending = false;
};

State& state() {
    static auto* current = new State;
    return *current;
}

} // namespace

void setNeedsDisplay() {
    State& current = state();
    if (!current.redraw || current.pending)
        return;
    current.pending = true;
    Dispatch::RunLoop::main().perform(
        [] {
            State& now = state();
            now.pending = false;
            if (now.redraw)
                now.redraw();
        },
        Dispatch::RunLoopModes::common());
}

void setRedraw(std::function<void()> redraw) {
    state().redraw = std::move(redraw);
}

} // namespace AppKit::Display
