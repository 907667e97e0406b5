#include "menubar/AppDelegate.h"
#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/Setup.h"
#include "service/tests/SetupFixture.h"

#include <AppKit/Application.h>
#include <Foundation/Bundle.h>
#include <Foundation/UserDefaults.h>
#include <SwiftUI/HostingView.h>
#include <gmock/gmock.h>
#include <unistd.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

namespace {

namespace fs = std::filesystem;
namespace Defaults = Foundation::UserDefaults;

std::shared_ptr<AppKit::Menu> statusMenu(bool withSettings = true) {
    auto menu = AppKit::Menu::make();
    menu->addItem(AppKit::MenuItem::make("Pair a Device…", [](AppKit::MenuItem&) {}));
    if (withSettings)
        menu->addItem(AppKit::MenuItem::make("Settings…", [](AppKit::MenuItem&) {}));
    menu->addItem(AppKit::MenuItem::separator());
    menu->addItem(AppKit::MenuItem::make("Quit Kestrelhaven Menu", [](AppKit::MenuItem&) {}));
    return menu;
}

std::vector<std::string> titles(const AppKit::Menu& menu) {
    std::vector<std::string> found;
    for (const auto& item : menu.items())
        found.push_back(item->isSeparatorItem() ? "---" : item->title());
    return found;
}

std::shared_ptr<AppKit::Window> setupWindow() {
    for (const auto& window : AppKit::Application::shared().windows())
        if (window->title() == "Kestrelhaven Setup")
            return window;
    return nullptr;
}

class SetupLaunch : public WithSetup {
protected:
    void SetUp() override {
        WithSetup::SetUp();
        Foundation::Bundle::setMainInfo("CFBundleVersion", Foundation::PropertyList("42"));
    }
    void TearDown() override {
        for (const auto& window : AppKit::Application::shared().windows())
            window->close();
        WithSetup::TearDown();
    }

    // The service registered, with the sample bridge answering in-process (the agent's own
    // finds the socket taken and ends).
    void turnServiceOn() {
        startBridge();
        ASSERT_EQ(BackgroundService::registerService(), std::nullopt);
    }
    // Everything in place but what a test leaves out: the user would not be asked.
    void setUpCompletely() {
        turnServiceOn();
        installClaude();
        ASSERT_EQ(Bundled::cli({"install-hooks"}, 20).status, 0);
    }
    // launchctl records its arguments; "print" answers `printStatus`.
    void recordLaunchctl(int printStatus) {
        scriptLaunchctl("echo \"$@\" >> '" + log().string() + "'\n[ \"$1\" = print ] && exit " +
                        std::to_string(printStatus) + "\nexit 0\n");
    }
    fs::path log() const { return tools.path() / "launchctl.log"; }
    std::string target() const {
        return "gui/" + std::to_string(::getuid()) + "/com.tallowmeadows.kestrelhaven.agent";
    }
    // The doctor of the launch's refresh has asked the bridge about its phones, so the decision
    // to open the window, taken before, has been carried out.
    bool doctorAsked() {
        const bool asked = eventually([this] {
            for (const auto& request : bridge->requests())
                if (request.route() == "/devices")
                    return true;
            return false;
        });
        Dispatch::RunLoop::main().runFor(0.1);
        return asked;
    }

    std::shared_ptr<AppKit::Menu> menu = statusMenu();
};

} // namespace

TEST(SetupMenuIndex, IsJustAfterSettingsOrAtTheEnd) {
    EXPECT_EQ(Setup::menuIndex(*statusMenu()), 2);
    EXPECT_EQ(Setup::menuIndex(*statusMenu(false)), 3);
    EXPECT_EQ(Setup::menuIndex(*AppKit::Menu::make()), 0);
}

TEST_F(SetupLaunch, TheSetupItemFollowsSettingsAndOpensTheWindow) {
    Defaults::setBool("setupSeen", true);
    setUpCompletely();
    Setup::start(menu);
    EXPECT_THAT(titles(*menu), ElementsAre("Pair a Device…", "Settings…", "Set Up Kestrelhaven…",
                                           "---", "Quit Kestrelhaven Menu"));
    EXPECT_EQ(Defaults::string("bridgeBuild"), "42");

    menu->itemWithTitle("Set Up Kestrelhaven…")->performAction();
    const auto window = setupWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->styleMask(), AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
    EXPECT_FALSE(window->isReleasedWhenClosed());
    EXPECT_TRUE(window->isCentered());
    EXPECT_EQ(window->contentSize().width, 580);
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);

    // "Done" only hides it; the next opening brings the same window back.
    ASSERT_TRUE(doctorAsked());
    EXPECT_EQ(SwiftUI::hostingController(*window)->press("Done"),
              SwiftUI::HostingController::Outcome::Performed);
    EXPECT_FALSE(window->isVisible());
    menu->itemWithTitle("Set Up Kestrelhaven…")->performAction();
    EXPECT_EQ(setupWindow(), window);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(AppKit::Application::shared().windows().size(), 1u);
}

TEST_F(SetupLaunch, ABundleWithoutItsBridgeLeavesSetupOut) {
    fs::remove(Bundled::app() / "Contents" / "Helpers");
    Setup::start(menu);
    EXPECT_THAT(titles(*menu), Not(testing::Contains("Set Up Kestrelhaven…")));
    EXPECT_EQ(Defaults::string("bridgeBuild"), std::nullopt);
    Dispatch::RunLoop::main().runFor(0.1);
    EXPECT_EQ(setupWindow(), nullptr);
}

TEST_F(SetupLaunch, TheWindowOpensByItselfTheFirstTimeSomethingNeedsTheUser) {
    Setup::start(menu);
    ASSERT_TRUE(eventually([] { return setupWindow() != nullptr; }));
    EXPECT_TRUE(setupWindow()->isKeyWindow());
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);
}

TEST_F(SetupLaunch, AWindowSeenBeforeOpensAgainOnlyWhenNoBridgeCanRun) {
    Defaults::setBool("setupSeen", true);
    // Hooks are missing, but the service is on: the user is not asked again.
    turnServiceOn();
    Setup::start(menu);
    ASSERT_TRUE(doctorAsked());
    EXPECT_EQ(setupWindow(), nullptr);
}

TEST_F(SetupLaunch, AWindowSeenBeforeOpensWhenTheServiceIsOffAndNoAgentRunsABridge) {
    Defaults::setBool("setupSeen", true);
    Setup::start(menu);
    ASSERT_TRUE(eventually([] { return setupWindow() != nullptr; }));
}

TEST_F(SetupLaunch, TheDecisionDoesNotWaitForTheDoctor) {
    setUpCompletely();
    // The doctor still finds things to do (no MCP entry, no phone), which are not the user's to
    // be asked about at launch.
    Setup::start(menu);
    ASSERT_TRUE(doctorAsked());
    EXPECT_EQ(setupWindow(), nullptr);
    EXPECT_EQ(Defaults::boolean("setupSeen"), std::nullopt);
}

TEST_F(SetupLaunch, TheFirstLaunchRecordsTheBuildWithoutRestartingTheService) {
    turnServiceOn();
    recordLaunchctl(0);
    Setup::start(menu);
    EXPECT_EQ(Defaults::string("bridgeBuild"), "42");
    const std::string print = "print " + target() + "\n";
    ASSERT_TRUE(eventually([&] { return fs::exists(log()); }));
    Dispatch::RunLoop::main().runFor(0.3);
    EXPECT_EQ(Testing::readText(log()), print);

    // Nor does the next launch of the same build.
    Setup::start(statusMenu());
    ASSERT_TRUE(eventually([&] { return Testing::readText(log()).starts_with(print + print); }));
    Dispatch::RunLoop::main().runFor(0.3);
    EXPECT_EQ(Testing::readText(log()), print + print);
}

TEST_F(SetupLaunch, ANewBuildRestartsTheService) {
    turnServiceOn();
    Defaults::setString("bridgeBuild", "41");
    recordLaunchctl(0);
    Setup::start(menu);
    ASSERT_TRUE(eventually(
        [&] { return Testing::readText(log()).find("kickstart") != std::string::npos; }));
    EXPECT_EQ(Testing::readText(log()), "print " + target() + "\nkickstart -k " + target() + "\n");
    EXPECT_EQ(Defaults::string("bridgeBuild"), "42");
}

TEST_F(SetupLaunch, ABuildWithoutAVersionCountsAsNew) {
    turnServiceOn();
    Defaults::setString("bridgeBuild", "41");
    Foundation::Bundle::setMainInfo("CFBundleVersion", std::nullopt);
    recordLaunchctl(0);
    Setup::start(menu);
    EXPECT_EQ(Defaults::string("bridgeBuild"), std::nullopt);
    ASSERT_TRUE(eventually(
        [&] { return Testing::readText(log()).find("kickstart") != std::string::npos; }));
}

TEST_F(SetupLaunch, AServiceLaunchdDoesNotHoldIsRegisteredAgain) {
    turnServiceOn();
    Defaults::setString("bridgeBuild", "41");
    ASSERT_EQ(Launchd::Domain::current().bootout(BackgroundService::label()), std::nullopt);
    ASSERT_FALSE(agentJob());
    recordLaunchctl(1);
    Setup::start(menu);
    ASSERT_TRUE(eventually([] { return agentJob().has_value(); }));
    EXPECT_EQ(Testing::readText(log()), "print " + target() + "\n");
}

TEST_F(SetupLaunch, AServiceThatIsOffIsLeftAloneButTheBuildIsRecorded) {
    Defaults::setString("bridgeBuild", "41");
    recordLaunchctl(0);
    Setup::start(menu);
    EXPECT_EQ(Defaults::string("bridgeBuild"), "42");
    ASSERT_TRUE(eventually([] { return setupWindow() != nullptr; }));
    EXPECT_FALSE(fs::exists(log()));
}

TEST_F(SetupLaunch, TheMenuBarApplicationStartsSetupBeforeItsUpdater) {
    startBridge();
    Defaults::setBool("setupSeen", true);
    Foundation::Bundle::setMainInfo("SUFeedURL",
                                    "https://updates.kestrelhaven.example/appcast.xml");
    Foundation::Bundle::setMainInfo("SUPublicEDKey",
                                    "pB1CiAoTq1kKqmiuyArIDAGXGr0sdyxlXUQ6eBvt1Ns=");
    auto delegate = std::make_shared<AppDelegate>();
    delegate->applicationDidFinishLaunching();
    const auto& statusMenu = AppKit::StatusBar::system().items().back()->menu();
    const auto all = titles(*statusMenu);
    const auto settings = std::find(all.begin(), all.end(), "Settings…");
    ASSERT_NE(settings, all.end());
    EXPECT_EQ(*(settings + 1), "Check for Updates…");
    EXPECT_EQ(*(settings + 2), "Set Up Kestrelhaven…");
}
