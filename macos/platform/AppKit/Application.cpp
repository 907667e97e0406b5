#include "Application.h"

#include "Display.h"

#include <Dispatch/RunLoop.h>
#include <algorithm>

namespace AppKit {

Application& Application::shared() {
    // Never destroyed: windows and work still queued may reach it while the process exits.
    static auto* application = new Application;
    return *application;
}

void Application::activate(bool) {
    ++m_activations;
    Display::setNeedsDisplay();
}

void Application::run() {
    if (const auto told = delegate())
        told->applicationDidFinishLaunching();
    if (!m_terminating)
        Dispatch::RunLoop::main().run();
}

void Application::terminate() {
    m_terminating = true;
    Dispatch::RunLoop::main().stop();
}

std::shared_ptr<Window> Application::keyWindow() const {
    return m_windows.empty() ? nullptr : m_windows.back();
}

void Application::orderFront(std::shared_ptr<Window> window) {
    std::erase(m_windows, window);
    m_windows.push_back(std::move(window));
}

void Application::orderOut(const Window& window) {
    std::erase_if(m_windows, [&](const auto& shown) { return shown.get() == &window; });
}

} // namespace AppKit
