#include "service/Bundled.h"
#include "settings/ContainerWindowController.h"
#include "settings/SettingsView.h"
#include "settings/tests/SettingsTesting.h"
#include "settings/tests/UpdatesTesting.h"

#include <AppKit/Application.h>
#include <SwiftUI/HostingController.h>
#include <Testing/Testing.h>
#include <filesystem>
#include <sample-bridge/Environments.h>
#include <sstream>

using Outcome = SwiftUI::HostingController::Outcome;
using SampleBridge::Reply;

namespace {

constexpr const char* localFooter =
    "Any network this Mac is on, found by Bonjour. Tailscale works as well, away from home, if "
    "your tailnet's access rules let the phone reach this Mac on TCP 17801.";

// The rendering's lines of one section, its header line first, its footer left out.
std::string section(const std::string& text, const std::string& title) {
    const std::string header = "  Section \"" + title + "\"\n";
    const std::size_t start = text.find(header);
    if (start == std::string::npos)
        return "no section " + title;
    std::string lines;
    std::istringstream rest(text.substr(start + header.size()));
    for (std::string line; std::getline(rest, line) && line.starts_with("    ");) {
        if (line == "    Footer")
            break;
        lines += line.substr(4) + "\n";
    }
    return lines;
}

// The text of a section's footer.
std::string footer(const std::string& text, const std::string& title) {
    const std::size_t start = text.find("  Section \"" + title + "\"\n");
    const std::size_t end = text.find("\n  Section", start + 1);
    const std::size_t found = text.find("    Footer\n      Text \"", start);
    if (start == std::string::npos || found == std::string::npos || found > end)
        return "no footer for " + title;
    const std::size_t from = found + 23;
    return text.substr(from, text.find("\" font=", from) - from);
}

class SettingsForm : public SettingsFixture {
protected:
    // Shows the form, which loads the model, and waits for the bridge's replies: until the model
    // shows what the bridge holds, or, where a reply is scripted, until `loaded` holds.
    void show(const std::function<bool()>& loaded = {}) {
        host = std::make_unique<SwiftUI::HostingController>(SettingsView{.model = model});
        host->update();
        ASSERT_TRUE(eventually([&] {
            return server().requests().size() >= 3 && (loaded ? loaded() : showsTheBridge());
        }));
    }
    // Shows the form with no bridge to answer, until the model gives up on it.
    void showWithoutBridge() {
        stopServer();
        host = std::make_unique<SwiftUI::HostingController>(SettingsView{.model = model});
        host->update();
        ASSERT_TRUE(eventually([&] { return model->problem->has_value(); }));
    }
    // Changes what the bridge holds, then reloads and waits for the replies.
    void reload() { loadSettled(); }
    std::string text() { return host->renderText(); }

    std::unique_ptr<SwiftUI::HostingController> host;
};

} // namespace

TEST_F(SettingsForm, WithoutABridgeShowsTheBannerAndTheFallbacks) {
    showWithoutBridge();
    const std::string rendering = text();
    EXPECT_TRUE(rendering.starts_with(
        "Form grouped\n  Text \"The bridge isn't answering. Is it running? (kestrelhaven "
        "status)\" color=red\n  Section \"Connection\"\n"))
        << rendering;
    std::string controls;
    std::istringstream lines(rendering);
    for (std::string line; std::getline(lines, line);)
        if (line.find("Picker \"") != std::string::npos ||
            line.find("Toggle \"") != std::string::npos)
            controls += line.substr(line.find_first_not_of(' ')) + "\n";
    EXPECT_EQ(controls,
              "Picker \"Phones connect over\" menu selection=\"The local network\"\n"
              "Picker \"A phone may wake or resume\" menu selection=\"Sessions it was shown\"\n"
              "Toggle \"Resumed sessions get remote control\" off switch\n"
              "Picker \"Push notifications carry\" menu selection=\"The command and the reply\"\n"
              "Toggle \"Speak replies over Push to Talk\" on switch\n"
              "Picker \"Spoken on the phone\" menu selection=\"Responses\"\n"
              "Picker \"A new line\" menu selection=\"Interrupts\"\n"
              "Toggle \"Speak when a session finishes\" on switch\n"
              "Toggle \"Speak the whole response\" on switch\n");
    EXPECT_EQ(footer(rendering, "Connection"), localFooter);
    EXPECT_EQ(footer(rendering, "Sessions"),
              "Shown means live, pinned or in the phone's recent list. Remote control adds "
              "--remote-control when a phone reopens a session in a terminal. Restarting stops a "
              "running session and starts it again on the same conversation, so its tools and "
              "MCP servers reload: in the background for an agent-view session, in its own "
              "terminal tab otherwise. A session in the middle of a turn or waiting on an "
              "approval restarts only if you confirm on the phone.");
    EXPECT_EQ(footer(rendering, "Notifications"),
              "Pushes pass through Apple's servers. With project and tool only, commands and "
              "replies stay off them; the app fetches the reply from this Mac when you tap. A "
              "phone paired with encryption gets them end-to-end encrypted instead, in full "
              "either way: Apple sees only \\\"A session needs approval\\\", \\\"A session "
              "finished\\\" or \\\"A session has a question\\\". Push to Talk replies (on unless "
              "you turn them off) reach a phone that joined the app's Push to Talk channel: it "
              "shows Claude talking and reads the reply, locked or not, and the notification "
              "arrives silently beside it. A phone that hasn't joined gets the notification as "
              "before. While you're using this Mac (keyboard or mouse within the time chosen), a "
              "permission request shows in the phone's app and in the terminal, but not on the "
              "Lock Screen; if you step away before it is answered, the Lock Screen card and "
              "notification come then.");
    EXPECT_EQ(footer(rendering, "Speech"), "no footer for Speech");
    EXPECT_EQ(section(rendering, "Paired devices"), "Text \"No phones paired.\" color=secondary\n");
    EXPECT_EQ(section(rendering, "Environments"),
              "Text \"None: only this Mac's own sessions report here.\" color=secondary\n");
    // The phones' footer shows the menu-bar icon inline and names it for accessibility.
    EXPECT_NE(
        footer(rendering, "Paired devices")
            .find("encrypted connection: pair it again ([image:lion-inline] › Pair a Device…) "
                  "to give it its own token"),
        std::string::npos);
    EXPECT_NE(rendering.find("a11y=\"Forget revokes that phone's token, closes its connection "),
              std::string::npos);
    EXPECT_NE(rendering.find("pair it again (Kestrelhaven menu-bar icon › Pair a Device…) to give "
                             "it its own token on the pinned, encrypted port. When the last such "
                             "phone has, the bridge stops accepting the shared token.\"\n"),
              std::string::npos);
}

TEST_F(SettingsForm, TheConnectionFooterFollowsTheModeAndTheTailnet) {
    show();
    const std::string tailnetFooter =
        "Only connections over your tailnet are accepted%s, and the bridge stops announcing "
        "itself on Wi-Fi. Phones need Tailscale on, at home too. If your tailnet has access "
        "rules, they must let your phone reach this Mac on TCP 17801.";
    const auto withTailnet = [&](const std::string& piece) {
        std::string text = tailnetFooter;
        return text.replace(text.find("%s"), 2, piece);
    };
    const std::tuple<std::string, std::optional<std::string>, std::string> cases[] = {
        {"tailscale", "tail-home", withTailnet(" (tail-home)")},
        {"tailscale", std::nullopt, withTailnet("")},
        {"local", "tail-home", localFooter},
        {"wifi", std::nullopt, localFooter},
    };
    for (const auto& [mode, tailnet, expected] : cases) {
        auto values = SampleBridge::Settings::defaults();
        values["connectionMode"] = mode;
        bridgeSettings().setValues(values);
        bridgeSettings().setTailnet(tailnet);
        reload();
        EXPECT_EQ(footer(text(), "Connection"), expected) << mode;
    }
}

TEST_F(SettingsForm, TheLockScreenPickerKeepsAValueSetElsewhere) {
    const std::string fixed = "  Option \"Always\"%0\n"
                              "  Option \"After 1 min away from this Mac\"%1\n"
                              "  Option \"After 3 min away from this Mac\"%3\n"
                              "  Option \"After 5 min away from this Mac\"%5\n"
                              "  Option \"After 10 min away from this Mac\"%10\n"
                              "  Option \"After 15 min away from this Mac\"%15\n"
                              "  Option \"After 30 min away from this Mac\"%30\n";
    // The options with the one for `chosen` selected and the marks of the others removed.
    const auto options = [&](int chosen, const std::string& extra = "") {
        std::string text = fixed + extra;
        for (const int minutes : {0, 1, 3, 5, 7, 10, 15, 30}) {
            const std::string mark = "%" + std::to_string(minutes) + "\n";
            if (const std::size_t at = text.find(mark); at != std::string::npos)
                text.replace(at, mark.size(), minutes == chosen ? " selected\n" : "\n");
        }
        return text;
    };
    show();
    const std::pair<int, std::string> cases[] = {
        {7, options(7, "  Option \"After 7 min away from this Mac\"%7\n")},
        {0, options(0)},
        {30, options(30)},
    };
    for (const auto& [minutes, expected] : cases) {
        auto values = SampleBridge::Settings::defaults();
        values["lockScreenApprovalsAfterIdleMin"] = minutes;
        bridgeSettings().setValues(values);
        reload();
        const std::string notifications = section(text(), "Notifications");
        const std::size_t picker = notifications.find("Picker \"Approvals on the Lock Screen\"");
        ASSERT_NE(picker, std::string::npos) << notifications;
        const std::string shown = notifications.substr(notifications.find('\n', picker) + 1);
        EXPECT_EQ(shown, expected) << minutes;
    }

    EXPECT_EQ(host->choose("Approvals on the Lock Screen", "After 10 min away from this Mac"),
              Outcome::Performed);
    ASSERT_TRUE(eventually([&] { return posted("/settings").size() == 1; }));
    const JSON body = posted("/settings").front();
    EXPECT_EQ(body, (JSON{{"key", "lockScreenApprovalsAfterIdleMin"}, {"value", 10}}));
    EXPECT_TRUE(body["value"].is_number_integer());
}

TEST_F(SettingsForm, ControlsOverSettingsTheBridgeLeftOutAreHidden) {
    auto values = SampleBridge::Settings::defaults();
    values.erase("allowSessionRestart");
    values.erase("lockScreenApprovalsAfterIdleMin");
    bridgeSettings().setValues(values);
    show();
    EXPECT_EQ(text().find("Allow restarting"), std::string::npos);
    EXPECT_EQ(text().find("Approvals on the Lock Screen"), std::string::npos);

    values["allowSessionRestart"] = false;
    bridgeSettings().setValues(values);
    reload();
    EXPECT_NE(section(text(), "Sessions")
                  .find("Toggle \"Allow restarting sessions from the phone\" off switch"),
              std::string::npos);
    EXPECT_EQ(host->toggle("Allow restarting sessions from the phone"), Outcome::Performed);
    EXPECT_EQ(model->values.get()->allowSessionRestart, true);
    ASSERT_TRUE(eventually([&] { return posted("/settings").size() == 1; }));
    EXPECT_EQ(posted("/settings").front(), (JSON{{"key", "allowSessionRestart"}, {"value", true}}));
}

TEST_F(SettingsForm, AToggleShowsItsChangeAtOnceAndTurnsBackWhenTheSaveFails) {
    show();
    const std::string on = "Toggle \"Speak the whole response\" on switch";
    const std::string off = "Toggle \"Speak the whole response\" off switch";
    server().script("/settings", Reply::json(500, ""));
    EXPECT_EQ(host->toggle("Speak the whole response"), Outcome::Performed);
    EXPECT_NE(text().find(off), std::string::npos);
    ASSERT_TRUE(eventually([&] { return posted("/settings").size() == 1; }));
    EXPECT_EQ(posted("/settings").front(), (JSON{{"key", "speakFullResponse"}, {"value", false}}));
    ASSERT_TRUE(eventually([&] { return text().find(on) != std::string::npos; }));
    EXPECT_TRUE(text().starts_with(
        "Form grouped\n  Text \"That setting didn't save (HTTP 500).\" color=red\n"));
}

TEST_F(SettingsForm, TheBannerComesGoesAndIsReplacedInItsRow) {
    show();
    const std::string plain = text();
    EXPECT_TRUE(plain.starts_with("Form grouped\n  Section \"Connection\""));
    for (const char* sentence : {"First sentence.", "Second sentence."}) {
        model->problem = sentence;
        EXPECT_EQ(text(), "Form grouped\n  Text \"" + std::string(sentence) + "\" color=red\n" +
                              plain.substr(13));
    }
    model->problem = std::nullopt;
    EXPECT_EQ(text(), plain);
}

TEST_F(SettingsForm, PhoneRowsSayHowEachIsConnectedAndSecured) {
    const double ms = 1000;
    server().state().setDevices(JSON::array({
        {{"device_id", "iPhone-A"},
         {"connected", true},
         {"last_seen", (now - 60) * ms},
         {"auth", "token"}},
        {{"device_id", "iPhone-B"},
         {"connected", false},
         {"auth", "token"},
         {"rotated_at", (now - 3 * 86400) * ms}},
        {{"last_seen", (now - 7200) * ms}, {"auth", "legacy"}},
        {{"device_id", "iPad-D"}, {"auth", "pairing"}},
    }));
    show();
    EXPECT_EQ(section(text(), "Paired devices"),
              "HStack\n"
              "  VStack\n"
              "    Text \"iPhone-A\"\n"
              "    Text \"connected\" font=caption color=secondary\n"
              "    Label \"Encrypted, pinned · its own token\" symbol=lock.fill font=caption "
              "color=secondary\n"
              "  Spacer\n"
              "  Button \"Forget\"\n"
              "HStack\n"
              "  VStack\n"
              "    Text \"iPhone-B\"\n"
              "    Text \"not connected\" font=caption color=secondary\n"
              "    Label \"Encrypted, pinned · its own token, token rotated 3 days ago\" "
              "symbol=lock.fill font=caption color=secondary\n"
              "  Spacer\n"
              "  Button \"Forget\"\n"
              "HStack\n"
              "  VStack\n"
              "    Text \"?\"\n"
              "    Text \"last seen 2 hours ago\" font=caption color=secondary\n"
              "    Label \"Legacy: shared token, unencrypted — pair again to encrypt\" "
              "symbol=exclamationmark.triangle.fill font=caption color=orange\n"
              "  Spacer\n"
              "HStack\n"
              "  VStack\n"
              "    Text \"iPad-D\"\n"
              "    Text \"not connected\" font=caption color=secondary\n"
              "  Spacer\n"
              "  Button \"Forget\"\n"
              "Toggle \"Accept phones paired before encryption\" off switch\n");

    // Forget acts at once, without asking, and the reload drops the phone.
    EXPECT_EQ(host->press("Forget", 1), Outcome::Performed);
    ASSERT_TRUE(eventually([&] { return model->devices->size() == 3; }));
    EXPECT_EQ(posted("/devices/forget"), (std::vector<JSON>{{{"device_id", "iPhone-B"}}}));
}

TEST_F(SettingsForm, TheLegacyToggleShowsWhileItIsOnOrALegacyPhoneIsLeft) {
    const JSON legacy = {{"device_id", "iPad"}, {"auth", "legacy"}};
    const JSON token = {{"device_id", "iPhone"}, {"auth", "token"}};
    const std::tuple<bool, JSON, std::string> cases[] = {
        {false, JSON::array({token}), ""},
        {false, JSON::array({token, legacy}), "off"},
        {true, JSON::array({token}), "on"},
    };
    show();
    for (const auto& [accepted, devices, shown] : cases) {
        auto values = SampleBridge::Settings::defaults();
        values["legacyPhones"] = accepted;
        bridgeSettings().setValues(values);
        server().state().setDevices(devices);
        reload();
        const std::string toggle = "Toggle \"Accept phones paired before encryption\" ";
        const std::string phones = section(text(), "Paired devices");
        if (shown.empty())
            EXPECT_EQ(phones.find(toggle), std::string::npos) << phones;
        else
            EXPECT_NE(phones.find(toggle + shown + " switch"), std::string::npos) << phones;
    }
    EXPECT_EQ(host->toggle("Accept phones paired before encryption"), Outcome::Performed);
    ASSERT_TRUE(eventually([&] { return posted("/settings").size() == 1; }));
    EXPECT_EQ(posted("/settings").front(), (JSON{{"key", "legacyPhones"}, {"value", false}}));
    // Once off with no legacy phone left, it goes.
    EXPECT_EQ(text().find("Accept phones paired"), std::string::npos);
}

TEST_F(SettingsForm, EnvironmentRowsOfferWhatEachKindAllows) {
    const double ms = 1000;
    server().script(
        "/environments",
        Reply::json(200,
                    JSON{{"environments",
                          {{{"name", "ci"},
                            {"label", "CI box"},
                            {"token", true},
                            {"sessions", 2},
                            {"heard_at", (now - 300) * ms}},
                           {{"name", "work"},
                            {"label", "Work account"},
                            {"token", true},
                            {"config_dir", "/opt/claude-work"},
                            {"sessions", 0}},
                           {{"name", "lab"}, {"label", "Lab"}, {"token", false}, {"sessions", 1}}}}}
                        .dump()));
    show([&] { return model->environments->size() == 3; });
    EXPECT_EQ(section(text(), "Environments"),
              "HStack\n"
              "  VStack\n"
              "    Text \"CI box\"\n"
              "    Text \"ci · token\" font=caption color=secondary\n"
              "    Text \"2 live sessions, last heard 5 minutes ago\" font=caption\n"
              "  Spacer\n"
              "  Button \"Setup…\"\n"
              "  Button \"Remove\"\n"
              "HStack\n"
              "  VStack\n"
              "    Text \"Work account\"\n"
              "    Text \"work · token + config dir /opt/claude-work\" font=caption "
              "color=secondary\n"
              "    Text \"no live sessions\" font=caption color=secondary\n"
              "  Spacer\n"
              "  Button \"Remove\"\n"
              "HStack\n"
              "  VStack\n"
              "    Text \"Lab\"\n"
              "    Text \"lab · \" font=caption color=secondary\n"
              "    Text \"1 live session\" font=caption\n"
              "  Spacer\n"
              "  Button \"Remove\"\n");
    EXPECT_NE(text().find("by its config dir (`kestrelhaven env add … --config-dir`)."),
              std::string::npos);
    // A code span, not backticks: the terminal draws the command without them.
    const auto cells = host->renderCells(80).canvas;
    std::string drawn;
    for (int y = 0; y < cells.height(); ++y)
        drawn += cells.plainLine(y) + "\n";
    EXPECT_NE(drawn.find("(kestrelhaven"), std::string::npos) << drawn;
}

TEST_F(SettingsForm, RemovingAnEnvironmentAsksFirstWithTheMessageForItsKind) {
    std::string error;
    ASSERT_TRUE(SampleBridge::addToEnvironments({"ci", "CI box", std::nullopt, "secret"}, error));
    ASSERT_TRUE(SampleBridge::addToEnvironments(
        {"work", "Work account", "/opt/claude-work", std::nullopt}, error));
    show();
    const auto dialog = [&] {
        const std::string rendering = text();
        const std::size_t found = rendering.find("\nDialog");
        return found == std::string::npos ? std::string() : rendering.substr(found + 1);
    };

    EXPECT_EQ(host->press("Remove", 0), Outcome::Performed);
    EXPECT_EQ(dialog(), "Dialog\n"
                        "  Text \"Remove CI box?\" weight=bold align=center\n"
                        "  Text \"Its sessions stop reporting here and its token stops working. "
                        "Adding it again needs the token: kestrelhaven env add.\" font=callout "
                        "align=center\n"
                        "  Button \"Remove\" destructive\n"
                        "  Button \"Cancel\" cancel\n");
    EXPECT_EQ(host->pressEscape(), Outcome::Performed);
    EXPECT_EQ(dialog(), "");
    EXPECT_EQ(host->press("Remove", 1), Outcome::Performed);
    EXPECT_NE(dialog().find("Text \"Its sessions stop reporting here, and Kestrelhaven's hooks "
                            "are taken out of its settings. Add it again with kestrelhaven env "
                            "add.\""),
              std::string::npos);
    EXPECT_EQ(host->press("Cancel"), Outcome::Performed);
    EXPECT_EQ(dialog(), "");
    EXPECT_TRUE(posted("/environments").empty());

    EXPECT_EQ(host->press("Remove", 0), Outcome::Performed);
    EXPECT_EQ(host->press("Remove"), Outcome::Performed);
    EXPECT_EQ(dialog(), "");
    ASSERT_TRUE(eventually([&] { return model->environments->size() == 1; }));
    EXPECT_EQ(posted("/environments"), (std::vector<JSON>{{{"name", "ci"}, {"remove", true}}}));
    EXPECT_EQ(section(text(), "Environments").find("CI box"), std::string::npos);
}

TEST_F(SettingsForm, ContainersAreAddedOnlyWithTheBridgeInTheBundleAndSetUpAgainFromTheirRow) {
    std::string error;
    ASSERT_TRUE(SampleBridge::addToEnvironments({"ci", "CI box", std::nullopt, "secret"}, error));
    show();
    EXPECT_EQ(host->press("Add a Container…"), Outcome::NotFound);
    EXPECT_EQ(section(text(), "Environments").find("Add a Container…"), std::string::npos);

    // A bundle that carries its own bridge; its tool fails, which the container window shows.
    Testing::writeText(Bundled::node(), "#!/bin/sh\nexit 1\n");
    std::filesystem::permissions(Bundled::node(), std::filesystem::perms::owner_all);
    Testing::writeText(Bundled::cliScript(), "");
    ASSERT_TRUE(Bundled::present());
    model->problem = std::nullopt;
    EXPECT_NE(section(text(), "Environments").find("Button \"Add a Container…\""),
              std::string::npos);
    EXPECT_EQ(host->press("Add a Container…"), Outcome::Performed);
    const auto& containers = ContainerWindowController::shared();
    ASSERT_TRUE(containers.window());
    EXPECT_EQ(AppKit::Application::shared().keyWindow(), containers.window());
    EXPECT_EQ(containers.model()->phase->kind, ContainerSetupModel::Phase::Kind::naming);

    EXPECT_EQ(host->press("Setup…"), Outcome::Performed);
    EXPECT_NE(containers.model()->phase->kind, ContainerSetupModel::Phase::Kind::naming);
    containers.window()->close();
}

namespace {

// The form in a build with every neighbour: a Share extension and an App Group, and updates.
class SettingsFormWithNeighbours : public SettingsForm {
protected:
    void SetUp() override {
        ::setenv(
            "HOME",
            Testing::useTestHome({{"KHAppGroup", "group.com.tallowmeadows.kestrelhaven"}}).c_str(),
            1);
        SettingsForm::SetUp();
        UpdatesTesting::configure(true);
        Testing::makeBundle(
            Bundled::app() / "Contents" / "PlugIns",
            {{"CFBundleIdentifier", "com.tallowmeadows.kestrelhaven.menu.share"},
             {"NSExtension", Foundation::PropertyList::Dictionary{{"NSExtensionPointIdentifier",
                                                                   "com.apple.share-services"}}}},
            "KestrelhavenShare.appex");
    }

    // The headers of the form's sections, in order.
    std::vector<std::string> headers() {
        std::vector<std::string> found;
        std::istringstream lines(text());
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("  Section \""))
                found.push_back(line.substr(11, line.size() - 12));
        return found;
    }
};

} // namespace

TEST_F(SettingsFormWithNeighbours, TheirSectionsCloseTheFormInOrderAndEachWorks) {
    server().state().setDevices(JSON::array(
        {{{"device_id", "iPhone"}, {"auth", "token"}, {"app", {{"distribution", "testflight"}}}}}));
    server().script("/devices", Reply::json(500, ""));
    show([&] { return model->values->has_value(); });
    EXPECT_EQ(headers(), (std::vector<std::string>{"Connection", "Sessions", "Notifications",
                                                   "Speech", "Paired devices", "Environments",
                                                   "Dossier", "Updates", "Uninstall"}));
    // The section reads the extension's state as it comes on screen.
    EXPECT_TRUE(
        eventually([&] { return text().find("Button \"Register\"\n") != std::string::npos; }, 20));

    // Phones the bridge never listed are not handed to the updater; listed ones are.
    EXPECT_EQ(UpdatesTesting::remembered(), std::nullopt);
    reload();
    EXPECT_TRUE(eventually(
        [] { return UpdatesTesting::remembered() == std::vector<std::string>{"testflight"}; }));

    // The uninstall section opens its sheet over the form; Escape closes it.
    EXPECT_EQ(host->press("Uninstall Kestrelhaven…"), Outcome::Performed);
    EXPECT_NE(text().find("\nSheet"), std::string::npos);
    EXPECT_NE(text().find("Text \"Uninstall Kestrelhaven?\""), std::string::npos);
    ASSERT_TRUE(eventually([&] { return text().find("Looking…") == std::string::npos; }));
    EXPECT_EQ(host->pressEscape(), Outcome::Performed);
    EXPECT_EQ(text().find("\nSheet"), std::string::npos);
}
