#include "service/Bundled.h"

#include <Foundation/Bundle.h>
#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using Foundation::PropertyList;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

namespace {

namespace fs = std::filesystem;

// Makes a bundle with `info` in `folder` the main bundle; each test runs in a process of its own.
fs::path useBundle(const fs::path& folder, const PropertyList::Dictionary& info) {
    const fs::path bundle = Testing::makeBundle(folder, info);
    EXPECT_TRUE(Foundation::Bundle::setMain(bundle));
    return bundle;
}

// A runtime that prints its arguments and environment, and a cli.js beside it.
void placeRuntime(const std::string& script) {
    Testing::writeText(Bundled::node(), script);
    fs::permissions(Bundled::node(), fs::perms::owner_all);
    Testing::writeText(Bundled::cliScript(), "// tool\n");
}

} // namespace

TEST(Bundled, HomeIsTheFolderTheTestBuildNames) {
    const auto& home = Testing::useTestHome();
    EXPECT_EQ(Bundled::home(), home);
    EXPECT_EQ(&Bundled::home(), &Bundled::home());
}

TEST(Bundled, AHomeThatIsNotAnAbsolutePathIsTheUsersOwn) {
    Testing::TemporaryFolder folder;
    useBundle(folder.path(), {{"KHHome", "relative/home"}});
    EXPECT_EQ(Bundled::home(), Foundation::homeDirectory());
}

TEST(Bundled, AHomeOfAnotherTypeIsTheUsersOwn) {
    Testing::TemporaryFolder folder;
    useBundle(folder.path(), {{"KHHome", 42}});
    EXPECT_EQ(Bundled::home(), Foundation::homeDirectory());
}

TEST(Bundled, TheRuntimeAndToolLieInsideTheBundle) {
    Testing::TemporaryFolder folder;
    const fs::path bundle = useBundle(folder.path(), {});
    EXPECT_EQ(Bundled::app(), bundle);
    EXPECT_EQ(Bundled::node(), bundle / "Contents/Helpers/node");
    EXPECT_EQ(Bundled::cliScript(), bundle / "Contents/Resources/bridge/dist/cli.js");
    EXPECT_FALSE(Bundled::needsMoving());
    EXPECT_EQ(Bundled::agentPlistName(), "com.tallowmeadows.kestrelhaven.agent.plist");
}

TEST(Bundled, TheAgentsNameIsAnyTextTheBundleGives) {
    Testing::TemporaryFolder folder;
    const fs::path bundle = useBundle(folder.path(), {{"KHAgentPlistName", ""}});
    EXPECT_EQ(Bundled::agentPlistName(), "");
    // Looked up in the main bundle's Info.plist as it was loaded: a later change of the file is
    // not seen.
    Testing::writeText(bundle / "Contents/Info.plist",
                       Foundation::serializePropertyList(PropertyList::Dictionary{
                           {"KHAgentPlistName", PropertyList::Array{"x"}}}));
    EXPECT_EQ(Bundled::agentPlistName(), "");
    // Looked up on every call, so a change to the loaded values shows.
    Foundation::Bundle::setMainInfo("KHAgentPlistName", PropertyList("x.plist"));
    EXPECT_EQ(Bundled::agentPlistName(), "x.plist");
}

TEST(Bundled, AnAgentNameOfAnotherTypeGivesTheDefault) {
    Testing::TemporaryFolder folder;
    useBundle(folder.path(), {{"KHAgentPlistName", true}});
    EXPECT_EQ(Bundled::agentPlistName(), "com.tallowmeadows.kestrelhaven.agent.plist");
}

TEST(Bundled, ATranslocatedCopyNeedsMoving) {
    Testing::TemporaryFolder folder;
    useBundle(folder.path() / "AppTranslocation" / "1A2B", {});
    EXPECT_TRUE(Bundled::needsMoving());
}

TEST(Bundled, AnAppOnADiskImageNeedsMoving) {
    EXPECT_TRUE(Foundation::Bundle::setMain("/Volumes/Kestrelhaven/Kestrelhaven.app"));
    EXPECT_TRUE(Bundled::needsMoving());
}

TEST(Bundled, TheBridgeIsPresentWithAnExecutableRuntimeAndItsTool) {
    Testing::TemporaryFolder folder;
    useBundle(folder.path(), {});
    EXPECT_FALSE(Bundled::present());
    placeRuntime("#!/bin/sh\n");
    EXPECT_TRUE(Bundled::present());

    fs::remove(Bundled::cliScript());
    EXPECT_FALSE(Bundled::present());
    // Any kind of entry will do for the tool.
    fs::create_directories(Bundled::cliScript());
    EXPECT_TRUE(Bundled::present());

    fs::permissions(Bundled::node(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(Bundled::present());
    fs::remove(Bundled::node());
    fs::create_directories(Bundled::node());
    EXPECT_FALSE(Bundled::present());
}

TEST(Bundled, TheToolRunsWithACleanedEnvironmentAndTheSharedHome) {
    const auto& home = Testing::useTestHome();
    placeRuntime("#!/bin/sh\necho \"$@\"\nenv\n");
    ::setenv("HOME", "/somewhere/else", 1);
    ::setenv("NODE_OPTIONS", "--inspect", 1);
    ::setenv("NODE_PATH", "/elsewhere", 1);
    ::setenv("KH_PASSED_ON", "yes", 1);

    const Run::Result result = Bundled::cli({"doctor", "--json"}, 10);
    EXPECT_EQ(result.status, 0) << result.error;
    EXPECT_THAT(result.output,
                testing::StartsWith(Bundled::cliScript().string() + " doctor --json\n"));
    EXPECT_THAT(result.output, HasSubstr("\nHOME=" + home.string() + "\n"));
    EXPECT_THAT(result.output, HasSubstr("\nKH_PASSED_ON=yes\n"));
    EXPECT_THAT(result.output, Not(HasSubstr("NODE_OPTIONS=")));
    EXPECT_THAT(result.output, Not(HasSubstr("NODE_PATH=")));

    fs::remove(Bundled::node());
    const Run::Result missing = Bundled::cli({"init"}, 10);
    EXPECT_EQ(missing.status, -1);
    EXPECT_THAT(missing.error, HasSubstr("No such file or directory"));
}
