#include "settings/UpdatesSection.h"
#include "settings/tests/UpdatesTesting.h"

#include <Sparkle/TestDouble.h>
#include <gtest/gtest.h>

using namespace UpdatesTesting;
using Check = Sparkle::TestDouble::Check;
using Devices = std::optional<std::vector<DeviceRow>>;
using Outcome = SwiftUI::HostingController::Outcome;
namespace Defaults = Foundation::UserDefaults;

namespace {

// The form as the Settings window holds it, with the section for these devices.
SwiftUI::View form(Devices devices) {
    return SwiftUI::Form({UpdatesSection{.devices = std::move(devices)}});
}

// The rendering of the section with this picker selection and explanation.
std::string section(const std::string& selection, const std::string& explanation) {
    std::string text = "Form automatic\n  Section \"Updates\"\n    Picker \"Updates from\" menu "
                       "selection=\"" +
                       selection + "\"\n";
    for (const UpdateChannelChoice choice : UpdateChannelChoice::allCases()) {
        const std::string title(choice.title());
        text += "      Option \"" + title + "\"" + (title == selection ? " selected" : "") + "\n";
    }
    return text + "    Text \"" + explanation +
           "\" color=secondary\n    Footer\n      Text \"Kestrelhaven for Mac updates itself. "
           "Automatic keeps it in step with your iPhone: the App Store app gets the App Store "
           "release, a TestFlight build gets the TestFlight release, which may need that build. "
           "Internal gets every new build first, for trying changes before anyone else. "
           "Choosing a lower channel doesn't go back to an older version: you stay on yours "
           "until that channel catches up.\" font=subheadline color=secondary\n";
}

// The explanation line the section shows.
std::string explanation(SwiftUI::HostingController& host) {
    const std::string text = host.renderText();
    const std::size_t start = text.find("    Text \"");
    if (start == std::string::npos)
        return "no explanation in\n" + text;
    const std::size_t from = start + 10;
    return text.substr(from, text.find('"', from) - from);
}

// A build that updates, its framework a double, the updater started with no bridge to ask.
class UpdatesSectionView : public testing::Test {
protected:
    void SetUp() override {
        configure(true);
        Updater::shared().start(AppKit::Menu::make(), std::make_shared<Bridge>());
    }

    Sparkle::TestDouble framework;
};

} // namespace

TEST(UpdatesSectionUnconfigured, ShowsNothingAndHandsNothingOver) {
    configure(false);
    SwiftUI::HostingController host(form(std::vector{phone("token", "testflight")}));
    EXPECT_EQ(host.renderText(), "Form automatic\n");
    EXPECT_EQ(remembered(), std::nullopt);
}

TEST_F(UpdatesSectionView, ShowsEachChoiceWithTheChannelInForce) {
    const std::vector<std::pair<UpdateChannelChoice, std::string>> cases{
        {UpdateChannelChoice::automatic,
         "Following your iPhone: a development build, so Internal updates."},
        {UpdateChannelChoice::appStore, "Fixed on App Store, whatever your iPhone runs."},
        {UpdateChannelChoice::testFlight, "Fixed on TestFlight, whatever your iPhone runs."},
        {UpdateChannelChoice::internal, "Fixed on Internal, whatever your iPhone runs."},
    };
    for (const auto& [choice, sentence] : cases) {
        Defaults::setString("updateChannel", std::string(choice.rawValue()));
        SwiftUI::HostingController host(
            form(std::vector{phone("legacy", "testflight"), phone("token", "development")}));
        EXPECT_EQ(host.renderText(), section(std::string(choice.title()), sentence));
    }
}

TEST_F(UpdatesSectionView, BeforeTheDevicesLoadItShowsTheRememberedPhonesAndHandsNothingOver) {
    SwiftUI::HostingController host(form(std::nullopt));
    EXPECT_EQ(host.renderText(),
              section("Automatic (match my iPhone)",
                      "No paired iPhone has said which build it runs yet, so App Store updates."));
    EXPECT_EQ(remembered(), std::nullopt);

    Defaults::setStringList("updatePhoneDistributions", {"appstore", "testflight"});
    host.setRootView(form(std::nullopt));
    EXPECT_EQ(explanation(host),
              "Following your iPhone: a TestFlight build, so TestFlight updates.");
    EXPECT_EQ(remembered(), (Words{"appstore", "testflight"}));
    EXPECT_TRUE(framework.checks.empty());
}

TEST_F(UpdatesSectionView, PhonesWithoutAWordFallBackToTheRememberedOnes) {
    const std::vector<DeviceRow> unknown{phone("legacy", "development"),
                                         phone("token", std::nullopt),
                                         phone("token", std::nullopt, false)};
    EXPECT_EQ(UpdatesSection{.devices = unknown}.phones(), Words{});
    Defaults::setStringList("updatePhoneDistributions", {"development"});
    EXPECT_EQ(UpdatesSection{.devices = unknown}.phones(), Words{"development"});
    EXPECT_EQ(UpdatesSection{}.phones(), Words{"development"});
    const std::vector<DeviceRow> known{phone("token", "appstore"), phone("token", "testflight")};
    EXPECT_EQ(UpdatesSection{.devices = known}.phones(), (Words{"appstore", "testflight"}));
}

TEST_F(UpdatesSectionView, APickIsStoredCheckedAndExplainedAtOnce) {
    SwiftUI::HostingController host(form(std::vector{phone("token", "testflight")}));
    EXPECT_EQ(explanation(host),
              "Following your iPhone: a TestFlight build, so TestFlight updates.");
    ASSERT_EQ(framework.checks.size(), 1u);

    EXPECT_EQ(host.choose("Updates from", "Internal"), Outcome::Performed);
    EXPECT_EQ(Defaults::string("updateChannel"), "internal");
    EXPECT_EQ(framework.checks.back(), (Check{true, {"internal", "testflight"}}));
    EXPECT_EQ(explanation(host), "Fixed on Internal, whatever your iPhone runs.");

    EXPECT_EQ(host.choose("Updates from", "Automatic (match my iPhone)"), Outcome::Performed);
    EXPECT_EQ(Defaults::string("updateChannel"), "automatic");
    EXPECT_EQ(framework.checks.back(), (Check{true, {"testflight"}}));
    EXPECT_EQ(framework.checks.size(), 3u);

    // A choice stored elsewhere does not reach the picker on screen; a new view state reads it.
    Defaults::setString("updateChannel", "appstore");
    host.setRootView(form(std::vector{phone("token", "testflight")}));
    EXPECT_EQ(explanation(host),
              "Following your iPhone: a TestFlight build, so TestFlight updates.");
    SwiftUI::HostingController another(form(std::vector{phone("token", "testflight")}));
    EXPECT_EQ(explanation(another), "Fixed on App Store, whatever your iPhone runs.");
}

TEST_F(UpdatesSectionView, HandsTheDevicesOverOnScreenAndWhenTheirNumberChanges) {
    SwiftUI::HostingController host(form(std::nullopt));
    host.update();
    EXPECT_EQ(remembered(), std::nullopt);

    // The first loaded list, a change of number from none.
    host.setRootView(form(std::vector{phone("token", "testflight")}));
    host.update();
    EXPECT_EQ(remembered(), Words{"testflight"});

    // The same number of phones with another build: left to the hourly refresh, while the
    // explanation follows the list at once.
    host.setRootView(form(std::vector{phone("token", "development")}));
    EXPECT_EQ(explanation(host),
              "Following your iPhone: a development build, so Internal updates.");
    EXPECT_EQ(remembered(), Words{"testflight"});

    host.setRootView(form(std::vector{phone("token", "development"), phone("token", "appstore")}));
    host.update();
    EXPECT_EQ(remembered(), (Words{"development", "appstore"}));

    // A list that is no longer known hands nothing over; a loaded empty one means no phones.
    host.setRootView(form(std::nullopt));
    host.update();
    EXPECT_EQ(remembered(), (Words{"development", "appstore"}));
    host.setRootView(form(std::vector<DeviceRow>{}));
    host.update();
    EXPECT_EQ(remembered(), Words{});

    // Coming on screen again hands over the list of that moment.
    host.setRootView(form(std::vector{phone("token", "testflight")}));
    host.update();
    EXPECT_EQ(remembered(), Words{"testflight"});
    host.setOnScreen(false);
    host.update();
    Defaults::setStringList("updatePhoneDistributions", {"development"});
    host.setOnScreen(true);
    host.update();
    EXPECT_EQ(remembered(), Words{"testflight"});
    EXPECT_EQ(framework.checks.size(), 5u);
}
