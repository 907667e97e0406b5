#include <AppKit/Pasteboard.h>
#include <AppKit/Workspace.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace AppKit;
using Opening = Workspace::Opening;

TEST(Workspace, EveryOpeningGoesThroughTheOpener) {
    std::vector<Opening> opened;
    Workspace::setOpener([&](const Opening& opening) {
        opened.push_back(opening);
        return opening.kind != Opening::Kind::application;
    });
    auto& workspace = Workspace::shared();
    EXPECT_TRUE(workspace.openURL("https://tailscale.com/download/mac"));
    EXPECT_FALSE(workspace.openApplication("/apps/io.tailscale.ipn.macos.desktop"));
    EXPECT_TRUE(workspace.open("/home/ada/.kestrelhaven/install-claude-code.command"));
    EXPECT_EQ(opened,
              (std::vector<Opening>{
                  {Opening::Kind::url, "https://tailscale.com/download/mac"},
                  {Opening::Kind::application, "/apps/io.tailscale.ipn.macos.desktop"},
                  {Opening::Kind::file, "/home/ada/.kestrelhaven/install-claude-code.command"}}));
    Workspace::setOpener({});
}

TEST(Workspace, FindsApplicationsByIdentifierInTheDesktopsApplicationFolders) {
    Testing::TemporaryFolder folder;
    const auto own = folder.path() / "own";
    const auto shared = folder.path() / "shared";
    ::setenv("XDG_DATA_HOME", own.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", ("/nonexistent::" + shared.string()).c_str(), 1);
    auto& workspace = Workspace::shared();
    EXPECT_EQ(workspace.urlForApplication("io.tailscale.ipn.macsys"), std::nullopt);

    Testing::writeText(shared / "applications" / "io.tailscale.ipn.macsys.desktop", "[Desktop]\n");
    EXPECT_EQ(workspace.urlForApplication("io.tailscale.ipn.macsys"),
              shared / "applications" / "io.tailscale.ipn.macsys.desktop");
    Testing::writeText(own / "applications" / "io.tailscale.ipn.macsys.desktop", "[Desktop]\n");
    EXPECT_EQ(workspace.urlForApplication("io.tailscale.ipn.macsys"),
              own / "applications" / "io.tailscale.ipn.macsys.desktop");

    // A folder of that name is no application, and an identifier cannot reach outside.
    std::filesystem::create_directories(own / "applications" / "io.tailscale.ipn.macos.desktop");
    EXPECT_EQ(workspace.urlForApplication("io.tailscale.ipn.macos"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("../applications/io.tailscale.ipn.macsys"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication(""), std::nullopt);
}

TEST(Workspace, TheDesktopReportsAProgramThatCannotStart) {
    // With no such programs on PATH, nothing can open.
    ::setenv("PATH", "/nonexistent", 1);
    Workspace::setOpener({});
    auto& workspace = Workspace::shared();
    EXPECT_FALSE(workspace.openURL("https://example.com/"));
    EXPECT_FALSE(workspace.open("/tmp/script.command"));
    EXPECT_FALSE(workspace.openApplication("/tmp/app.desktop"));

    // A terminal program that cannot run, or one with no display to show on, opens no script.
    Testing::TemporaryFolder folder;
    Testing::writeText(folder.path() / "x-terminal-emulator", "#!/bin/sh\n");
    ::setenv("PATH", folder.path().c_str(), 1);
    ::setenv("DISPLAY", ":0", 1);
    EXPECT_FALSE(workspace.open("/tmp/script.command"));
    std::filesystem::permissions(folder.path() / "x-terminal-emulator",
                                 std::filesystem::perms::owner_all);
    EXPECT_TRUE(workspace.open("/tmp/script.command"));
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(workspace.open("/tmp/script.command"));
}

TEST(Pasteboard, HoldsTheLastTextPutOnItUntilCleared) {
    auto& pasteboard = Pasteboard::general();
    const int changes = pasteboard.changeCount();
    EXPECT_EQ(pasteboard.clearContents(), changes + 1);
    EXPECT_EQ(pasteboard.string(), std::nullopt);
    EXPECT_TRUE(pasteboard.setString("curl -fsSL https://claude.ai/install.sh | bash"));
    EXPECT_EQ(pasteboard.string(), "curl -fsSL https://claude.ai/install.sh | bash");
    pasteboard.clearContents();
    EXPECT_EQ(pasteboard.string(), std::nullopt);
    EXPECT_EQ(pasteboard.changeCount(), changes + 2);
}
