#include "menubar/StartError.h"
#include "menubar/tests/MenuApp.h"
#include "relay/DossierShares.h"

#include <Dispatch/Clock.h>
#include <Testing/Testing.h>
#include <filesystem>

using namespace AppKit;
using SampleBridge::Reply;

namespace {

class MenuShell : public MenuApp {
protected:
    // Has the timer ask for health again, answered with `body`, and waits for the state line.
    bool healthAnswers(Reply reply, const std::string& expectedTitle) {
        server().script("/healthz", std::move(reply));
        Dispatch::Clock::advance(AppDelegate::healthInterval);
        return eventually([&] { return statusLine().title() == expectedTitle; });
    }

    const std::shared_ptr<Image>& icon() { return statusItem->button().image(); }
    std::string iconSays() { return icon()->accessibilityDescription().value_or(""); }
};

} // namespace

TEST_F(MenuShell, LaunchBuildsTheStatusItemAndTheMenuInOrder) {
    launch();
    const auto& button = statusItem->button();
    EXPECT_EQ(button.toolTip(), "Kestrelhaven");
    EXPECT_EQ(button.imagePosition(), ImagePosition::ImageOnly);
    EXPECT_EQ(statusItem->length(), StatusItem::variableLength);
    EXPECT_EQ(shown(menu()), (std::vector<std::string>{
                                 "Bridge: running ✓  (v1.0.0)", "---", "Devices", "---", "Pinned",
                                 "  (none pinned)", "Pin a Conversation", "---", "Pair a Device…",
                                 "Settings…", "---", "Quit Kestrelhaven Menu"}));
    // The shares item waits, hidden, right below "Pin a Conversation".
    const auto shares = menu().itemAt(menu().indexOf(*item("Pin a Conversation")) + 1);
    EXPECT_TRUE(shares->isHidden());
    EXPECT_TRUE(shares->hasSubmenu());

    for (const char* passive : {"Devices", "Pinned", "  (none pinned)"})
        EXPECT_FALSE(item(passive)->isEnabled()) << passive;
    EXPECT_FALSE(statusLine().isEnabled());
    EXPECT_TRUE(item("Pin a Conversation")->isEnabled());
    EXPECT_EQ(item("Pair a Device…")->keyEquivalent(), "p");
    EXPECT_EQ(item("Settings…")->keyEquivalent(), ",");
    EXPECT_EQ(item("Quit Kestrelhaven Menu")->keyEquivalent(), "q");

    // Devices wait for the menu to open; health and conversations do not.
    EXPECT_EQ(count("/devices"), 0u);
    EXPECT_EQ(count("/healthz"), 1u);
    EXPECT_EQ(count("/conversations"), 1u);

    item("Quit Kestrelhaven Menu")->performAction();
    EXPECT_TRUE(Application::shared().isTerminating());
}

TEST_F(MenuShell, TheStateLineSaysHowTheBridgeIsWithItsToolTip) {
    launch();
    EXPECT_FALSE(statusLine().toolTip());

    EXPECT_TRUE(healthAnswers(Reply::json(200, R"({"ok": true, "config_error": "bad port"})"),
                              "Bridge: running ⚠️ config.json is invalid, settings locked"));
    EXPECT_EQ(statusLine().toolTip(), "bad port");

    EXPECT_TRUE(healthAnswers(Reply::json(200, R"({"ok": false, "version": "2.0"})"),
                              "Bridge: not running"));
    EXPECT_FALSE(statusLine().toolTip());
    EXPECT_EQ(iconSays(), "Kestrelhaven, bridge not running");

    Testing::writeText(StartError::path(), "\n  port 17801 is taken\n");
    Testing::setModificationTime(StartError::path(), now - 10);
    EXPECT_TRUE(healthAnswers(Reply::json(500, ""),
                              "Bridge: not running ⚠️ it can't start (Settings… says why)"));
    EXPECT_EQ(statusLine().toolTip(), "port 17801 is taken");

    // Running again drops the tool tip; without word of a phone the bridge runs alone.
    EXPECT_TRUE(healthAnswers(Reply::json(200, R"({"ok": true})"), "Bridge: running ✓  (v?)"));
    EXPECT_FALSE(statusLine().toolTip());
    EXPECT_EQ(iconSays(), "Kestrelhaven, no phone connected");

    std::filesystem::remove(StartError::path());
    EXPECT_TRUE(healthAnswers(Reply::json(200, R"({"ok": "yes"})"), "Bridge: not running"));

    EXPECT_TRUE(healthAnswers(Reply::json(200, R"({"ok": true, "version": "2.1", "device": true})"),
                              "Bridge: running ✓  (v2.1)"));
    EXPECT_EQ(iconSays(), "Kestrelhaven, phone connected");

    stopServer();
    Dispatch::Clock::advance(AppDelegate::healthInterval);
    EXPECT_TRUE(eventually([&] { return statusLine().title() == "Bridge: not running"; }));
}

TEST_F(MenuShell, TheIconWaitsForTheMenuToCloseAndIsRedrawnOnce) {
    launch();
    EXPECT_EQ(iconSays(), "Kestrelhaven, no phone connected");

    // Opening asks for health; the answer changes the line at once, the icon only on close.
    server().script("/healthz",
                    Reply::json(200, R"({"ok": true, "version": "3", "device": true})"));
    const auto before = icon();
    menu().open();
    EXPECT_TRUE(whileTracking([&] { return statusLine().title() == "Bridge: running ✓  (v3)"; }));
    EXPECT_EQ(icon(), before);
    menu().close();
    EXPECT_NE(icon(), before);
    EXPECT_EQ(iconSays(), "Kestrelhaven, phone connected");

    // A change and a change back while open still redraw once, on close.
    server().script("/healthz", Reply::json(200, R"({"ok": false})"));
    server().script("/healthz",
                    Reply::json(200, R"({"ok": true, "version": "4", "device": true})"));
    const auto connected = icon();
    menu().open();
    EXPECT_TRUE(whileTracking([&] { return statusLine().title() == "Bridge: not running"; }));
    Dispatch::Clock::advance(AppDelegate::healthInterval);
    // The health timer belongs to the default mode: it waits while the menu is open.
    EXPECT_FALSE(whileTracking([&] { return count("/healthz") > 3; }, 0.1));
    menu().close();
    EXPECT_TRUE(eventually([&] { return statusLine().title() == "Bridge: running ✓  (v4)"; }));
    EXPECT_NE(icon(), connected);
    EXPECT_EQ(iconSays(), "Kestrelhaven, phone connected");

    // A reply that leaves the state as it was redraws nothing.
    server().script("/healthz",
                    Reply::json(200, R"({"ok": true, "version": "5", "device": true})"));
    const auto redrawn = icon();
    menu().open();
    EXPECT_TRUE(whileTracking([&] { return statusLine().title() == "Bridge: running ✓  (v5)"; }));
    menu().close();
    EXPECT_EQ(icon(), redrawn);
}

TEST_F(MenuShell, OpeningTheMenuNeverWaitsForTheBridge) {
    for (const char* path : {"/healthz", "/healthz", "/devices", "/conversations"})
        server().script(path, Reply::never());
    delegate = std::make_shared<AppDelegate>();
    delegate->applicationDidFinishLaunching();
    statusItem = StatusBar::system().items().back();

    menu().open();
    // It returned with nothing answered, and all its requests are out at once.
    EXPECT_EQ(statusLine().title(), "Bridge: checking…");
    EXPECT_EQ(pinnedNote(), "  Loading…");
    EXPECT_TRUE(whileTracking([&] {
        return count("/healthz") == 2 && count("/devices") == 1 && count("/conversations") == 1;
    }));
    menu().close();
}

TEST_F(MenuShell, DeviceRowsStandUnderTheirHeaderEachAsTheBridgeSaysIt) {
    server().state().setDevices(JSONCoding::JSON::parse(R"([
        {"device_id": "Ada's iPhone"},
        {"device_id": "Old iPad", "connected": false, "last_seen": 1718449200000, "auth": "legacy"},
        {"device_id": "Spare", "connected": false, "last_seen": 0, "auth": "token"},
        {"connected": true, "auth": "legacy"}])"));
    launch();
    // Each opening's health reply names a version of its own and is awaited with what the opening
    // should show, so that none is still on its way, to land late, when the bridge stops below.
    int openings = 0;
    const auto openUntil = [&](const std::function<bool()>& shows) {
        const std::string version = std::to_string(++openings);
        server().script("/healthz",
                        Reply::json(200, R"({"ok": true, "version": ")" + version + "\"}"));
        menu().open();
        EXPECT_TRUE(whileTracking([&] {
            return shows() && statusLine().title() == "Bridge: running ✓  (v" + version + ")";
        }));
        menu().close();
    };
    openUntil([&] { return count("/devices") == 1 && shown(menu()).size() > 13; });
    const auto titles = shown(menu());
    const auto header = std::find(titles.begin(), titles.end(), "Devices");
    ASSERT_NE(header, titles.end());
    EXPECT_EQ(
        std::vector<std::string>(header + 1, header + 5),
        (std::vector<std::string>{"  ● Ada's iPhone — connected",
                                  "  ○ Old iPad — last seen 15 Jun 2024, 12:00 · unencrypted",
                                  "  ○ Spare — not connected", "  ● ? — connected · unencrypted"}));
    EXPECT_FALSE(item("  ● Ada's iPhone — connected")->isEnabled());

    // No phones, a reply without "devices" and no reply all show the empty case, once. Each
    // reply makes the row anew, so a new row shows that this opening's reply has come.
    const auto none = [&] { return menu().itemWithTitle("  (none paired)"); };
    const auto anotherNone = [&](const std::shared_ptr<MenuItem>& before) {
        return [&none, before] { return none() && none() != before; };
    };
    for (const char* body : {R"({"devices": []})", R"({"phones": []})"}) {
        server().script("/devices", Reply::json(200, body));
        openUntil(anotherNone(none()));
    }
    stopServer();
    const auto before = none();
    menu().open();
    EXPECT_TRUE(whileTracking([&] { return statusLine().title() == "Bridge: not running"; }));
    menu().close();
    EXPECT_TRUE(eventually(anotherNone(before)));
    EXPECT_EQ(shown(menu())[3], "  (none paired)");
    EXPECT_EQ(shown(menu())[4], "---");
    EXPECT_EQ(iconSays(), "Kestrelhaven, bridge not running");
}

TEST_F(MenuShell, WaitingSharesShowInASubmenuHiddenWhileNoneWaits) {
    launch();
    auto& relay = DossierShares::shared();
    const auto shares = menu().itemAt(menu().indexOf(*item("Pin a Conversation")) + 1);

    relay.publishRows({{"s1", "Notes from the\nstand-up   meeting", "Waiting for the bridge"}});
    EXPECT_TRUE(eventually([&] { return !shares->isHidden(); }));
    EXPECT_EQ(shares->title(), "Dossier: 1 share waiting");
    // The rows are built as the submenu opens, and follow changes while it stays open.
    const auto& rows = *shares->submenu();
    EXPECT_EQ(rows.numberOfItems(), 0);
    shares->submenu()->open();
    ASSERT_EQ(rows.numberOfItems(), 1);
    const auto row = rows.itemAt(0);
    EXPECT_EQ(row->title(), "Notes from the stand-up meeting");
    EXPECT_EQ(row->toolTip(), "Waiting for the bridge");
    EXPECT_TRUE(row->isEnabled());
    EXPECT_EQ(shown(*row->submenu()),
              (std::vector<std::string>{"Waiting for the bridge", "---", "Remove"}));
    EXPECT_FALSE(row->submenu()->itemAt(0)->isEnabled());
    const auto remove = row->submenu()->itemAt(2);
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_EQ(std::any_cast<std::string>(remove->representedObject()), "s1");
    EXPECT_TRUE(remove->performAction());

    relay.publishRows({{"s1", "One", "Sending…"}, {"s2", std::string(70, 'x'), "Waiting to send"}});
    EXPECT_TRUE(eventually([&] { return shares->title() == "Dossier: 2 shares waiting"; }));
    EXPECT_EQ(shares->submenu()->itemAt(1)->title(), std::string(60, 'x'));

    relay.publishRows({});
    EXPECT_TRUE(eventually([&] { return shares->isHidden(); }));
    EXPECT_EQ(shares->submenu()->numberOfItems(), 0);
    shares->submenu()->close();
    relay.publishRows({{"s3", "Three", "Waiting to send"}});
    EXPECT_TRUE(eventually([&] { return !shares->isHidden(); }));
    EXPECT_EQ(rows.numberOfItems(), 0);
    shares->submenu()->open();
    EXPECT_EQ(rows.itemAt(0)->title(), "Three");
}
