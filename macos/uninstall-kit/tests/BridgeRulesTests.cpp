#include "BridgeConfig.h"
#include "BridgeProcess.h"
#include "DossierShim.h"

#include <Testing/Testing.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Dirs = std::vector<std::string>;

BridgeConfig configOf(const std::string& text) {
    Testing::TemporaryFolder folder;
    Testing::writeText(folder.path() / "config.json", text);
    return BridgeConfig::read(folder.path() / "config.json");
}

constexpr const char* nodePath = "/Applications/Kestrelhaven.app/Contents/Helpers/node";
constexpr const char* daemonPath =
    "/Applications/Kestrelhaven.app/Contents/Resources/bridge/dist/daemon.js";
constexpr const char* launcherPath =
    "/Applications/Kestrelhaven.app/Contents/MacOS/KestrelhavenBridge";

bool isBridge(const std::string& command) {
    return BridgeProcess::isBridge(command, nodePath, daemonPath, launcherPath);
}

} // namespace

TEST(BridgeConfig, MissingOrBadFilesGiveTheDefaults) {
    const BridgeConfig defaults;
    EXPECT_EQ(defaults, (BridgeConfig{17800, {}}));
    Testing::TemporaryFolder folder;
    EXPECT_EQ(BridgeConfig::read(folder.path() / "config.json"), defaults);
    EXPECT_EQ(BridgeConfig::read(folder.path()), defaults);
    const fs::path fifo = folder.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(BridgeConfig::read(fifo), defaults);
    EXPECT_EQ(configOf("[1, 2]"), defaults);
    EXPECT_EQ(configOf("port: 17801"), defaults);
    EXPECT_EQ(configOf(""), defaults);
}

TEST(BridgeConfig, ThePortMustBeAnIntegralNumber) {
    EXPECT_EQ(configOf(R"({"port": 17801})").port, 17801);
    EXPECT_EQ(configOf(R"({"port": 17801.0})").port, 17801);
    EXPECT_EQ(configOf(R"({"port": "17801"})").port, 17800);
    EXPECT_EQ(configOf(R"({"port": 17801.5})").port, 17800);
    EXPECT_EQ(configOf(R"({"port": true})").port, 17800);
    EXPECT_EQ(configOf(R"({"port": 1e30})").port, 17800);
    EXPECT_EQ(configOf(R"({"port": 18446744073709551615})").port, 17800);
}

TEST(BridgeConfig, ConfigDirsAreTheAbsoluteOnesOfAWellFormedList) {
    EXPECT_EQ(configOf(R"({"environments": [{"configDir": "/a"}, {"configDir": "b"}, {},
                                            {"configDir": 3}, {"configDir": "/a"}]})")
                  .configDirs,
              (Dirs{"/a", "/a"}));
    EXPECT_EQ(configOf(R"({"port": 9, "environments": [{"configDir": "/a"}, 7]})"),
              (BridgeConfig{9, {}}));
    EXPECT_EQ(configOf(R"({"environments": {"configDir": "/a"}})").configDirs, Dirs{});
}

TEST(BridgeProcess, TheLauncherWithAnyArguments) {
    EXPECT_TRUE(isBridge(launcherPath));
    EXPECT_TRUE(isBridge(std::string(launcherPath) + " --verbose x"));
    EXPECT_TRUE(isBridge(std::string("  \t") + launcherPath + " \u00A0"));
    EXPECT_FALSE(isBridge(std::string(launcherPath) + "2"));
    EXPECT_FALSE(isBridge(std::string("\n") + launcherPath));
    EXPECT_FALSE(isBridge("/Other.app/Contents/MacOS/KestrelhavenBridge"));
}

TEST(BridgeProcess, TheRuntimeRunningTheDaemonAfterSingleWordOptions) {
    EXPECT_TRUE(isBridge(std::string(nodePath) + " " + daemonPath));
    EXPECT_TRUE(isBridge(std::string(nodePath) + " " + daemonPath + " --port 17800"));
    EXPECT_TRUE(isBridge(std::string(nodePath) + " --disable-sigusr1 --max-old-space-size=4096 " +
                         daemonPath));
    EXPECT_TRUE(isBridge(std::string("   ") + nodePath + " " + daemonPath));
    // An option whose value is a word of its own hides the daemonPath.
    EXPECT_FALSE(isBridge(std::string(nodePath) + " --require x " + daemonPath));
    EXPECT_FALSE(isBridge(std::string(nodePath) + "  " + daemonPath));
    EXPECT_FALSE(isBridge(std::string(nodePath) + " --inspect"));
    EXPECT_FALSE(isBridge(std::string(nodePath) +
                          " /Other.app/Contents/Resources/bridge/dist/daemonPath.js"));
    EXPECT_FALSE(isBridge(std::string("/usr/bin/nodePath ") + daemonPath));
    EXPECT_FALSE(isBridge(nodePath));
}

class DossierShimTest : public ::testing::Test {
protected:
    Testing::TemporaryFolder folder;
    fs::path bin = folder.path() / "bin";
    fs::path shim = bin / "dossier";
    void SetUp() override { fs::create_directories(bin); }
};

TEST_F(DossierShimTest, AScriptIsOursWhenItsFirst400BytesCarryTheMark) {
    EXPECT_FALSE(DossierShim::isOurs(shim));
    Testing::writeText(shim, "#!/bin/sh\n# kestrelhaven-dossier-shim\nexec node x \"$@\"\n");
    EXPECT_TRUE(DossierShim::isOurs(shim));
    EXPECT_TRUE(DossierShim::carriesMark(shim));

    Testing::writeText(shim,
                       "#!/bin/sh\n" + std::string(400, '#') + "\n# kestrelhaven-dossier-shim\n");
    EXPECT_FALSE(DossierShim::isOurs(shim));
    // The mark ends exactly at byte 400.
    Testing::writeText(shim, std::string(400 - DossierShim::mark.size(), ' ') +
                                 std::string(DossierShim::mark));
    EXPECT_TRUE(DossierShim::carriesMark(shim));
    Testing::writeText(shim, "#!/bin/sh\nexec other \"$@\"\n");
    EXPECT_FALSE(DossierShim::isOurs(shim));

    fs::remove(shim);
    fs::create_directory(shim);
    EXPECT_FALSE(DossierShim::isOurs(shim));
    EXPECT_FALSE(DossierShim::carriesMark(shim));
    fs::remove(shim);
    ASSERT_EQ(::mkfifo(shim.c_str(), 0600), 0);
    EXPECT_FALSE(DossierShim::isOurs(shim));
    EXPECT_FALSE(DossierShim::carriesMark(shim));
}

TEST_F(DossierShimTest, ALinkIsOursWhenItsTargetIsOursOrAGoneBundleScript) {
    const fs::path script = folder.path() / "App" / "bridge" / "bin" / "dossier";
    Testing::writeText(script, "#!/bin/sh\n# kestrelhaven-dossier-shim\n");
    fs::create_symlink(script, shim);
    EXPECT_TRUE(DossierShim::isOurs(shim));

    // Present but without the mark: someone else's.
    Testing::writeText(script, "#!/bin/sh\n");
    EXPECT_FALSE(DossierShim::isOurs(shim));
    // Gone with its bundle: ours.
    fs::remove_all(folder.path() / "App");
    EXPECT_TRUE(DossierShim::isOurs(shim));

    fs::remove(shim);
    fs::create_symlink(folder.path() / "elsewhere" / "dossier", shim);
    EXPECT_FALSE(DossierShim::isOurs(shim));
    fs::remove(shim);
    fs::create_symlink(bin, shim);
    EXPECT_FALSE(DossierShim::isOurs(shim));
}

TEST_F(DossierShimTest, ARelativeTargetIsResolvedAgainstTheLinksFolder) {
    Testing::writeText(bin / "real-dossier", "# kestrelhaven-dossier-shim\n");
    fs::create_symlink("real-dossier", shim);
    // Whatever the current directory is.
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    EXPECT_TRUE(DossierShim::isOurs(shim.string()));
    fs::current_path(previous);

    fs::remove(shim);
    fs::create_symlink("../gone/bridge/bin/dossier", shim);
    EXPECT_TRUE(DossierShim::isOurs(shim.string()));
    fs::create_directories(folder.path() / "gone" / "bridge" / "bin" / "dossier");
    EXPECT_FALSE(DossierShim::isOurs(shim.string()));
}
