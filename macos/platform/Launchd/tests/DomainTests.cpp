#include "Processes.h"

#include <Foundation/PropertyList.h>
#include <Launchd/Domain.h>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using Foundation::PropertyList;
using Launchd::Domain;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

class LaunchdDomain : public testing::Test {
protected:
    void TearDown() override {
        for (const std::string& label : domain.labels())
            domain.bootout(label);
    }

    std::filesystem::path agent(const std::string& name, PropertyList::Dictionary entries) {
        const auto path = home.path() / "Library" / "LaunchAgents" / (name + ".plist");
        Testing::writeText(path, Foundation::serializePropertyList(std::move(entries)));
        return path;
    }

    std::filesystem::path sleeper(const std::string& label) {
        return agent(label, {{"Label", label},
                             {"ProgramArguments", PropertyList::Array{"/bin/sleep", "600"}}});
    }

    Testing::TemporaryFolder home;
    Domain domain{home.path()};
};

} // namespace

TEST(LaunchdTargets, NameTheRealUser) {
    const std::string user = std::to_string(::getuid());
    EXPECT_EQ(Domain::name(), "gui/" + user);
    EXPECT_EQ(Domain::target("com.example.a"), "gui/" + user + "/com.example.a");
}

TEST_F(LaunchdDomain, ALoadedJobRunsUntilBootedOut) {
    const auto plist = sleeper("com.example.sleeper");
    ASSERT_EQ(domain.bootstrap(plist), std::nullopt);
    EXPECT_THAT(domain.labels(), ElementsAre("com.example.sleeper"));

    const auto job = Domain(home.path()).job("com.example.sleeper");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->plist, plist);
    EXPECT_THAT(job->arguments, ElementsAre("/bin/sleep", "600"));
    ASSERT_TRUE(job->isRunning());
    EXPECT_THAT(Processes::entries(job->instance->pid, "environ"),
                Contains("HOME=" + home.path().string()));

    const auto again = domain.bootstrap(plist);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->code, EEXIST);
    EXPECT_EQ(domain.job("com.example.sleeper")->instance, job->instance);

    EXPECT_EQ(domain.bootout("com.example.sleeper"), std::nullopt);
    EXPECT_FALSE(job->isRunning());
    EXPECT_FALSE(domain.job("com.example.sleeper"));
    EXPECT_TRUE(domain.labels().empty());
    const auto missing = domain.bootout("com.example.sleeper");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->code, ESRCH);
}

TEST_F(LaunchdDomain, KickstartStartsAStoppedJobAndRestartsARunningOneOnlyWithKill) {
    ASSERT_EQ(domain.bootstrap(sleeper("com.example.sleeper")), std::nullopt);
    const auto first = domain.job("com.example.sleeper")->instance;

    EXPECT_EQ(domain.kickstart("com.example.sleeper", false), std::nullopt);
    EXPECT_EQ(domain.job("com.example.sleeper")->instance, first);

    EXPECT_EQ(domain.kickstart("com.example.sleeper", true), std::nullopt);
    const auto second = domain.job("com.example.sleeper");
    EXPECT_NE(second->instance, first);
    EXPECT_TRUE(second->isRunning());
    EXPECT_FALSE(Launchd::isRunning(*first));

    EXPECT_EQ(domain.kickstart("com.example.other", true)->code, ESRCH);
}

TEST_F(LaunchdDomain, ABundleProgramIsFoundInItsBundleAndMayEndAtOnce) {
    const auto bundle = home.path() / "Some.app";
    std::filesystem::create_directories(bundle / "Contents" / "MacOS");
    std::filesystem::create_symlink("/bin/true", bundle / "Contents" / "MacOS" / "tool");
    const auto plist = agent("com.example.once", {{"Label", "com.example.once"},
                                                  {"BundleProgram", "Contents/MacOS/tool"}});

    ASSERT_EQ(domain.bootstrap(plist, bundle), std::nullopt);
    auto job = domain.job("com.example.once");
    ASSERT_TRUE(job);
    EXPECT_THAT(job->arguments, ElementsAre((bundle / "Contents/MacOS/tool").string()));
    // Loaded, whether its program still runs or not; once it has ended, kickstart runs it again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (domain.job("com.example.once")->isRunning() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(domain.kickstart("com.example.once", false), std::nullopt);
    EXPECT_NE(domain.job("com.example.once")->instance, job->instance);
}

TEST_F(LaunchdDomain, AnAgentThatCannotBeLoadedLeavesNothingBehind) {
    const std::vector<std::filesystem::path> broken{
        home.path() / "absent.plist",
        agent("nolabel", {{"Program", "/bin/true"}}),
        agent("slash", {{"Label", "a/b"}, {"Program", "/bin/true"}}),
        agent("hidden", {{"Label", ".lock"}, {"Program", "/bin/true"}}),
        agent("noprogram", {{"Label", "com.example.none"}}),
        // A bundle program without a bundle to find it in.
        agent("nobundle", {{"Label", "com.example.nb"}, {"BundleProgram", "Contents/MacOS/x"}}),
    };
    for (const auto& plist : broken) {
        const auto error = domain.bootstrap(plist);
        ASSERT_TRUE(error) << plist;
        EXPECT_EQ(error->code, EINVAL) << plist;
    }
    const auto missing = domain.bootstrap(
        agent("missing", {{"Label", "com.example.missing"}, {"Program", "/no/such/program"}}));
    ASSERT_TRUE(missing);
    EXPECT_THAT(missing->description, HasSubstr("No such file or directory"));
    EXPECT_TRUE(domain.labels().empty());
}
