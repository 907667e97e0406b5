#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sample-bridge/Daemon.h>
#include <sstream>
#include <sys/stat.h>

namespace {

struct ToolRun {
    int status;
    std::string output;
    std::string errors;
};

ToolRun runTool(const std::vector<std::string>& arguments) {
    std::ostringstream output, errors;
    const int status = SampleBridge::runNode(arguments, output, errors);
    return {status, output.str(), errors.str()};
}

} // namespace

TEST(SampleBridgeTool, InitPreparesTheDataFolderUnderHome) {
    Testing::TemporaryFolder home;
    ::setenv("HOME", home.path().c_str(), 1);
    const auto folder = home.path() / ".kestrelhaven";

    auto run = runTool({"/bundle/dist/cli.js", "init"});
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output, "Data folder ready at " + folder.string() + "\n");
    struct stat status {};
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    // Again, over a folder someone opened up: set back, nothing lost.
    ::chmod(folder.c_str(), 0755);
    Testing::writeText(folder / "config.json", "{}");
    EXPECT_EQ(runTool({"--disable-sigusr1", "/bundle/dist/cli.js", "init"}).status, 0);
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(Testing::readText(folder / "config.json"), "{}");
}

TEST(SampleBridgeTool, InitFailsWhenTheDataFolderCannotBeMade) {
    Testing::TemporaryFolder home;
    ::setenv("HOME", home.path().c_str(), 1);
    Testing::writeText(home.path() / ".kestrelhaven", "a file in the folder's place");

    const auto run = runTool({"/bundle/dist/cli.js", "init"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "sample bridge: couldn't prepare the data folder " +
                              (home.path() / ".kestrelhaven").string() + ": Not a directory\n");
    EXPECT_EQ(runTool({"/bundle/dist/cli.js", "init", "extra"}).status, 1);
}
