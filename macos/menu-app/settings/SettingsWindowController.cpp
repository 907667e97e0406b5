#include "settings/SettingsWindowController.h"

#include "settings/SettingsView.h"

#include <AppKit/Application.h>
#include <Dispatch/DispatchQueue.h>
#include <SwiftUI/HostingView.h>

void SettingsWindowController::show() {
    if (!m_window) {
        m_window =
            SwiftUI::hostingWindow(SettingsView{.model = m_model},
                                   AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
        m_window->setTitle("Kestrelhaven Settings");
        m_window->setReleasedWhenClosed(false);
        m_window->center();
        m_window->addWillCloseObserver(Dispatch::DispatchQueue::main(),
                                       [weak = weak_from_this()](AppKit::Window&) {
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
