#include "menubar/tests/MenuApp.h"
#include "service/SetupActions.h"
#include "settings/SettingsWindowController.h"
#include "settings/tests/SettingsTesting.h"

#include <AppKit/Application.h>
#include <Dispatch/Clock.h>
#include <SwiftUI/HostingView.h>

using namespace AppKit;

TEST(SettingsWindow, IsMadeOnceShownAgainAndRefreshesOnlyWhileOpen) {
    auto model = std::make_shared<SettingsModel>(std::make_shared<Bridge>());
    auto controller = std::make_shared<SettingsWindowController>(model);
    EXPECT_FALSE(controller->window());
    EXPECT_EQ(controller->model(), model);

    const int activations = Application::shared().activationCount();
    controller->show();
    const auto window = controller->window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title(), "Kestrelhaven Settings");
    EXPECT_EQ(window->styleMask(), 3u);
    EXPECT_FALSE(window->isReleasedWhenClosed());
    EXPECT_TRUE(window->isCentered());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(controller->isRefreshing());
    EXPECT_EQ(Application::shared().activationCount(), activations + 1);

    const auto shown = Application::shared().windows().size();
    controller->show();
    EXPECT_EQ(controller->window(), window);
    EXPECT_EQ(Application::shared().windows().size(), shown);

    window->close();
    EXPECT_FALSE(controller->isRefreshing());
    controller->show();
    EXPECT_EQ(controller->window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(controller->isRefreshing());
}

using SettingsWindowRefresh = SettingsFixture;

TEST_F(SettingsWindowRefresh, OneTimerRefreshesTheEnvironmentsWhileOpenAndEveryShowReloads) {
    auto controller = std::make_shared<SettingsWindowController>(model);
    controller->show();
    const auto window = controller->window();
    ASSERT_TRUE(window);
    // The form fills the window, 480 points wide and at least 640 high.
    const auto host = SwiftUI::hostingController(*window);
    ASSERT_TRUE(host);
    EXPECT_NE(host->renderText().find("Section \"Connection\""), std::string::npos);
    EXPECT_EQ(window->contentSize().width, 480);
    EXPECT_GE(window->contentSize().height, 640);

    // The controller and the form each load once.
    ASSERT_TRUE(eventually([&] { return count("/settings") == 2; }));
    controller->show();
    EXPECT_EQ(controller->window(), window);
    ASSERT_TRUE(eventually([&] {
        return count("/settings") == 3 && count("/devices") == 3 && count("/environments") == 3;
    }));
    // A single timer runs after two shows: one refresh per interval.
    const std::size_t listed = 3;
    Dispatch::Clock::advance(SettingsWindowController::refreshInterval);
    ASSERT_TRUE(eventually([&] { return count("/environments") == listed + 1; }));
    settle(server().requests().size());
    EXPECT_EQ(count("/environments"), listed + 1);
    EXPECT_EQ(count("/settings"), 3u);

    // Closed, it asks nothing.
    window->close();
    Dispatch::Clock::advance(3 * SettingsWindowController::refreshInterval);
    Dispatch::RunLoop::main().runFor(0.2);
    EXPECT_EQ(count("/environments"), listed + 1);

    // Reopened, the same window asks for everything again, and the form loads again.
    controller->show();
    EXPECT_EQ(controller->window(), window);
    ASSERT_TRUE(eventually([&] {
        return count("/settings") == 5 && count("/devices") == 5 &&
               count("/environments") == listed + 3;
    }));

    // The refresh holds the controller weakly: once it is gone, the model is asked nothing.
    std::weak_ptr<SettingsWindowController> weak = controller;
    controller.reset();
    EXPECT_TRUE(weak.expired());
    Dispatch::Clock::advance(SettingsWindowController::refreshInterval);
    Dispatch::RunLoop::main().runFor(0.2);
    EXPECT_EQ(count("/environments"), listed + 3);
    window->close();
}

using LaunchedMenu = MenuApp;

TEST_F(LaunchedMenu, SettingsOpensOneWindowFromTheMenuAndFromSetup) {
    launch();
    item("Settings…")->performAction();
    const auto window = Application::shared().keyWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title(), "Kestrelhaven Settings");
    window->close();
    SetupActions::openSettings();
    EXPECT_EQ(Application::shared().keyWindow(), window);
}

TEST_F(LaunchedMenu, SetupOpensThePairingPanelOnceTheMenuHasLaunched) {
    // Before launch the callbacks do nothing.
    SetupActions::openPair();
    SetupActions::openSettings();
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(count("/pair/arm"), 0u);
    EXPECT_TRUE(Application::shared().windows().empty());

    launch();
    SetupActions::openPair();
    EXPECT_TRUE(eventually([&] { return Application::shared().keyWindow() != nullptr; }));
    EXPECT_EQ(Application::shared().keyWindow()->title(), "Pair a Device");

    item("Pair a Device…")->performAction();
    EXPECT_TRUE(eventually([&] { return count("/pair/arm") == 2; }));
    EXPECT_EQ(Application::shared().windows().size(), 1u);

    // Once the delegate is gone the callbacks do nothing again.
    delegate.reset();
    SetupActions::openPair();
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(count("/pair/arm"), 2u);
}
