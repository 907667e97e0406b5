#include "menubar/PairPanelController.h"
#include "menubar/QRImage.h"
#include "menubar/tests/MenuApp.h"

#include <AppKit/Application.h>
#include <Dispatch/Clock.h>
#include <Testing/Testing.h>
#include <cstdio>

using namespace AppKit;
using SampleBridge::Reply;

namespace {

class PairPanel : public MenuApp {
protected:
    void SetUp() override {
        MenuApp::SetUp();
        controller = std::make_shared<PairPanelController>(std::make_shared<Bridge>());
    }

    // Opens the panel with the bridge's own pairing window.
    void openPanel() {
        controller->open();
        ASSERT_TRUE(eventually([&] { return controller->panel() != nullptr; }));
    }

    // The texts of the panel's labels, top to bottom.
    std::vector<std::string> labels() {
        std::vector<std::string> texts;
        const auto& stack = dynamic_cast<StackView&>(*controller->panel()->contentView());
        for (const auto& view : stack.arrangedSubviews())
            if (const auto* label = dynamic_cast<TextField*>(view.get()))
                texts.push_back(label->stringValue());
        return texts;
    }
    std::string status() { return controller->statusLabel()->stringValue(); }

    // One poll tick answered with `body`; true when the status line then reads `line`. A line
    // the answer leaves as it was reads so before the answer comes, so the answer is awaited
    // until it has been handed over.
    bool pollAnswers(const std::string& body, const std::string& line) {
        const auto answer = scriptWatched("/pair/status", Reply::json(200, body));
        Dispatch::Clock::advance(PairPanelController::pollInterval);
        return handedOver(answer) && eventually([&] { return status() == line; });
    }

    std::string paired(double secondsAfterArming, bool armed = false) {
        return std::string(R"({"armed": )") + (armed ? "true" : "false") +
               R"(, "paired": {"device_id": "Ada's iPhone", "at": )" +
               std::to_string(std::llround((now + secondsAfterArming) * 1000)) + "}}";
    }

    std::shared_ptr<PairPanelController> controller;
};

std::string decoded(const std::filesystem::path& png) {
    const std::string command = "zbarimg --raw -q '" + png.string() + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    if (pipe)
        ::pclose(pipe);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace

TEST(QRImage, DecodesBackToThePairingAddress) {
    const std::string uri = "kestrelhaven://pair?code=123456&host=adas-macbook.local";
    const auto image = qrImage(uri, 220);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{220, 220}));
    Testing::TemporaryFolder folder;
    ASSERT_TRUE(image->writePNG(folder.path() / "qr.png"));
    EXPECT_EQ(decoded(folder.path() / "qr.png"), uri);

    EXPECT_FALSE(qrImage(std::string(3000, 'x'), 220));
}

TEST_F(PairPanel, ShowsTheCodeTheQRImageAndTheNetworkInAFloatingPanel) {
    server().state().setPairing({.host = "adas-macbook.local"});
    openPanel();
    const auto& panel = *controller->panel();
    EXPECT_EQ(panel.title(), "Pair a Device");
    EXPECT_TRUE(panel.isPanel());
    EXPECT_EQ(panel.contentSize(), (Size{340, 430}));
    EXPECT_EQ(panel.styleMask(), WindowStyle::titled | WindowStyle::closable);
    EXPECT_EQ(panel.level(), WindowLevel::Floating);
    EXPECT_FALSE(panel.isReleasedWhenClosed());
    EXPECT_TRUE(panel.isCentered());
    EXPECT_TRUE(panel.isKeyWindow());
    EXPECT_TRUE(Application::shared().isActive());

    const auto& stack = dynamic_cast<StackView&>(*panel.contentView());
    EXPECT_EQ(stack.orientation(), Orientation::Vertical);
    EXPECT_EQ(stack.alignment(), StackAlignment::CenterX);
    EXPECT_EQ(stack.spacing(), 14);
    EXPECT_EQ(stack.edgeInsets(), (EdgeInsets{20, 20, 20, 20}));

    const auto code = server().state().pairStatus()["code"].get<std::string>();
    EXPECT_EQ(labels(),
              (std::vector<std::string>{
                  code.substr(0, 3) + " " + code.substr(3),
                  "Scan it from the app's Pair with your Mac screen. One device; the "
                  "window closes itself when paired.",
                  "On the local network (adas-macbook.local).", "Waiting for a device…"}));
    const auto& codeLabel = dynamic_cast<TextField&>(*stack.arrangedSubviews()[0]);
    EXPECT_EQ(codeLabel.font(), Font::monospacedDigitSystemFont(44, FontWeight::Semibold));
    const auto& qr = dynamic_cast<ImageView&>(*stack.arrangedSubviews()[1]);
    EXPECT_EQ(qr.fixedSize(), (Size{220, 220}));
    ASSERT_TRUE(qr.image());
    EXPECT_EQ(qr.image()->size(), (Size{220, 220}));
    const auto& hint = dynamic_cast<TextField&>(*stack.arrangedSubviews()[2]);
    EXPECT_EQ(hint.font(), Font::systemFont(12));
    EXPECT_EQ(hint.textColor(), Color::secondaryLabel());
    EXPECT_EQ(hint.alignment(), TextAlignment::Center);
    EXPECT_EQ(hint.preferredMaxLayoutWidth(), 280);
    EXPECT_EQ(hint.lineBreakMode(), LineBreakMode::WordWrapping);
    EXPECT_EQ(controller->statusLabel()->font(), Font::systemFont(13, FontWeight::Medium));
    EXPECT_EQ(controller->statusLabel()->textColor(), Color::secondaryLabel());
}

TEST_F(PairPanel, CodesAndNetworkLinesFollowTheArmReply) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {R"({"code": "abcd", "uri": "u"})", {"abc bcd", "On the local network."}},
        {R"({"code": "ab", "uri": "u", "tailscale_only": false})",
         {"ab ab", "On the local network."}},
        {R"({"code": "123456", "uri": "u", "tailscale_only": true})",
         {"123 456", "Over Tailscale only, to this Mac's tailnet address. The phone needs "
                     "Tailscale on."}},
        {R"({"code": "123456", "uri": "u", "host": "mac.tail1.ts.net", "tailscale_only": true})",
         {"123 456", "Over Tailscale only, to mac.tail1.ts.net. The phone needs Tailscale on."}}};
    for (const auto& [body, expected] : cases) {
        server().script("/pair/arm", Reply::json(200, body));
        const auto before = controller->panel();
        controller->open();
        ASSERT_TRUE(eventually([&] { return controller->panel() != before; }));
        const auto shown = labels();
        EXPECT_EQ(shown[0], expected[0]);
        EXPECT_EQ(shown[2], expected[1]);
        // The panel it replaced is closed.
        EXPECT_TRUE(!before || !before->isVisible());
    }
}

TEST_F(PairPanel, AnArmThatGivesNoCodeSaysWhyInAnAlert) {
    const std::pair<Reply, ShownAlert> cases[] = {
        {Reply::json(409, R"({"message": "Pairing is off."})"),
         {"Can't pair right now", "Pairing is off."}},
        {Reply::json(200, R"({"code": "123456", "message": "No address yet."})"),
         {"Can't pair right now", "No address yet."}},
        {Reply::json(200, R"({"code": "123456"})"),
         {"Bridge not reachable", "Start it with: kestrelhaven start"}},
        {Reply::json(500, "oops"), {"Bridge not reachable", "Start it with: kestrelhaven start"}}};
    for (const auto& [reply, alert] : cases) {
        server().script("/pair/arm", reply);
        controller->open();
        EXPECT_TRUE(eventually([&] { return !alerts.empty(); }));
        EXPECT_EQ(std::exchange(alerts, {}), std::vector<ShownAlert>{alert});
    }
    stopServer();
    controller->open();
    EXPECT_TRUE(eventually([&] { return !alerts.empty(); }));
    EXPECT_EQ(alerts[0].message, "Bridge not reachable");
    EXPECT_FALSE(controller->panel());
}

TEST_F(PairPanel, PollsEverySecondUntilPairedThenClosesTwoSecondsLater) {
    openPanel();
    EXPECT_EQ(count("/pair/status"), 0u);
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": true})", "Waiting for a device…"));
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": true, "device_id": "Ada's iPhone"})",
                            "Ada's iPhone is asking — enter the code"));
    // A status reply that does not decode leaves the line as it was.
    EXPECT_TRUE(pollAnswers(R"({"knocked": true})", "Ada's iPhone is asking — enter the code"));
    // A pairing from before this panel was armed, or at that very moment, is not this one.
    EXPECT_TRUE(pollAnswers(paired(-5, true), "Waiting for a device…"));
    EXPECT_TRUE(pollAnswers(paired(0), "Window expired — close and re-open"));
    EXPECT_FALSE(controller->isPolling());
}

TEST_F(PairPanel, APairingReportsSuccessStopsPollingAndClosesThePanel) {
    openPanel();
    EXPECT_TRUE(pollAnswers(paired(+1), "✓ Paired: Ada's iPhone"));
    EXPECT_EQ(controller->statusLabel()->textColor(), Color::systemGreen());
    EXPECT_FALSE(controller->isPolling());
    Dispatch::Clock::advance(5);
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(count("/pair/status"), 1u);

    EXPECT_TRUE(eventually([&] { return !controller->panel()->isVisible(); }));
}

TEST_F(PairPanel, TheDelayedCloseClosesOnlyThePanelThatPaired) {
    openPanel();
    EXPECT_TRUE(pollAnswers(paired(+1), "✓ Paired: Ada's iPhone"));
    const auto pairedPanel = controller->panel();
    controller->open();
    ASSERT_TRUE(eventually([&] { return controller->panel() != pairedPanel; }));
    const auto reopened = controller->panel();
    Dispatch::Clock::advance(PairPanelController::closeAfterPairing);
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_FALSE(pairedPanel->isVisible());
    EXPECT_TRUE(reopened->isVisible());
    EXPECT_TRUE(controller->isPolling());
}

TEST_F(PairPanel, RepliesForAnEarlierPanelOrAfterPollingStoppedChangeNothing) {
    // A poll whose answer, a pairing, the bridge holds until the test lets it go.
    const auto pollHeld = [&] {
        auto gate = scriptHeld("/pair/status", Reply::json(200, paired(+1)));
        Dispatch::Clock::advance(PairPanelController::pollInterval);
        EXPECT_TRUE(eventually([&] { return gate.reached(); }));
        return gate;
    };
    const auto statusChanged = [&] { return status() != "Waiting for a device…"; };

    openPanel();
    const auto first = controller->panel();
    // The poll's answer is on its way when the panel is replaced.
    auto replaced = pollHeld();
    controller->open();
    ASSERT_TRUE(eventually([&] { return controller->panel() != first; }));
    const auto second = controller->panel();
    EXPECT_EQ(status(), "Waiting for a device…");
    EXPECT_TRUE(changesNothing(replaced, statusChanged));
    EXPECT_TRUE(second->isVisible());

    // Closed by hand while a poll is on its way: polling stops and its answer is dropped.
    auto closed = pollHeld();
    second->close();
    EXPECT_FALSE(controller->isPolling());
    EXPECT_TRUE(changesNothing(closed, statusChanged));
    const std::size_t polled = count("/pair/status");
    Dispatch::Clock::advance(10);
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(count("/pair/status"), polled);
}

TEST_F(PairPanel, HelpAppearsAfterTwentySecondsWithoutAKnock) {
    openPanel();
    now += 20;
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": false})", "Waiting for a device…"));
    now += 1;
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": false})",
                            "No phone has reached this Mac. Is it on the same Wi-Fi?"));
    const auto& label = *controller->statusLabel();
    EXPECT_EQ(label.textColor(), Color::systemOrange());
    EXPECT_EQ(label.lineBreakMode(), LineBreakMode::WordWrapping);
    EXPECT_EQ(label.maximumNumberOfLines(), 5);
    EXPECT_EQ(label.preferredMaxLayoutWidth(), 280);

    // Without word of knocks there is never help, however long.
    now += 600;
    EXPECT_TRUE(pollAnswers(R"({"armed": true})", "Waiting for a device…"));
    EXPECT_EQ(label.textColor(), Color::secondaryLabel());
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": false})",
                            "No phone has reached this Mac. Is it on the same Wi-Fi?"));
    EXPECT_TRUE(pollAnswers(R"({"armed": true, "knocked": true})", "Waiting for a device…"));
}

TEST_F(PairPanel, OverTheTailnetTheHelpSpeaksOfTailscale) {
    server().script("/pair/arm", Reply::json(200, R"({"code": "123456", "uri": "u",
        "tailscale_only": true})"));
    openPanel();
    now += 30;
    EXPECT_TRUE(pollAnswers(
        R"({"armed": true, "knocked": false})",
        "No phone has reached this Mac. Is Tailscale on for both, and do its access rules "
        "allow TCP 17801? If this Mac signed in to Tailscale again, refresh its entry in the "
        "phone's Tailscale app. Or allow Wi-Fi in Settings."));
}

TEST_F(PairPanel, AnExpiredWindowStopsPollingAndReopeningArmsAgain) {
    openPanel();
    // Long without a knock, but the window has closed: no help, it expired.
    now += 30;
    EXPECT_TRUE(
        pollAnswers(R"({"armed": false, "knocked": false})", "Window expired — close and re-open"));
    EXPECT_EQ(controller->statusLabel()->textColor(), Color::systemOrange());
    Dispatch::Clock::advance(10);
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(count("/pair/status"), 1u);
    EXPECT_TRUE(controller->panel()->isVisible());

    controller->panel()->close();
    controller->open();
    EXPECT_TRUE(eventually([&] { return count("/pair/arm") == 2; }));
    EXPECT_TRUE(eventually([&] { return controller->isPolling(); }));
}
