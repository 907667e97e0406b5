#include "service/Bundled.h"
#include "service/ClaudeCode.h"
#include "service/ClaudeHooks.h"

#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

namespace fs = std::filesystem;

class ClaudeCodeSearch : public testing::Test {
protected:
    void SetUp() override {
        home = Testing::useTestHome();
        ::setenv("PATH", (tools.path() / "bin").c_str(), 1);
        useShell("exit 1");
    }
    void TearDown() override { Foundation::setLoginShellSource({}); }

    // An executable script at `path` running `body`.
    static void script(const fs::path& path, const std::string& body) {
        Testing::writeText(path, "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
    }
    // A stand-in claude that prints `version` for --version.
    static void claude(const fs::path& path, const std::string& version = "2.1.224 (Claude Code)") {
        script(path, "[ \"$1\" = --version ] && echo '" + version + "'");
    }
    // The login shell is a script of this body.
    void useShell(const std::string& body) {
        const fs::path shell = tools.path() / "shell";
        script(shell, body);
        Foundation::setLoginShellSource([shell] { return shell.string(); });
    }

    fs::path home;
    Testing::TemporaryFolder tools;
};

} // namespace

TEST_F(ClaudeCodeSearch, CandidatesPutNvmVersionsNewestFirstAmongTheFixedPlaces) {
    const std::string h = home.string();
    EXPECT_THAT(ClaudeCode::candidates(),
                ElementsAre(h + "/.local/bin/claude", h + "/.claude/local/claude",
                            "/opt/homebrew/bin/claude", "/usr/local/bin/claude",
                            h + "/.npm-global/bin/claude", h + "/.volta/bin/claude",
                            h + "/.bun/bin/claude"));
    for (const char* version : {"v18.20.4", "v20.11.0", "v9.0.0"})
        fs::create_directories(home / ".nvm/versions/node" / version);
    const auto candidates = ClaudeCode::candidates();
    const std::string nvm = h + "/.nvm/versions/node/";
    EXPECT_EQ(std::vector<std::string>(candidates.begin() + 3, candidates.begin() + 8),
              (std::vector<std::string>{"/usr/local/bin/claude", nvm + "v20.11.0/bin/claude",
                                        nvm + "v18.20.4/bin/claude", nvm + "v9.0.0/bin/claude",
                                        h + "/.npm-global/bin/claude"}));
    fs::remove_all(home / ".nvm");
}

TEST_F(ClaudeCodeSearch, PathComesFirstThenTheFixedPlacesEachWithItsVersion) {
    EXPECT_EQ(ClaudeCode::find(), std::nullopt);

    claude(home / ".local/bin/claude", "claude 2.1.300 build 7");
    EXPECT_EQ(ClaudeCode::find(), (ClaudeCode{(home / ".local/bin/claude").string(), "2.1.300"}));
    ::unsetenv("PATH");
    const ClaudeCode fixedPlace{(home / ".local/bin/claude").string(), "2.1.300"};
    EXPECT_EQ(ClaudeCode::find(), fixedPlace);
    // A folder named claude on PATH is passed over; an executable one wins.
    fs::create_directories(tools.path() / "bin" / "claude");
    ::setenv(
        "PATH",
        ("::" + (tools.path() / "other").string() + ":" + (tools.path() / "bin").string()).c_str(),
        1);
    EXPECT_EQ(ClaudeCode::find(), fixedPlace);
    claude(tools.path() / "other/claude");
    EXPECT_EQ(ClaudeCode::find(),
              (ClaudeCode{(tools.path() / "other/claude").string(), "2.1.224"}));

    // A version run that fails, or prints no version, gives no version.
    const ClaudeCode withoutVersion{(tools.path() / "other/claude").string(), std::nullopt};
    script(tools.path() / "other/claude", "echo 2.1.224; exit 3");
    EXPECT_EQ(ClaudeCode::find(), withoutVersion);
    script(tools.path() / "other/claude", "echo 'Claude Code 2.1'");
    EXPECT_EQ(ClaudeCode::find(), withoutVersion);
    fs::remove(home / ".local/bin/claude");
}

TEST_F(ClaudeCodeSearch, TheLoginShellIsAskedLast) {
    const fs::path elsewhere = tools.path() / "elsewhere" / "claude";
    claude(elsewhere);
    useShell("echo 'Welcome back'\necho '  " + elsewhere.string() + "\t'");
    EXPECT_EQ(ClaudeCode::find(), (ClaudeCode{elsewhere.string(), "2.1.224"}));

    useShell("echo " + elsewhere.string() + "; exit 1");
    EXPECT_EQ(ClaudeCode::find(), std::nullopt);
    useShell("echo claude");
    EXPECT_EQ(ClaudeCode::find(), std::nullopt);
    useShell("echo " + (tools.path() / "missing").string());
    EXPECT_EQ(ClaudeCode::find(), std::nullopt);

    // A shell that is not an executable file gives way to the platform's default.
    Foundation::setLoginShellSource([] { return std::string("relative/zsh"); });
    EXPECT_EQ(ClaudeCode::loginShell(), "/bin/zsh");
    Foundation::setLoginShellSource([] { return std::nullopt; });
    EXPECT_EQ(ClaudeCode::loginShell(), "/bin/zsh");
}

TEST(ClaudeCodeVersion, ParsesTheFirstVersionAndComparesNumberByNumber) {
    EXPECT_EQ(ClaudeCode::parseVersion("2.1.224 (Claude Code)"), "2.1.224");
    EXPECT_EQ(ClaudeCode::parseVersion("v10.20.30-beta and 1.2.3"), "10.20.30");
    EXPECT_EQ(ClaudeCode::parseVersion("2.1"), std::nullopt);
    EXPECT_EQ(ClaudeCode::parseVersion(""), std::nullopt);

    EXPECT_EQ(ClaudeCode::compare("2.1.224", "2.1.224"), 0);
    EXPECT_EQ(ClaudeCode::compare("2.1.99", "2.1.224"), -1);
    EXPECT_EQ(ClaudeCode::compare("2.1.224", "2.1.1000"), -1);
    EXPECT_EQ(ClaudeCode::compare("3", "2.9.9"), 1);
    EXPECT_EQ(ClaudeCode::compare("", "0.0"), 0);
    EXPECT_EQ(ClaudeCode::compare("2.1", "2.1.0"), 0);
    EXPECT_EQ(ClaudeCode::compare("2.1.224-beta", "2.1.0"), 0);
    EXPECT_EQ(ClaudeCode::compare("2..1", "2.1"), 0);
    // Numbers from outside never overflow: a huge one is simply the largest.
    EXPECT_EQ(ClaudeCode::compare("99999999999999999999999.0", "18446744073709551615.1"), -1);
    EXPECT_TRUE(ClaudeCode::isTooOld("2.1.223"));
    EXPECT_FALSE(ClaudeCode::isTooOld("2.2"));
}

namespace {

class HookState : public testing::Test {
protected:
    void SetUp() override { settings = Testing::useTestHome() / ".claude" / "settings.json"; }
    void TearDown() override { fs::remove_all(settings.parent_path()); }

    // A settings file with a command hook for each event, ours when the command ends with the
    // marker.
    void write(const std::vector<std::pair<std::string, std::string>>& commands) {
        std::string hooks;
        for (const auto& [event, command] : commands)
            hooks += (hooks.empty() ? "" : ",") +
                     ("\"" + event + "\":[{\"matcher\":\"\"," +
                      "\"hooks\":[{\"type\":\"command\",\"command\":\"" + command + "\"}]}]");
        Testing::writeText(settings, "{\"model\":\"opus\",\"hooks\":{" + hooks + "}}");
    }
    std::vector<std::pair<std::string, std::string>> all(const std::string& command) {
        std::vector<std::pair<std::string, std::string>> commands;
        for (const char* event : ClaudeHooks::events)
            commands.emplace_back(event, command);
        return commands;
    }

    fs::path settings;
};

} // namespace

TEST_F(HookState, ReadsTheProductsHooksFromTheSettingsFile) {
    using State = ClaudeHooks::State;
    EXPECT_EQ(ClaudeHooks::state(), State::absent());
    Testing::writeText(settings, "{}");
    EXPECT_EQ(ClaudeHooks::state(), State::absent());
    Testing::writeText(settings, "[]");
    EXPECT_EQ(ClaudeHooks::state(), State::unreadable());
    Testing::writeText(settings, "");
    EXPECT_EQ(ClaudeHooks::state(), State::unreadable());
    Testing::writeText(settings, R"({"hooks":[1]})");
    EXPECT_EQ(ClaudeHooks::state(), State::absent());

    write(all("curl … # kestrelhaven-hook"));
    EXPECT_EQ(ClaudeHooks::state(), State::installed());
    auto commands = all("curl … # kestrelhaven-hook");
    // Listed in the events' order, whatever the file's; a marker followed by anything is not ours.
    std::swap(commands[2], commands[7]);
    commands[2].second = "curl … # kestrelhaven-hook ";
    commands[7].second = "curl … # kestrelhaven-hook\\n";
    write(commands);
    EXPECT_EQ(ClaudeHooks::state(), State::partial({"Stop", "SessionEnd"}));
    write({{"Stop", "say done"}});
    EXPECT_EQ(ClaudeHooks::state(), State::absent());

    // An event whose groups are not all objects carries nothing.
    Testing::writeText(settings,
                       R"({"hooks":{"Stop":[1,{"hooks":[{"command":"x # kestrelhaven-hook"}]}]}})");
    EXPECT_EQ(ClaudeHooks::state(), State::absent());
    // A folder in the file's place reads as no hooks.
    fs::remove(settings);
    fs::create_directories(settings);
    EXPECT_EQ(ClaudeHooks::state(), State::absent());
}
