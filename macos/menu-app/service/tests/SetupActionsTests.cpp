#include "service/SetupActions.h"

#include <AppKit/Alert.h>
#include <AppKit/Pasteboard.h>
#include <AppKit/Workspace.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using AppKit::Workspace;
using Opening = Workspace::Opening;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

class SetupActionsTest : public testing::Test {
protected:
    void SetUp() override {
        home = Testing::useTestHome();
        ::setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
        Workspace::setOpener([this](const Opening& opening) {
            opened.push_back(opening);
            return true;
        });
        AppKit::Alert::setPresenter([this](const AppKit::Alert& alert) {
            shown.push_back(alert.messageText() + "\n" + alert.informativeText());
            buttons = alert.buttons();
            return AppKit::alertFirstButtonReturn + answer;
        });
        AppKit::Pasteboard::general().clearContents();
    }
    void TearDown() override {
        Workspace::setOpener({});
        AppKit::Alert::setPresenter({});
    }

    fs::path script() const { return home / ".kestrelhaven" / "install-claude-code.command"; }

    fs::path home;
    std::vector<Opening> opened;
    std::vector<std::string> shown;
    std::vector<std::string> buttons;
    int answer = 0;
};

} // namespace

TEST_F(SetupActionsTest, TheInstallerRunsInATerminalFromAScriptInTheDataFolder) {
    SetupActions::installClaude("curl -fsSL https://claude.ai/install.sh | bash");
    EXPECT_THAT(shown, ElementsAre("Install Claude Code?\nKestrelhaven opens Terminal and runs "
                                   "Anthropic's installer, which needs nothing but what macOS "
                                   "has:\n\ncurl -fsSL https://claude.ai/install.sh | bash\n\nWhen "
                                   "it's done, come back and click Check Again."));
    EXPECT_THAT(buttons, ElementsAre("Open Terminal", "Copy Command", "Cancel"));
    EXPECT_THAT(opened, ElementsAre(Opening{Opening::Kind::file, script().string()}));
    // The script starts with a shell this machine has.
    const std::string text = Testing::readText(script());
    ASSERT_TRUE(text.starts_with("#!/"));
    const std::string shell = text.substr(2, text.find('\n') - 2);
    EXPECT_EQ(::access(shell.c_str(), X_OK), 0) << shell;
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "# Claude Code's installer, opened from Kestrelhaven's Setup.\ncurl -fsSL "
              "https://claude.ai/install.sh | bash\necho\necho \"Done. Go back to "
              "Kestrelhaven's Setup and click Check Again.\"");
    struct stat status {};
    ASSERT_EQ(::stat(script().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    ASSERT_EQ(::stat(script().parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    // A second time replaces the script.
    SetupActions::installClaude("echo again");
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_NE(Testing::readText(script()).find("\necho again\n"), std::string::npos);
    EXPECT_EQ(AppKit::Pasteboard::general().string(), std::nullopt);
}

TEST_F(SetupActionsTest, TheInstallerCommandCanBeCopiedOrDeclined) {
    answer = 1;
    SetupActions::installClaude("curl installer | bash");
    EXPECT_EQ(AppKit::Pasteboard::general().string(), "curl installer | bash");
    EXPECT_FALSE(fs::exists(script()));
    answer = 2;
    AppKit::Pasteboard::general().clearContents();
    SetupActions::installClaude("curl installer | bash");
    EXPECT_EQ(AppKit::Pasteboard::general().string(), std::nullopt);
    EXPECT_THAT(opened, IsEmpty());
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(SetupActionsTest, AScriptThatCannotBeWrittenPutsTheCommandOnThePasteboard) {
    Testing::writeText(home / ".kestrelhaven", "a file where the data folder belongs");
    SetupActions::installClaude("curl installer | bash");
    EXPECT_THAT(opened, IsEmpty());
    EXPECT_EQ(AppKit::Pasteboard::general().string(), "curl installer | bash");
    fs::remove(home / ".kestrelhaven");
}

TEST_F(SetupActionsTest, TailscaleOpensWhenInstalledElseItsDownloadPage) {
    SetupActions::openTailscale();
    EXPECT_THAT(opened,
                ElementsAre(Opening{Opening::Kind::url, "https://tailscale.com/download/mac"}));

    const fs::path macsys = home / "system" / "applications" / "io.tailscale.ipn.macsys.desktop";
    Testing::writeText(macsys, "[Desktop Entry]\n");
    SetupActions::openTailscale();
    const fs::path macos = home / "share" / "applications" / "io.tailscale.ipn.macos.desktop";
    Testing::writeText(macos, "[Desktop Entry]\n");
    SetupActions::openTailscale();
    EXPECT_EQ(opened[1], (Opening{Opening::Kind::application, macsys.string()}));
    EXPECT_EQ(opened[2], (Opening{Opening::Kind::application, macos.string()}));
}
