#include "service/SetupWindowController.h"

#include "service/SetupView.h"

#include <AppKit/Application.h>
#include <Foundation/UserDefaults.h>
#include <SwiftUI/HostingView.h>

SetupWindowController::SetupWindowController() : m_model(std::make_shared<SetupModel>()) {}

void SetupWindowController::show() {
    if (!m_window) {
        SetupView view{m_model, [weak = weak_from_this()] {
                           const auto self = weak.lock();
                           if (self && self->m_window)
                               self->m_window->close();
                       }};
        m_window = SwiftUI::hostingWindow(view, AppKit::WindowStyle::titled |
                                                    AppKit::WindowStyle::closable);
        m_window->setTitle("Kestrelhaven Setup");
        m_window->setReleasedWhenClosed(false);
        m_window->center();
    }
    Foundation::UserDefaults::setBool("setupSeen", true);
    m_model->refresh();
    AppKit::Application::shared().activate(true);
    m_window->makeKeyAndOrderFront();
}
