#include "settings/SettingsWindowController.h"

#include <AppKit/Application.h>

void SettingsWindowController::show() {
    if (!m_window) {
        m_window = AppKit::Window::make({480, 560}, AppKit::WindowStyle::titled |
                                                        AppKit::WindowStyle::closable);
        m_window->setTitle("Kestrelhaven Settings");
        m_window->setReleasedWhenClosed(false);
        m_window->center();
        m_window->addWillCloseObserver([weak = weak_from_this()](AppKit::Window&) {
            if (const auto self = weak.lock()) {
                self->m_refresh.invalidate();
                self->m_refresh = {};
            }
        });
    }
    m_model->load();
    m_refresh.invalidate();
    m_refresh =
        Dispatch::RunLoop::main().schedule(refreshInterval, true, [weak = weak_from_this()] {
            if (const auto self = weak.lock())
                self->m_model->loadEnvironments();
        });
    AppKit::Application::shared().activate(true);
    m_window->makeKeyAndOrderFront();
}
