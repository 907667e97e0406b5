// A test fixture with the menu-bar application's delegate launched against the
// sample bridge in the test home, the user's locale and the wall clock fixed,
// and alerts recorded instead of shown.
#pragma once

#include "menubar/AppDelegate.h"
#include "menubar/tests/WithSampleBridge.h"
#include "relay/DossierShares.h"

#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <AppKit/StatusBar.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/DateFormatter.h>
#include <Foundation/SystemTime.h>
#include <functional>
#include <string>
#include <vector>

struct ShownAlert {
    std::string message;
    std::string informative;
    bool operator==(const ShownAlert&) const = default;
    friend void PrintTo(const ShownAlert& alert, std::ostream* out) {
        *out << '"' << alert.message << "\" / \"" << alert.informative << '"';
    }
};

class MenuApp : public WithSampleBridge {
protected:
    // 2024-06-15 12:00 UTC, 13:00 in London.
    static constexpr double midsummerNoon = 1718452800;

    void SetUp() override {
        WithSampleBridge::SetUp();
        Foundation::setUserLocale("en_GB", "Europe/London");
        Foundation::SystemTime::setSource([this] { return now; });
        server().state().setClock([this] { return now; });
        AppKit::Alert::setPresenter([this](const AppKit::Alert& alert) {
            alerts.push_back({alert.messageText(), alert.informativeText()});
            return AppKit::alertFirstButtonReturn;
        });
    }

    void TearDown() override {
        for (const auto& window : AppKit::Application::shared().windows())
            window->close();
        AppKit::Alert::setPresenter({});
        Foundation::SystemTime::setSource({});
        // What the launch started ends before the test home goes.
        DossierShares::shared().stop();
        // The server's threads read this fixture's clock: they end before the fixture does.
        stopServer();
    }

    void restartServer(SampleBridge::State state) {
        state.setClock([this] { return now; });
        startServer(std::move(state));
    }

    // Launches the delegate and waits for its first health and conversation replies.
    void launch() {
        delegate = std::make_shared<AppDelegate>();
        delegate->applicationDidFinishLaunching();
        statusItem = AppKit::StatusBar::system().items().back();
        ASSERT_TRUE(eventually([&] {
            return statusLine().title() != "Bridge: checking…" && pinnedNote() != "  Loading…";
        }));
    }

    AppKit::Menu& menu() { return *statusItem->menu(); }
    AppKit::MenuItem& statusLine() { return *menu().itemAt(0); }
    // The first row under "Pinned".
    std::string pinnedNote() { return menu().itemAt(menu().indexOf(*item("Pinned")) + 1)->title(); }

    std::shared_ptr<AppKit::MenuItem> item(std::string_view title) { return itemIn(menu(), title); }
    static std::shared_ptr<AppKit::MenuItem> itemIn(const AppKit::Menu& menu,
                                                    std::string_view title) {
        auto found = menu.itemWithTitle(title);
        EXPECT_TRUE(found) << "no item \"" << title << "\"";
        return found;
    }

    // The titles of the items shown, "---" for a separator.
    static std::vector<std::string> shown(const AppKit::Menu& menu) {
        std::vector<std::string> titles;
        for (const auto& item : menu.items())
            if (!item->isHidden())
                titles.push_back(item->isSeparatorItem() ? "---" : item->title());
        return titles;
    }

    std::vector<SampleBridge::Request> requestsTo(std::string_view route) {
        std::vector<SampleBridge::Request> found;
        for (auto& request : server().requests())
            if (request.route() == route)
                found.push_back(std::move(request));
        return found;
    }
    std::size_t count(std::string_view route) { return requestsTo(route).size(); }

    static bool eventually(const std::function<bool()>& condition, double timeout = 5) {
        return Dispatch::RunLoop::main().runUntil(condition, timeout);
    }
    // Runs the loop as an open menu does.
    static bool whileTracking(const std::function<bool()>& condition, double timeout = 5) {
        return Dispatch::RunLoop::main().runUntil(condition, timeout,
                                                  Dispatch::RunLoopMode::EventTracking);
    }

    double now = midsummerNoon;
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<AppKit::StatusItem> statusItem;
    std::vector<ShownAlert> alerts;
};
