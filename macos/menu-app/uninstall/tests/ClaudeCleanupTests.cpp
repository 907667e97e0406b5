#include "uninstall/ClaudeCleanup.h"
#include "uninstall/tests/UninstallFixture.h"

#include <Foundation/Bundle.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using testing::ElementsAre;
using Status = UninstallStep::Status;
using Result = UninstallStep::Result;

namespace {

namespace fs = std::filesystem;

constexpr const char* stamp = "2026-03-01T09-05-07Z";

std::optional<ClaudeCode> noClaude() {
    return std::nullopt;
}

class ClaudeCleanup : public UninstallHome {
protected:
    fs::path userFile() const { return home / ".claude.json"; }
    Uninstaller::ClaudeUserFile own() const { return {userFile(), std::nullopt}; }
    std::string run(const std::string& configDir) const {
        return "CLAUDE_CONFIG_DIR=" + configDir + " HOME=" + home.string() +
               " mcp remove --scope user ";
    }
};

TEST_F(ClaudeCleanup, ClaudeCodeRemovesTheServersItselfWhenItCan) {
    Testing::writeText(userFile(), userFileWithServers());
    EXPECT_EQ(Uninstaller::removeServers(own(), ClaudeCode::find, stamp),
              (Result{Status::done,
                      "removed kestrelhaven-channel, kestrelhaven-speak (claude mcp remove)"}));
    // A test build points Claude Code at the test home.
    EXPECT_THAT(claudeRuns(), ElementsAre(run(home.string()) + "kestrelhaven-channel",
                                          run(home.string()) + "kestrelhaven-speak"));
    EXPECT_THAT(Testing::readText(userFile()), testing::HasSubstr("notes-server"));
    EXPECT_FALSE(fs::exists(home / (".claude.json.kh-uninstall-" + std::string(stamp))));

    // Any other build leaves Claude Code to its own default, whatever this process was given.
    Foundation::Bundle::setMainInfo("KHHome", std::nullopt);
    ::setenv("CLAUDE_CONFIG_DIR", "/elsewhere", 1);
    Testing::writeText(userFile(), userFileWithServers({"kestrelhaven-speak"}));
    const Result removed = Uninstaller::removeServers(own(), ClaudeCode::find, stamp);
    ::unsetenv("CLAUDE_CONFIG_DIR");
    Foundation::Bundle::setMainInfo("KHHome", home.string());
    EXPECT_EQ(removed, (Result{Status::done, "removed kestrelhaven-speak (claude mcp remove)"}));
    EXPECT_EQ(claudeRuns().back(), run("-") + "kestrelhaven-speak");
}

TEST_F(ClaudeCleanup, WhatClaudeCodeLeavesOrCantReachIsEditedOutWithABackup) {
    const fs::path folder = home.parent_path() / "work-config";
    const Uninstaller::ClaudeUserFile inFolder{folder / ".claude.json", folder.string()};
    const std::string before = userFileWithServers({"kestrelhaven-speak"});
    Testing::writeText(inFolder.file, before);
    ::setenv("KH_CLAUDE_KEEPS", folder.c_str(), 1);
    EXPECT_EQ(Uninstaller::removeServers(inFolder, ClaudeCode::find, stamp),
              (Result{Status::done, "removed kestrelhaven-speak (edited directly; backup "
                                    ".claude.json.kh-uninstall-2026-03-01T09-05-07Z)"}));
    EXPECT_THAT(claudeRuns(), ElementsAre(run(folder.string()) + "kestrelhaven-speak"));
    EXPECT_EQ(Testing::readText(folder / ".claude.json.kh-uninstall-2026-03-01T09-05-07Z"), before);

    withoutClaude();
    Testing::writeText(userFile(), userFileWithServers());
    ASSERT_EQ(ClaudeCode::find(), std::nullopt);
    EXPECT_EQ(Uninstaller::removeServers(own(), noClaude, stamp),
              (Result{Status::done, "removed kestrelhaven-channel, kestrelhaven-speak (edited "
                                    "directly; backup .claude.json.kh-uninstall-" +
                                        std::string(stamp) + ")"}));
    EXPECT_THAT(Testing::readText(userFile()), testing::Not(testing::HasSubstr("kestrelhaven")));
}

TEST_F(ClaudeCleanup, FilesWithoutOurServersAreLeftAloneAndUnreadableOrUnwritableOnesFail) {
    withoutClaude();
    EXPECT_EQ(Uninstaller::removeServers(own(), noClaude, stamp),
              (Result{Status::notFound, "no such file"}));
    for (const std::string text : {"{\"mcpServers\": {\"notes\": {}}}", "{\"mcpServers\": "}) {
        Testing::writeText(userFile(), text);
        EXPECT_EQ(Uninstaller::removeServers(own(), noClaude, stamp),
                  (Result{Status::notFound, "none of Kestrelhaven's"}));
        EXPECT_EQ(Testing::readText(userFile()), text);
    }
    // A lone surrogate escape can't be written back as it was read: the servers stay.
    Testing::writeText(userFile(), "{\"note\": \"\\uD800\"," + userFileWithServers().substr(1));
    EXPECT_EQ(
        Uninstaller::removeServers(own(), noClaude, stamp),
        (Result{Status::failed, "kestrelhaven-channel, kestrelhaven-speak still registered: it "
                                "holds text that couldn't be written back unchanged, so it "
                                "was left alone"}));
    fs::remove(userFile());
    fs::create_directory(userFile());
    EXPECT_EQ(Uninstaller::removeServers(own(), noClaude, stamp),
              (Result{Status::failed, "can't read it"}));
}

} // namespace
