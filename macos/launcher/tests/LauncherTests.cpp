#include "LaunchedProgram.h"

#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <launcher/Launcher.h>
#include <sys/stat.h>

using LaunchedProgram::Stream;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with(prefix))
            lines.push_back(line.substr(prefix.size()));
        at = end + 1;
    }
    return lines;
}

// A bundle in a temporary folder holding a copy of the launcher, with the probe as its runtime,
// and a home folder beside it.
class BridgeLauncher : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(contents / "MacOS");
        fs::create_directories(contents / "Helpers");
        fs::copy_file(KH_LAUNCHER, launcher);
        fs::copy_file(KH_LAUNCHER_PROBE, node);
        Testing::writeText(daemon, "// daemon\n");
        fs::create_directories(home);
    }

    LaunchedProgram::Ended launch(std::vector<std::string> environment,
                                  Stream output = Stream::file, Stream errors = Stream::file,
                                  fs::path program = {}) {
        return LaunchedProgram::run({program.empty() ? launcher : program,
                                     {"--ignored", "argument"},
                                     std::move(environment),
                                     output,
                                     errors},
                                    root.path());
    }

    // For runs that preload the password shim; a sanitized launcher would refuse it otherwise.
    static std::vector<std::string> withShim(std::vector<std::string> environment) {
        environment.push_back(std::string("LD_PRELOAD=") + KH_PASSWORD_SHIM);
        environment.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
        return environment;
    }

    std::string homeEntry() const { return "HOME=" + home.string(); }
    fs::path data() const { return home / ".kestrelhaven"; }
    fs::path logs() const { return data() / "logs"; }
    std::string outLog() const { return Testing::readText(logs() / "launchd.out.log"); }
    std::string errLog() const { return Testing::readText(logs() / "launchd.err.log"); }

    Testing::TemporaryFolder root;
    fs::path contents = root.path() / "Kestrelhaven.app" / "Contents";
    fs::path launcher = contents / "MacOS" / "KestrelhavenBridge";
    fs::path node = contents / "Helpers" / "node";
    fs::path daemon = contents / "Resources" / "bridge" / "dist" / "daemon.js";
    fs::path home = root.path() / "home";
};

} // namespace

TEST(LauncherPaths, CuttingTakesTheTextBeforeTheLastSlash) {
    EXPECT_EQ(Launcher::cutLastComponent("/A/K.app/Contents/MacOS/KestrelhavenBridge"),
              "/A/K.app/Contents/MacOS");
    EXPECT_EQ(Launcher::cutLastComponent("/KestrelhavenBridge"), "");
    EXPECT_EQ(Launcher::cutLastComponent("KestrelhavenBridge"), ".");
}

TEST_F(BridgeLauncher, UnderLaunchdItBecomesTheRuntimeWithItsOutputInTheLogs) {
    const auto ended = launch({homeEntry(), "NODE_OPTIONS=--inspect", "NODE_PATH=/elsewhere",
                               "KEEP=this value", "PATH=/usr/bin:/bin"});
    EXPECT_EQ(ended.status, 0) << ended.errors;
    EXPECT_EQ(ended.output, "");
    EXPECT_EQ(ended.errors, "");

    const std::string output = outLog();
    EXPECT_THAT(linesStartingWith(output, "argument: "),
                ElementsAre(node.string(), "--disable-sigusr1", daemon.string()));
    EXPECT_THAT(linesStartingWith(output, "environment: "),
                ElementsAre(homeEntry(), "KEEP=this value", "PATH=/usr/bin:/bin"));
    EXPECT_THAT(output, HasSubstr("terminal: 0\n"));
    EXPECT_EQ(errLog(), "probe error line\n");

    EXPECT_EQ(modeOf(data()), 0700u);
    EXPECT_EQ(modeOf(logs()), 0700u);
    EXPECT_EQ(modeOf(logs() / "launchd.out.log"), 0600u);
    EXPECT_EQ(modeOf(logs() / "launchd.err.log"), 0600u);
}

TEST_F(BridgeLauncher, ExistingFoldersAreResetAndExistingLogsAppendedTo) {
    fs::create_directories(logs());
    ::chmod(data().c_str(), 0755);
    ::chmod(logs().c_str(), 0750);
    Testing::writeText(logs() / "launchd.err.log", "earlier run\n");
    ::chmod((logs() / "launchd.err.log").c_str(), 0644);

    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(launch({homeEntry()}).status, 0);

    EXPECT_EQ(modeOf(data()), 0700u);
    EXPECT_EQ(modeOf(logs()), 0700u);
    EXPECT_EQ(errLog(), "earlier run\nprobe error line\nprobe error line\n");
    EXPECT_EQ(modeOf(logs() / "launchd.err.log"), 0644u);
    EXPECT_EQ(linesStartingWith(outLog(), "terminal: ").size(), 2u);
}

TEST_F(BridgeLauncher, OnATerminalNothingIsRedirectedAndHomeIsNotConsulted) {
    // Neither HOME nor the password database could give a home: the run must not need one.
    const auto ended = launch(withShim({"NODE_PATH=/elsewhere"}), Stream::terminal);
    EXPECT_EQ(ended.status, 0) << ended.errors;
    EXPECT_THAT(ended.output, HasSubstr("terminal: 1"));
    EXPECT_THAT(linesStartingWith(ended.output, "argument: "),
                ElementsAre(node.string(), "--disable-sigusr1", daemon.string()));
    EXPECT_THAT(ended.output, Not(HasSubstr("NODE_PATH")));

    EXPECT_EQ(launch({homeEntry()}, Stream::terminal).status, 0);
    EXPECT_FALSE(fs::exists(data()));
}

TEST_F(BridgeLauncher, WithoutHomeTheHomeComesFromThePasswordDatabaseOrTheRunEnds) {
    const std::string passwordHome = "KH_TEST_PASSWORD_HOME=" + home.string();
    for (const auto& environment : {withShim({passwordHome}), withShim({passwordHome, "HOME="})}) {
        EXPECT_EQ(launch(environment).status, 0);
        EXPECT_EQ(linesStartingWith(outLog(), "argument: ").size(), 3u);
        fs::remove_all(data());
    }
    for (const auto& environment : {withShim({}), withShim({"HOME="})}) {
        const auto ended = launch(environment);
        EXPECT_EQ(ended.status, 78);
        EXPECT_EQ(ended.errors, "KestrelhavenBridge: no home directory\n");
        EXPECT_EQ(ended.output, "");
    }
    EXPECT_FALSE(fs::exists(data()));
}

TEST_F(BridgeLauncher, EachFailureEndsWithStatus78AndOneLine) {
    fs::remove(daemon);
    auto ended = launch({homeEntry()});
    EXPECT_EQ(ended.status, 78);
    EXPECT_EQ(ended.errors, "KestrelhavenBridge: missing " + daemon.string() + "\n");

    // An absent runtime and one that may not run read the same.
    Testing::writeText(daemon, "// daemon\n");
    fs::permissions(node, fs::perms::owner_read | fs::perms::owner_write);
    ended = launch({homeEntry()});
    EXPECT_EQ(ended.status, 78);
    EXPECT_EQ(ended.errors, "KestrelhavenBridge: missing " + node.string() + "\n");
    fs::remove(node);
    EXPECT_EQ(launch({homeEntry()}).errors, ended.errors);
    EXPECT_FALSE(fs::exists(data()));

    // A failed exec happens after the redirection: its line lands in the error log.
    Testing::writeText(node, "not a program\n");
    fs::permissions(node, fs::perms::owner_all);
    ended = launch({homeEntry()});
    EXPECT_EQ(ended.status, 78);
    EXPECT_EQ(ended.errors, "");
    EXPECT_EQ(errLog(), "KestrelhavenBridge: exec " + node.string() + ": Exec format error\n");
}

TEST_F(BridgeLauncher, APathThatDoesNotFitItsBufferIsNotFound) {
    fs::path deep = root.path();
    for (int level = 0; level < 5; ++level)
        deep /= std::string(220, 'd');
    const fs::path far = deep / "Kestrelhaven.app" / "Contents" / "MacOS" / "KestrelhavenBridge";
    fs::create_directories(far.parent_path());
    fs::copy_file(launcher, far);

    const auto ended = launch({homeEntry()}, Stream::file, Stream::file, far);
    EXPECT_EQ(ended.status, 78);
    EXPECT_EQ(ended.errors, "KestrelhavenBridge: can't find my own path\n");
}

TEST_F(BridgeLauncher, LogsThatCannotBeOpenedLeaveTheDescriptorsAsTheyWere) {
    fs::create_directories(data());
    Testing::writeText(logs(), "a file where the logs folder belongs");

    const auto ended = launch({homeEntry()});
    EXPECT_EQ(ended.status, 0);
    EXPECT_THAT(ended.output, HasSubstr("terminal: 0"));
    EXPECT_EQ(ended.errors, "probe error line\n");
}

TEST_F(BridgeLauncher, AClosedStandardDescriptorBecomesItsLog) {
    auto ended = launch({homeEntry()}, Stream::closed, Stream::file);
    EXPECT_EQ(ended.status, 0);
    EXPECT_THAT(outLog(), HasSubstr("terminal: 0"));
    EXPECT_EQ(errLog(), "probe error line\n");

    fs::remove_all(data());
    ended = launch({homeEntry()}, Stream::closed, Stream::closed);
    EXPECT_EQ(ended.status, 0);
    EXPECT_THAT(outLog(), HasSubstr("terminal: 0"));
    EXPECT_EQ(errLog(), "probe error line\n");
}

TEST_F(BridgeLauncher, ALinkFromOutsideTheBundleFindsTheBundleOfTheRealFile) {
    const fs::path link = root.path() / "elsewhere" / "bridge";
    fs::create_directories(link.parent_path());
    fs::create_symlink(launcher, link);

    const auto ended = launch({homeEntry()}, Stream::file, Stream::file, link);
    EXPECT_EQ(ended.status, 0) << ended.errors;
    EXPECT_THAT(linesStartingWith(outLog(), "argument: "),
                ElementsAre(node.string(), "--disable-sigusr1", daemon.string()));
}
