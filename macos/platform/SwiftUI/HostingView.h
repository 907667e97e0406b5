// A declarative view inside an AppKit window: how every window of the
// application shows its content.
//
// `hostingWindow` makes a window whose content view hosts the given view
// through a hosting controller. The window takes its content size from the
// view's fitting size, and follows it whenever the view redraws (an observed
// model changed). The size is worked out when it is asked for, so a window
// that nothing draws or reads measures no text. The view is on screen exactly
// while its window is: its `onAppear` actions run each time the window is
// shown. Links open through the workspace. A terminal presentation draws the
// view in character cells and hands it keys (HostingController's
// `renderCells` and `handleKey`). Main thread only.
#pragma once

#include <AppKit/View.h>
#include <AppKit/Window.h>
#include <SwiftUI/HostingController.h>
#include <SwiftUI/View.h>
#include <memory>

namespace SwiftUI {

class HostingView : public AppKit::HostedView {
public:
    explicit HostingView(SwiftUI::View rootView);

    HostingController& controller() { return m_controller; }

    CellDrawing drawCells(int width, bool styled) override;
    bool handleKey(const AppKit::KeyPress& key) override;
    bool cancelPresentation() override;

protected:
    void windowDidChangeVisibility(bool visible) override;
    // Brings the window's size to the view's when a redraw came since it was last fitted.
    void layoutSubtreeIfNeeded() override;

private:
    HostingController m_controller;
    bool m_needsFit = true;
};

// A window of `styleMask` whose content is `rootView`, sized to fit it.
std::shared_ptr<AppKit::Window> hostingWindow(View rootView, unsigned styleMask);
// The controller of the view that `window` hosts; null when it hosts none.
HostingController* hostingController(const AppKit::Window& window);

} // namespace SwiftUI
