// The built application on a real terminal (tmux, 80×24) against the sample bridge, used
// through its keys as a person would, with the screen read back as text.
#include "service/tests/CommandLineFixture.h"

#include <chrono>
#include <gmock/gmock.h>
#include <sample-bridge/Environments.h>
#include <thread>
#include <unistd.h>

using testing::HasSubstr;
using testing::Not;

namespace {

constexpr double patience = 30;

class TerminalSession : public CommandLine {
protected:
    void SetUp() override {
        CommandLine::SetUp();
        if (::access("/usr/bin/tmux", X_OK) != 0)
            GTEST_SKIP() << "tmux is not installed";
        // In the test's own folder, which goes with it, rather than in the shared tmux folder.
        m_socket = home.parent_path() / "tmux.sock";
        serveBridge(SampleBridge::State::demo());
    }
    void TearDown() override {
        tmux({"kill-server"});
        std::filesystem::remove(m_socket);
        CommandLine::TearDown();
    }

    Run::Result tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-S", m_socket.string(), "-f", "/dev/null"});
        return Run::run("/usr/bin/tmux", arguments, Run::currentEnvironment(), 10);
    }
    // Runs `command` (the application unless given) on the terminal.
    void start(std::vector<std::string> command = {program().string()}) const {
        command.insert(command.begin(),
                       {"new-session", "-d", "-x", "80", "-y", "24", "--", "env",
                        "HOME=" + home.string(), "PATH=" + bin().string() + ":/usr/bin:/bin",
                        "TERM=xterm-256color"});
        const auto started = tmux(command);
        ASSERT_EQ(started.status, 0) << started.error;
    }
    // Starts the application, closes the Setup window it opens by itself (Claude Code is missing
    // here) and opens the menu; false when a step did not show.
    bool startAtTheMenu() const {
        start();
        if (!shows("Set Up Kestrelhaven"))
            return false;
        keys({"C-w"});
        if (!eventually([&] { return screen().find("Set Up Kestrelhaven") == std::string::npos; }))
            return false;
        keys({"F10"});
        return shows("Settings…");
    }
    void keys(const std::vector<std::string>& names) const {
        std::vector<std::string> arguments{"send-keys", "-t", "0"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        tmux(arguments);
    }
    // The screen as text; with `styles`, with its escapes.
    std::string screen(bool styles = false) const {
        std::vector<std::string> arguments{"capture-pane", "-p", "-t", "0"};
        if (styles)
            arguments.push_back("-e");
        return tmux(arguments).output;
    }
    bool shows(const std::string& text) const {
        return eventually([&] { return screen().find(text) != std::string::npos; });
    }
    static bool eventually(const std::function<bool()>& condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(patience);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    // The text drawn inverse below the menu bar, which is how the focused control shows; empty
    // when none is.
    std::string focusedText() const {
        const std::string shown = screen(true);
        for (auto escape = shown.find("\x1b[", shown.find('\n')); escape != std::string::npos;
             escape = shown.find("\x1b[", escape + 1)) {
            const auto end = shown.find('m', escape);
            if (end == std::string::npos)
                break;
            if ((";" + shown.substr(escape + 2, end - escape - 2) + ";").find(";7;") ==
                std::string::npos)
                continue;
            return shown.substr(end + 1, shown.find_first_of("\x1b\n", end + 1) - end - 1);
        }
        return {};
    }
    // Tabs until `label` has the focus. Each Tab is judged on the focus it moved, since the
    // screen also changes as the window's models refresh.
    bool focus(const std::string& label) const {
        for (int step = 0; step < 80; ++step) {
            const std::string before = focusedText();
            if (before.find(label) != std::string::npos)
                return true;
            keys({"Tab"});
            if (!eventually([&] { return focusedText() != before; }))
                return false;
        }
        return false;
    }

private:
    std::filesystem::path m_socket;
};

TEST_F(TerminalSession, SettingsSetupAndAContainerWorkFromTheKeyboard) {
    start();
    ASSERT_TRUE(shows("phone connected")) << screen();

    // Setup opens by itself, since Claude Code is missing; its installer's alert leaves on Esc.
    ASSERT_TRUE(shows("Set Up Kestrelhaven")) << screen();
    ASSERT_TRUE(focus("Install…")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(shows("Install Claude Code?")) << screen();
    keys({"Escape"});
    ASSERT_TRUE(
        eventually([&] { return screen().find("Install Claude Code?") == std::string::npos; }));
    EXPECT_FALSE(std::filesystem::exists(home / ".kestrelhaven" / "install-claude-code.command"));
    keys({"C-w"});

    keys({"F10"});
    ASSERT_TRUE(shows("Settings…")) << screen();
    keys({","});
    ASSERT_TRUE(shows("Connection")) << screen();
    for (const char* word : {"VStack", "HStack", "Text \"", "Button \"", "Spacer", "Section"})
        EXPECT_THAT(screen(), Not(HasSubstr(word)));

    ASSERT_TRUE(focus("The local network")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(shows("Tailscale only")) << screen();
    keys({"Down", "Enter"});
    EXPECT_TRUE(eventually([&] {
        return server().state().settings().values().value("connectionMode", "") == "tailscale";
    })) << screen();

    for (int page = 0; page < 12 && screen().find("Uninstall Kestrelhaven…") == std::string::npos;
         ++page) {
        const std::string before = screen();
        keys({"NPage"});
        eventually([&] { return screen() != before; });
    }
    EXPECT_THAT(screen(), HasSubstr("Uninstall Kestrelhaven…"));

    ASSERT_TRUE(focus("Add a Container…")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(shows("Add a Container")) << screen();
    keys({"End"});
    for (int i = 0; i < 24; ++i)
        keys({"BSpace"});
    keys({"-l", "lab"});
    keys({"Enter"});
    EXPECT_TRUE(eventually([&] {
        return SampleBridge::environmentsReply(0).dump().find("\"lab\"") != std::string::npos;
    })) << screen();
    keys({"C-w"});

    ASSERT_TRUE(focus("Forget")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(eventually([&] { return server().state().devices()["devices"].empty(); }));
    keys({"C-w"});
    ASSERT_TRUE(
        eventually([&] { return screen().find("Kestrelhaven Settings") == std::string::npos; }));
    keys({"F10"});
    ASSERT_TRUE(shows("Settings…")) << screen();
    keys({","});
    EXPECT_TRUE(shows("Kestrelhaven Settings")) << screen();
}

TEST_F(TerminalSession, TheShareSheetTakesTypedTextIntoItsTitleAtOnce) {
    ASSERT_EQ(menu({"--share-menu", "register"}).status, 0);
    ASSERT_EQ(menu({"--share-menu", "on"}).status, 0);
    start({KH_SHARE_TOOL, (Bundled::app() / "Contents/PlugIns/KestrelhavenShare.appex").string(),
           "--title", "T", "--text", "A few words to keep."});
    ASSERT_TRUE(shows("TITLE")) << screen();
    keys({"-l", "X"});
    EXPECT_TRUE(shows("TX")) << screen();
}

TEST_F(TerminalSession, ThePairingPanelSaysPairedWithoutAKeyPressed) {
    SampleBridge::PairingSettings pairing = server().state().pairing();
    pairing.simulatedPhone = true;
    server().state().setPairing(pairing);
    ASSERT_TRUE(startAtTheMenu()) << screen();
    keys({"p"});
    ASSERT_TRUE(shows("┌─ Pair a Device")) << screen();
    EXPECT_TRUE(shows("✓ Paired: Ada's iPad")) << screen();
}

TEST_F(TerminalSession, EscapeLeavesTheNamingFormOfAddAContainer) {
    ASSERT_TRUE(startAtTheMenu()) << screen();
    keys({","});
    ASSERT_TRUE(shows("Kestrelhaven Settings")) << screen();
    ASSERT_TRUE(focus("Add a Container…")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(shows("┌─ Add a Container")) << screen();
    keys({"Escape"});
    EXPECT_TRUE(eventually([&] {
        const std::string shown = screen();
        return shown.find("┌─ Add a Container") == std::string::npos &&
               shown.find("┌─ Kestrelhaven Settings") != std::string::npos;
    })) << screen();
}

} // namespace
