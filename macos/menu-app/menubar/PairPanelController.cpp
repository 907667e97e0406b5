#include "menubar/PairPanelController.h"

#include "menubar/QRImage.h"

#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <Foundation/SystemTime.h>
#include <Foundation/Unicode.h>

using namespace AppKit;

namespace {

constexpr const char* waiting = "Waiting for a device…";

// The first three and the last three characters, a space between.
std::string groupedCode(const std::string& code) {
    const auto characters = Foundation::Unicode::characters(code);
    const std::size_t count = characters.size();
    std::string grouped;
    for (std::size_t i = 0; i < std::min<std::size_t>(3, count); ++i)
        grouped += characters[i];
    grouped += ' ';
    for (std::size_t i = count - std::min<std::size_t>(3, count); i < count; ++i)
        grouped += characters[i];
    return grouped;
}

std::string networkLine(bool overTailnet, const std::optional<std::string>& host) {
    if (overTailnet)
        return "Over Tailscale only, to " + host.value_or("this Mac's tailnet address") +
               ". The phone needs Tailscale on.";
    return "On the local network" + (host ? " (" + *host + ")" : std::string()) + ".";
}

std::shared_ptr<TextField> smallWrappingLabel(std::string text, double size) {
    auto label = TextField::wrappingLabel(std::move(text));
    label->setFont(Font::systemFont(size));
    label->setTextColor(Color::secondaryLabel());
    label->setAlignment(TextAlignment::Center);
    label->setPreferredMaxLayoutWidth(280);
    return label;
}

} // namespace

PairPanelController::PairPanelController(std::shared_ptr<Bridge> bridge)
    : m_bridge(std::move(bridge)), m_armedAt(Foundation::SystemTime::now()) {}

void PairPanelController::open() {
    m_bridge->call<PairArmReply>(
        "/pair/arm", "POST", std::nullopt, 2.0,
        [weak = weak_from_this()](std::optional<PairArmReply> reply, int status) {
            const auto self = weak.lock();
            if (!self)
                return;
            if (status == 200 && reply && reply->code && reply->uri) {
                self->m_armedAt = Foundation::SystemTime::now();
                self->m_overTailnet = reply->tailscale_only == true;
                self->show(*reply->code, *reply->uri, reply->host);
                return;
            }
            self->showError(reply ? reply->message : std::nullopt);
        });
}

void PairPanelController::showError(const std::optional<std::string>& message) {
    Alert alert;
    if (message) {
        alert.setMessageText("Can't pair right now");
        alert.setInformativeText(*message);
    } else {
        alert.setMessageText("Bridge not reachable");
        alert.setInformativeText("Start it with: kestrelhaven start");
    }
    alert.runModal();
}

void PairPanelController::show(const std::string& code, const std::string& uri,
                               const std::optional<std::string>& host) {
    stopPolling();
    if (m_panel)
        m_panel->close();
    ++m_arming;

    auto panel = Panel::make({340, 430}, WindowStyle::titled | WindowStyle::closable);
    panel->setTitle("Pair a Device");
    panel->setLevel(WindowLevel::Floating);
    panel->setReleasedWhenClosed(false);
    panel->setDelegate(weak_from_this());

    auto stack = std::make_shared<StackView>(Orientation::Vertical);
    stack->setAlignment(StackAlignment::CenterX);
    stack->setSpacing(14);
    stack->setEdgeInsets({20, 20, 20, 20});

    auto codeLabel = TextField::label(groupedCode(code));
    codeLabel->setFont(Font::monospacedDigitSystemFont(44, FontWeight::Semibold));
    stack->addArrangedSubview(codeLabel);

    auto qr = std::make_shared<ImageView>(qrImage(uri, 220));
    qr->setFixedSize(Size{220, 220});
    stack->addArrangedSubview(qr);

    stack->addArrangedSubview(smallWrappingLabel(
        "Scan it from the app's Pair with your Mac screen. One device; the window closes itself "
        "when paired.",
        12));
    stack->addArrangedSubview(smallWrappingLabel(networkLine(m_overTailnet, host), 11));

    m_statusLabel = TextField::label(waiting);
    m_statusLabel->setFont(Font::systemFont(13, FontWeight::Medium));
    m_statusLabel->setTextColor(Color::secondaryLabel());
    stack->addArrangedSubview(m_statusLabel);

    panel->setContentView(stack);
    panel->center();
    panel->makeKeyAndOrderFront();
    Application::shared().activate(true);
    m_panel = std::move(panel);

    m_pollTimer = Dispatch::RunLoop::main().schedule(pollInterval, true, [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->poll();
    });
}

void PairPanelController::poll() {
    m_bridge->fetch<PairStatus>(
        "/pair/status", "GET",
        [weak = weak_from_this(), arming = m_arming](std::optional<PairStatus> status) {
            const auto self = weak.lock();
            if (!self || arming != self->m_arming || !self->isPolling())
                return;
            if (status && self->m_statusLabel)
                self->apply(*status);
        });
}

void PairPanelController::apply(const PairStatus& status) {
    TextField& label = *m_statusLabel;
    if (status.paired && status.paired->at / 1000 > m_armedAt) {
        label.setStringValue("✓ Paired: " + status.paired->device_id);
        label.setTextColor(Color::systemGreen());
        stopPolling();
        Dispatch::DispatchQueue::main().asyncAfter(
            closeAfterPairing, [self = shared_from_this(), paired = m_panel] { paired->close(); });
        return;
    }
    if (status.device_id) {
        label.setStringValue(*status.device_id + " is asking — enter the code");
        return;
    }
    if (status.armed && status.knocked == false &&
        Foundation::SystemTime::now() - m_armedAt > helpAfter) {
        label.setStringValue(
            m_overTailnet
                ? "No phone has reached this Mac. Is Tailscale on for both, and do its access "
                  "rules allow TCP 17801? If this Mac signed in to Tailscale again, refresh its "
                  "entry in the phone's Tailscale app. Or allow Wi-Fi in Settings."
                : "No phone has reached this Mac. Is it on the same Wi-Fi?");
        label.setTextColor(Color::systemOrange());
        label.setLineBreakMode(LineBreakMode::WordWrapping);
        label.setMaximumNumberOfLines(5);
        label.setPreferredMaxLayoutWidth(280);
        return;
    }
    if (status.armed) {
        label.setStringValue(waiting);
        label.setTextColor(Color::secondaryLabel());
        return;
    }
    label.setStringValue("Window expired — close and re-open");
    label.setTextColor(Color::systemOrange());
    stopPolling();
}

void PairPanelController::stopPolling() {
    m_pollTimer.invalidate();
    m_pollTimer = {};
}

void PairPanelController::windowWillClose(Window& window) {
    if (&window == m_panel.get())
        stopPolling();
}
