#include "settings/ContainerWindowController.h"

#include "settings/ContainerSetupView.h"

#include <AppKit/Application.h>
#include <Dispatch/DispatchQueue.h>
#include <SwiftUI/HostingView.h>

ContainerWindowController& ContainerWindowController::shared() {
    // Lives until the process ends, so the window's actions may hold it plainly.
    static auto* controller = new ContainerWindowController;
    return *controller;
}

ContainerWindowController::ContainerWindowController()
    : m_model(std::make_shared<ContainerSetupModel>()) {}

void ContainerWindowController::show(const std::optional<std::string>& existing) {
    if (!m_window) {
        ContainerSetupView view{m_model, [this] {
                                    if (m_window)
                                        m_window->close();
                                }};
        m_window = SwiftUI::hostingWindow(view, AppKit::WindowStyle::titled |
                                                    AppKit::WindowStyle::closable);
        m_window->setTitle("Add a Container");
        m_window->setReleasedWhenClosed(false);
        m_window->addWillCloseObserver(Dispatch::DispatchQueue::main(),
                                       [this](AppKit::Window&) { m_model->stopPolling(); });
    }
    if (existing)
        m_model->show(*existing);
    else
        m_model->reset();
    m_window->center();
    AppKit::Application::shared().activate(true);
    m_window->makeKeyAndOrderFront();
}
