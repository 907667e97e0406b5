// The pairing panel: a floating panel with the pairing code, its QR image and
// a status line, while a phone pairs with this Mac.
//
// `open` asks the bridge to open a pairing window and, when it gives a code
// and an address, shows them in a new panel (closing an earlier one) and asks
// the bridge once a second how pairing goes: a phone asking, a phone paired
// (the panel closes itself two seconds later), the window expired, or, after
// 20 seconds without any phone reaching the Mac, what to check. Polling stops
// when the phone has paired, the window has expired or the panel is closed.
// When the bridge gives no code, an alert says why and no panel opens.
//
// Only the current pairing counts: a status reply that arrives after polling
// stopped or for an earlier panel changes nothing, the delayed close closes
// only the panel that paired, and closing an earlier panel leaves the
// current one polling. Main thread only.
#pragma once

#include "menubar/Bridge.h"
#include "menubar/PairRecords.h"

#include <AppKit/View.h>
#include <AppKit/Window.h>
#include <Dispatch/RunLoop.h>
#include <memory>
#include <optional>
#include <string>

class PairPanelController : public AppKit::WindowDelegate,
                            public std::enable_shared_from_this<PairPanelController> {
public:
    explicit PairPanelController(std::shared_ptr<Bridge> bridge);

    void open();
    void windowWillClose(AppKit::Window& window) override;

    const std::shared_ptr<AppKit::Panel>& panel() const { return m_panel; }
    const std::shared_ptr<AppKit::TextField>& statusLabel() const { return m_statusLabel; }
    bool isPolling() const { return m_pollTimer.isValid(); }

    static constexpr double pollInterval = 1.0;
    static constexpr double closeAfterPairing = 2.0;
    static constexpr double helpAfter = 20.0;

private:
    void show(const std::string& code, const std::string& uri,
              const std::optional<std::string>& host);
    void poll();
    void apply(const PairStatus& status);
    void stopPolling();
    void showError(const std::optional<std::string>& message);

    std::shared_ptr<AppKit::Panel> m_panel;
    std::shared_ptr<AppKit::TextField> m_statusLabel;
    Dispatch::Timer m_pollTimer;
    std::shared_ptr<Bridge> m_bridge;
    double m_armedAt;
    bool m_overTailnet = false;
    // Counts the panels shown, so that replies meant for an earlier one are known.
    unsigned long m_arming = 0;
};
