#include "settings/ContainerWindowController.h"

#include <AppKit/Application.h>
#include <SwiftUI/SwiftUI.h>

ContainerWindowController& ContainerWindowController::shared() {
    static auto* controller = new ContainerWindowController;
    return *controller;
}

void ContainerWindowController::show(std::optional<std::string> existing) {
    if (!m_window) {
        m_window =
            SwiftUI::hostingWindow(SwiftUI::VStack({}).frame({.width = width}),
                                   AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
        m_window->setTitle("Add a Container");
        m_window->setReleasedWhenClosed(false);
    }
    m_environment = std::move(existing);
    m_window->center();
    AppKit::Application::shared().activate(true);
    m_window->makeKeyAndOrderFront();
}
