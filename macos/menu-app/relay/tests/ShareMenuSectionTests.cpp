#include "relay/DossierShares.h"
#include "relay/ShareMenuSection.h"
#include "service/Bundled.h"
#include "service/SetupCommandLine.h"

#include <Dispatch/RunLoop.h>
#include <SwiftUI/HostingController.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>

using Outcome = SwiftUI::HostingController::Outcome;

namespace {

constexpr const char* footer =
    "    Footer\n      Text \"In Safari, Notes, Mail, Finder or any app's Share menu, choose "
    "Kestrelhaven to add text, a web link (kept as a link: the page isn't fetched) or a .txt, .md "
    "or .rtf file to your Dossier, up to the Dossier's limit (300,000 characters unless you "
    "changed it). Pick a tag and click Add. If the bridge isn't running, the share waits here and "
    "goes when it is: the menu shows what's waiting.\" font=subheadline color=secondary\n";

// The section in a form, in a test home with or without an App Group.
class ShareMenuSettings : public testing::Test {
protected:
    void start(bool appGroup) {
        Foundation::PropertyList::Dictionary info;
        if (appGroup)
            info["KHAppGroup"] = "group.com.tallowmeadows.kestrelhaven";
        Testing::useTestHome(info);
        host = std::make_unique<SwiftUI::HostingController>(
            SwiftUI::Form({ShareMenuSection{}}).formStyle(SwiftUI::FormStyle::Grouped));
    }
    static void addTheExtension() {
        Testing::makeBundle(
            Bundled::app() / "Contents" / "PlugIns",
            {{"CFBundleIdentifier", "com.tallowmeadows.kestrelhaven.menu.share"},
             {"CFBundleShortVersionString", "1.0"},
             {"NSExtension", Foundation::PropertyList::Dictionary{{"NSExtensionPointIdentifier",
                                                                   "com.apple.share-services"}}}},
            "KestrelhavenShare.appex");
    }
    static std::string section(const std::string& content) {
        return "Form grouped\n  Section \"Dossier\"\n" + content + footer;
    }
    bool shows(const std::string& content) {
        return Dispatch::RunLoop::main().runUntil(
            [&] { return host->renderText() == section(content); }, 20);
    }

    std::unique_ptr<SwiftUI::HostingController> host;
};

} // namespace

TEST_F(ShareMenuSettings, IsAbsentWithoutTheExtensionsBundle) {
    start(true);
    EXPECT_EQ(host->renderText(), "Form grouped\n");
}

TEST_F(ShareMenuSettings, IsAbsentWithoutAnAppGroup) {
    start(false);
    addTheExtension();
    EXPECT_EQ(host->renderText(), "Form grouped\n");
}

TEST_F(ShareMenuSettings, ShowsWhatTheSystemReportsAfterEveryStep) {
    start(true);
    addTheExtension();
    // Until the first read the switch waits, disabled.
    EXPECT_EQ(host->renderText(),
              section("    Toggle \"Show Kestrelhaven in the Share menu\" off switch disabled\n"));

    const std::string unregistered =
        "    HStack\n"
        "      Text \"macOS hasn't registered the Share menu extension yet.\" color=secondary\n"
        "      Spacer\n"
        "      Button \"Register\"%\n";
    const auto registerRow = [&](const char* state) {
        std::string row = unregistered;
        return row.replace(row.find('%'), 1, state);
    };
    ASSERT_TRUE(shows(registerRow("")));
    EXPECT_EQ(host->press("Register"), Outcome::Performed);
    EXPECT_EQ(host->renderText(), section(registerRow(" disabled")));
    ASSERT_TRUE(shows("    Toggle \"Show Kestrelhaven in the Share menu\" off switch\n"));

    EXPECT_EQ(host->toggle("Show Kestrelhaven in the Share menu"), Outcome::Performed);
    EXPECT_EQ(host->renderText(),
              section("    Toggle \"Show Kestrelhaven in the Share menu\" off switch disabled\n"));
    ASSERT_TRUE(shows("    Toggle \"Show Kestrelhaven in the Share menu\" on switch\n"));
    EXPECT_EQ(ShareExtension::state(), ShareExtension::State::on);

    // Coming on screen again reads the state again.
    EXPECT_TRUE(ShareExtension::set(false));
    host->setOnScreen(false);
    host->setOnScreen(true);
    EXPECT_TRUE(shows("    Toggle \"Show Kestrelhaven in the Share menu\" off switch\n"));
}

TEST_F(ShareMenuSettings, APictureShowsTheStateTheSectionRead) {
    start(true);
    addTheExtension();
    Testing::TemporaryFolder tools;
    const auto picture = [&](const std::string& pluginkit) {
        Testing::writeText(tools.path() / "pluginkit", "#!/bin/sh\n" + pluginkit);
        std::filesystem::permissions(tools.path() / "pluginkit", std::filesystem::perms::owner_all);
        ::setenv("KH_TOOLS_DIR", tools.path().c_str(), 1);
        const auto file = tools.path() / "section.png";
        EXPECT_TRUE(SetupCommandLine::render(SwiftUI::Form({ShareMenuSection{}}), file,
                                             ShareMenuSection::settled));
        ::unsetenv("KH_TOOLS_DIR");
        return Testing::readText(file);
    };
    const std::string listing = "com.tallowmeadows.kestrelhaven.menu.share(1.0)'\n";
    const std::string on = picture("echo '+    " + listing);
    EXPECT_NE(on, picture("echo '-    " + listing)) << "the switch is drawn on, then off";
    // A tool slower than the picture's own half second is waited for.
    EXPECT_EQ(on, picture("sleep 1\necho '+    " + listing));
}
