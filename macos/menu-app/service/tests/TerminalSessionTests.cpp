// The built application on a real terminal (tmux, 80×24) against the sample bridge, used
// through its keys as a person would, with the screen read back as text.
#include "service/tests/CommandLineFixture.h"
#include "settings/tests/UpdatesTesting.h"

#include <AppKit/KeyPress.h>
#include <Processes/Processes.h>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cwchar>
#include <gmock/gmock.h>
#include <sample-bridge/Environments.h>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <wchar.h>

using testing::HasSubstr;
using testing::Not;

namespace {

constexpr double patience = 30;
// The top of the Setup window's frame, which shows however it is scrolled.
constexpr const char* setupWindow = "┌─ Kestrelhaven Setup";

class TerminalSession : public CommandLine {
protected:
    void SetUp() override {
        CommandLine::SetUp();
        if (::access("/usr/bin/tmux", X_OK) != 0)
            GTEST_SKIP() << "tmux is not installed";
        // In the test's own folder, which goes with it, rather than in the shared tmux folder.
        m_socket = home.parent_path() / "tmux.sock";
        std::filesystem::create_directories(temporary());
        serveBridge(SampleBridge::State::demo());
    }
    void TearDown() override {
        const pid_t pane = panePid();
        tmux({"kill-server"});
        // What ran on the terminal ends with it (the share tool after its extension), before the
        // test's folder goes.
        if (pane > 0)
            eventually([pane] { return hasEnded(pane); }, 10);
        // The server leaves its socket behind.
        std::error_code ignored;
        std::filesystem::remove(m_socket, ignored);
        CommandLine::TearDown();
    }

    Run::Result tmux(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-S", m_socket.string(), "-f", "/dev/null"});
        return Run::run("/usr/bin/tmux", arguments, Run::currentEnvironment(), 10);
    }
    // The process on the terminal (the pane's `env` replaced itself with it); 0 when none runs.
    pid_t panePid() const {
        const std::string shown = tmux({"display", "-p", "-t", "0", "#{pane_pid}"}).output;
        pid_t pane = 0;
        std::from_chars(shown.data(), shown.data() + shown.size(), pane);
        return pane;
    }
    // Whether `pid` is gone or only waits to be reaped.
    static bool hasEnded(pid_t pid) {
        if (::kill(pid, 0) != 0)
            return true;
        const std::string stat = Testing::readText("/proc/" + std::to_string(pid) + "/stat");
        const auto state = stat.rfind(") ");
        return state == std::string::npos || stat.compare(state + 2, 1, "Z") == 0;
    }
    // The temporary folder of what runs on the terminal.
    std::filesystem::path temporary() const { return home.parent_path() / "tmp"; }
    // Runs `command` (the application unless given) on the terminal.
    void start(std::vector<std::string> command = {program().string()}) const {
        command.insert(command.begin(),
                       {"new-session", "-d", "-x", "80", "-y", "24", "--", "env",
                        "HOME=" + home.string(), "PATH=" + bin().string() + ":/usr/bin:/bin",
                        "TMPDIR=" + temporary().string(), "TERM=xterm-256color"});
        const auto started = tmux(command);
        ASSERT_EQ(started.status, 0) << started.error;
    }
    // Starts the application, closes the Setup window it opens by itself (Claude Code is missing
    // here) and opens the menu; false when a step did not show.
    bool startAtTheMenu() const {
        start();
        if (!shows(setupWindow))
            return false;
        keys({"C-w"});
        if (!eventually([&] { return screen().find(setupWindow) == std::string::npos; }))
            return false;
        keys({"F10"});
        return shows("Settings…");
    }
    // Starts the application and, from the Setup window it opens by itself, adds a container
    // under the name offered, which brings up its steps; false when a step did not show.
    bool startAtAContainersSteps() const {
        start();
        if (!shows(setupWindow) || !focus("In a Container…"))
            return false;
        keys({"Enter"});
        if (!shows("┌─ Add a Container"))
            return false;
        keys({"Enter"});
        return true;
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
    static bool eventually(const std::function<bool()>& condition, double within = patience) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(within);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    // The text drawn inverse below the menu bar, which is how the focused control shows; empty
    // when none is. The terminal takes a large frame in pieces, and a capture between them shows
    // the focus nowhere or where it was: what counts is what two captures in a row agree on.
    std::string focusedText() const {
        std::string seen = inverseText(screen(true));
        for (int capture = 0; capture < 20; ++capture) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::string again = inverseText(screen(true));
            if (again == seen)
                break;
            seen = std::move(again);
        }
        return seen;
    }
    static std::string inverseText(const std::string& shown) {
        for (auto escape = shown.find("\x1b[", shown.find('\n')); escape != std::string::npos;
             escape = shown.find("\x1b[", escape + 1)) {
            auto end = shown.find('m', escape);
            if (end == std::string::npos)
                break;
            if ((";" + shown.substr(escape + 2, end - escape - 2) + ";").find(";7;") ==
                std::string::npos)
                continue;
            // Colours may follow before the text, as on a default button.
            while (shown.compare(end + 1, 2, "\x1b[") == 0 &&
                   shown.find('m', end + 1) != std::string::npos)
                end = shown.find('m', end + 1);
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
    ASSERT_TRUE(shows(setupWindow)) << screen();
    ASSERT_TRUE(focus("Install…")) << screen();
    keys({"Enter"});
    ASSERT_TRUE(shows("Install Claude Code?")) << screen();
    keys({"Escape"});
    ASSERT_TRUE(eventually([&] {
        return screen().find("Install Claude Code?") == std::string::npos;
    })) << screen();
    EXPECT_FALSE(std::filesystem::exists(home / ".kestrelhaven" / "install-claude-code.command"))
        << screen();
    keys({"C-w"});

    keys({"F10"});
    ASSERT_TRUE(shows("Settings…")) << screen();
    keys({","});
    ASSERT_TRUE(shows("Connection")) << screen();
    for (const char* word : {"VStack", "HStack", "Text \"", "Button \"", "Spacer", "Section"})
        EXPECT_THAT(screen(), Not(HasSubstr(word))) << screen();

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
    EXPECT_THAT(screen(), HasSubstr("Uninstall Kestrelhaven…")) << screen();

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
    ASSERT_TRUE(eventually([&] { return server().state().devices()["devices"].empty(); }))
        << screen();
    EXPECT_THAT(screen(), Not(HasSubstr("Also open"))) << screen();
    keys({"C-w"});
    ASSERT_TRUE(eventually([&] {
        return screen().find("Kestrelhaven Settings") == std::string::npos;
    })) << screen();
    keys({"F10"});
    ASSERT_TRUE(shows("Settings…")) << screen();
    keys({","});
    EXPECT_TRUE(shows("Kestrelhaven Settings")) << screen();
}

// A build that updates, so that Settings has its Updates section.
class TerminalSessionThatUpdates : public TerminalSession {
protected:
    Foundation::PropertyList::Dictionary info() const override {
        auto info = TerminalSession::info();
        info["SUFeedURL"] = UpdatesTesting::feedURL;
        info["SUPublicEDKey"] = UpdatesTesting::publicKey;
        return info;
    }
};

TEST_F(TerminalSessionThatUpdates, OpenListsShowAllTheirChoicesOnTheScreen) {
    ASSERT_TRUE(startAtTheMenu()) << screen();
    keys({","});
    ASSERT_TRUE(shows("Kestrelhaven Settings")) << screen();
    // The line of keys at the foot shows whole hints only.
    const std::string shown = screen();
    EXPECT_THAT(shown.substr(shown.rfind('\n', shown.size() - 2) + 1), Not(HasSubstr("…")))
        << shown;

    // Whether each choice stands on a row of an open list, ticked or not.
    const auto listed = [&](const std::vector<std::string>& choices) {
        const std::string shown = screen();
        return std::all_of(choices.begin(), choices.end(), [&](const std::string& choice) {
            return shown.find("│ ✓ " + choice) != std::string::npos ||
                   shown.find("│   " + choice) != std::string::npos;
        });
    };
    // By the first line of their label, which may wrap.
    const std::vector<std::pair<std::string, std::vector<std::string>>> pickers{
        {"Approvals on the",
         {"Always", "After 1 min away from this Mac", "After 3 min away from this Mac",
          "After 5 min away from this Mac", "After 10 min away from this Mac",
          "After 15 min away from this Mac", "After 30 min away from this Mac"}},
        {"Spoken on the phone",
         {"Nothing", "Approvals", "Approvals and choices", "Responses", "Everything"}},
        {"Updates from", {"Automatic (match my iPhone)", "App Store", "TestFlight", "Internal"}},
    };
    for (const auto& [picker, choices] : pickers) {
        ASSERT_TRUE(focus(picker)) << picker << "\n" << screen();
        keys({"Enter"});
        EXPECT_TRUE(eventually([&] { return listed(choices); })) << picker << "\n" << screen();
        keys({"Escape"});
        ASSERT_TRUE(eventually([&] { return !listed({choices.back()}); })) << screen();
    }
}

// The last row of the open menu.
constexpr const char* openMenu = "Quit Kestrelhaven Menu";

TEST_F(TerminalSession, APasteStartWithoutItsEndLetsF10OpenTheMenuWithinTwoSeconds) {
    start();
    ASSERT_TRUE(shows("phone connected")) << screen();
    keys({"-H", "1b", "5b", "32", "30", "30", "7e"});
    // F10 pressed at once is pasted, the paste then times out, and F10 pressed again opens the
    // menu; presses are spaced a little over the time-out, so that each can show the menu before
    // the next.
    const auto marked = std::chrono::steady_clock::now();
    std::chrono::duration<double> lastPressed{};
    bool open = false;
    for (int press = 0; press < 3 && !open; ++press) {
        lastPressed = std::chrono::steady_clock::now() - marked;
        keys({"F10"});
        open = eventually([&] { return screen().find(openMenu) != std::string::npos; },
                          AppKit::KeyDecoder::pasteTimeout + 0.5);
    }
    ASSERT_TRUE(open) << screen();
    // Timed to the press that opened the menu, not to the screen showing it, which a loaded
    // machine slows.
    EXPECT_LT(lastPressed.count(), 2) << screen();
}

TEST_F(TerminalSession, AStormOfResizeSignalsLetsF10OpenTheMenuWithinTwoSeconds) {
    start();
    ASSERT_TRUE(shows("phone connected")) << screen();
    const pid_t application = panePid();
    const auto isApplication = [](const std::string& command) {
        return command.starts_with(program().string());
    };
    for (int signal = 0; signal < 5000; ++signal)
        ASSERT_TRUE(Processes::signal(application, SIGWINCH, isApplication)) << application;
    const auto pressed = std::chrono::steady_clock::now();
    keys({"F10"});
    ASSERT_TRUE(shows(openMenu)) << screen();
    const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - pressed;
    EXPECT_LT(waited.count(), 2) << screen();
}

// How many columns a terminal gives `text`, as tmux counts them: wcwidth in a UTF-8 locale.
int terminalColumns(const std::string& text) {
    const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (utf8 == locale_t{})
        throw std::runtime_error("no C.UTF-8 locale");
    const locale_t previous = ::uselocale(utf8);
    int columns = 0;
    std::mbstate_t state{};
    for (std::size_t at = 0; at < text.size();) {
        wchar_t wide = 0;
        const std::size_t length = std::mbrtowc(&wide, text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at)
            break;
        columns += std::max(0, ::wcwidth(wide));
        at += length;
    }
    ::uselocale(previous);
    ::freelocale(utf8);
    return columns;
}

std::vector<std::string> rowsOf(const std::string& screen) {
    std::vector<std::string> rows;
    std::istringstream lines(screen);
    for (std::string row; std::getline(lines, row);)
        rows.push_back(row);
    return rows;
}

TEST_F(TerminalSession, ACodeSnippetKeepsTheIndentationOfTheTextItCopies) {
    ASSERT_TRUE(startAtAContainersSteps()) << screen();
    ASSERT_TRUE(shows("[ Done ]")) << screen();

    // The shape picker shows focus by underlining its choices.
    const auto pickerFocused = [&] {
        return screen(true).find(";4;7m docker run ") != std::string::npos;
    };
    for (int step = 0; step < 12 && !pickerFocused(); ++step) {
        const std::string before = screen(true);
        keys({"Tab"});
        eventually([&] { return screen(true) != before; });
    }
    ASSERT_TRUE(pickerFocused()) << screen();
    keys({"Right"});
    ASSERT_TRUE(shows("services:")) << screen();
    // Its Copy button comes next, and hands the snippet to the terminal's clipboard.
    tmux({"set-option", "-s", "set-clipboard", "on"});
    keys({"Tab"});
    ASSERT_TRUE(eventually([&] {
        for (const std::string& row : rowsOf(screen(true)))
            if (row.find("services:") != std::string::npos)
                return row.find("7m[ Copy ]") != std::string::npos;
        return false;
    })) << screen();
    keys({"Enter"});
    std::string copied;
    ASSERT_TRUE(eventually([&] {
        copied = tmux({"show-buffer"}).output;
        return copied.starts_with("services:");
    })) << copied;

    // Each line of the copied text shows in the rows of the box, in order and with its
    // indentation; a line too wide for the box goes on in the rows after it, indented as it is
    // and marked as going on.
    std::vector<std::string> rows;
    const std::vector<std::string> all = rowsOf(screen());
    for (auto row = all.begin(); row != all.end(); ++row) {
        const auto at = row->find("services:");
        if (at == std::string::npos)
            continue;
        for (auto line = row; line != all.end() && line->size() > at; ++line) {
            std::string text = line->substr(at, line->find("[ Copy ]") - at);
            text.erase(text.find_last_not_of(" │") + 1);
            if (text.empty())
                break;
            rows.push_back(text);
        }
        break;
    }
    std::size_t next = 0;
    for (const std::string& line : rowsOf(copied)) {
        const std::size_t indentation = line.find_first_not_of(' ');
        std::string_view rest = line;
        for (bool first = true; !rest.empty(); first = false) {
            ASSERT_LT(next, rows.size()) << copied << "\n" << screen();
            std::string_view shown = rows[next++];
            if (!first) {
                const std::string marked = line.substr(0, indentation) + "↪ ";
                ASSERT_TRUE(shown.starts_with(marked)) << shown;
                shown.remove_prefix(marked.size());
            }
            ASSERT_TRUE(!shown.empty() && rest.starts_with(shown)) << shown << "\n" << screen();
            rest.remove_prefix(shown.size());
            rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
        }
    }
}

TEST_F(TerminalSession, TheFocusedButtonBelowTheFoldOfAContainersStepsIsOnTheScreen) {
    ASSERT_TRUE(startAtAContainersSteps()) << screen();
    // Done, the steps' default button, takes the focus where they start, at their foot.
    EXPECT_TRUE(eventually([&] { return focusedText() == "[ Done ]"; })) << screen();
    tmux({"resize-window", "-t", "0", "-x", "60", "-y", "20"});
    EXPECT_TRUE(eventually([&] {
        // Redrawn at the new size, the frame's top row ends at its last column.
        for (const std::string& row : rowsOf(screen()))
            if (row.starts_with("┌─ Add a Container"))
                return row.ends_with("┐") && terminalColumns(row) == 60 &&
                       focusedText() == "[ Done ]";
        return false;
    })) << screen();
}

TEST_F(TerminalSession, AFileNameThatReordersOrJoinsCharactersKeepsEveryRowAtTheScreensWidth) {
    // A right-to-left override, which would show the name as ending in ".exe"; a family joined by
    // U+200D; and a joiner after a letter, which a terminal joins the next picture to.
    const auto file = home / "report\u202Efdp.exe 👨\u200D👩\u200D👧 Ada\u200D👩.md";
    Testing::writeText(file, "Notes");
    ASSERT_EQ(menu({"--share-menu", "register"}).status, 0);
    ASSERT_EQ(menu({"--share-menu", "on"}).status, 0);
    start({KH_SHARE_TOOL, (Bundled::app() / "Contents/PlugIns/KestrelhavenShare.appex").string(),
           "--file", file.string()});
    ASSERT_TRUE(shows("▤  Notes")) << screen();

    const std::string shown = screen();
    EXPECT_THAT(shown, HasSubstr("report\uFFFDfdp.exe 👨👩👧 Ada👩")) << shown;
    for (const char* control : {"\u202E", "\u200D"})
        EXPECT_EQ(shown.find(control), std::string::npos) << shown;
    // Every row of the sheet's frame ends at the same column.
    std::vector<int> edges;
    for (const std::string& row : rowsOf(shown)) {
        std::size_t end = 0;
        for (const char* border : {"│", "┐", "┘"}) {
            const auto at = row.rfind(border);
            if (at != std::string::npos)
                end = std::max(end, at + std::string_view(border).size());
        }
        if (end > 0)
            edges.push_back(terminalColumns(row.substr(0, end)));
    }
    ASSERT_GE(edges.size(), 20u) << shown;
    EXPECT_EQ(std::count(edges.begin(), edges.end(), edges.front()), std::ssize(edges)) << shown;
}

TEST_F(TerminalSession, TheShareSheetTakesTypedTextIntoItsTitleAtOnce) {
    ASSERT_EQ(menu({"--share-menu", "register"}).status, 0);
    ASSERT_EQ(menu({"--share-menu", "on"}).status, 0);
    start({KH_SHARE_TOOL, (Bundled::app() / "Contents/PlugIns/KestrelhavenShare.appex").string(),
           "--title", "T", "--text", "A few words to keep."});
    ASSERT_TRUE(shows("TITLE")) << screen();
    keys({"-l", "X"});
    EXPECT_TRUE(shows("TX")) << screen();
    // The terminal going away ends the share, and its request goes with it.
    tmux({"kill-server"});
    EXPECT_TRUE(eventually([&] { return std::filesystem::is_empty(temporary()); }));
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
