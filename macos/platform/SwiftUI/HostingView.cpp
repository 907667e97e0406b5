#include "HostingView.h"

#include <AppKit/Display.h>
#include <AppKit/Workspace.h>

namespace SwiftUI {

HostingView::HostingView(SwiftUI::View rootView) : m_controller(std::move(rootView)) {
    // Off screen until a window shows it, so that nothing appears before then.
    m_controller.setOnScreen(false);
    m_controller.setOpenURL(
        [](const std::string& url) { AppKit::Workspace::shared().openURL(url); });
    m_controller.setOnUpdate([this] {
        m_needsFit = true;
        AppKit::Display::setNeedsDisplay();
    });
}

void HostingView::layoutSubtreeIfNeeded() {
    const auto shownIn = window();
    if (!m_needsFit || !shownIn) {
        return;
    }
    // Measuring runs a redraw that is due first, so the size fitted is the latest.
    const Size size = m_controller.fittingSize();
    m_needsFit = false;
    shownIn->setContentSize(size);
    m_controller.setFrameSize(size);
}

void HostingView::windowDidChangeVisibility(bool visible) {
    m_controller.setOnScreen(visible);
}

AppKit::HostedView::CellDrawing HostingView::drawCells(int width, bool styled) {
    return m_controller.renderCells(width, styled);
}

bool HostingView::handleKey(const AppKit::KeyPress& key) {
    return m_controller.handleKey(key);
}

bool HostingView::cancelPresentation() {
    return m_controller.cancelPresentation() != HostingController::Outcome::NotFound;
}

std::shared_ptr<AppKit::Window> hostingWindow(View rootView, unsigned styleMask) {
    auto view = std::make_shared<HostingView>(std::move(rootView));
    auto window = AppKit::Window::make({}, styleMask);
    window->setContentView(view);
    return window;
}

HostingController* hostingController(const AppKit::Window& window) {
    auto* view = dynamic_cast<HostingView*>(window.contentView().get());
    return view ? &view->controller() : nullptr;
}

} // namespace SwiftUI
