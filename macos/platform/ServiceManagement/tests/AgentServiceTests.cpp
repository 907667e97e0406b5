#include <Foundation/Bundle.h>
#include <Foundation/PropertyList.h>
#include <Launchd/Domain.h>
#include <ServiceManagement/AgentService.h>
#include <ServiceManagement/TestDouble.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using Foundation::PropertyList;
using ServiceManagement::AgentService;
using ServiceManagement::Status;
using ServiceManagement::TestDouble;

namespace {

constexpr const char* plistName = "com.example.agent.plist";
constexpr const char* label = "com.example.agent";

// A main bundle carrying an agent that sleeps, with $HOME the test home.
class AgentServices : public testing::Test {
protected:
    void SetUp() override {
        const auto& home = Testing::useTestHome();
        ::setenv("HOME", home.c_str(), 1);
        const auto plist =
            Foundation::Bundle::main().path() / "Contents/Library/LaunchAgents" / plistName;
        Testing::writeText(
            plist,
            Foundation::serializePropertyList(PropertyList::Dictionary{
                {"Label", label}, {"ProgramArguments", PropertyList::Array{"/bin/sleep", "600"}}}));
    }
    void TearDown() override {
        for (const std::string& loaded : Launchd::Domain::current().labels())
            Launchd::Domain::current().bootout(loaded);
    }

    static std::optional<Launchd::Job> job() { return Launchd::Domain::current().job(label); }

    static AgentService agent() { return AgentService::agent(plistName); }
};

} // namespace

TEST_F(AgentServices, RegisteringStartsTheAgentAndUnregisteringStopsIt) {
    EXPECT_EQ(agent().status(), Status::notFound);
    ASSERT_EQ(agent().registerService(), std::nullopt);
    EXPECT_EQ(agent().status(), Status::enabled);
    const auto loaded = job();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->isRunning());

    // Registering again leaves the running agent be.
    EXPECT_EQ(agent().registerService(), std::nullopt);
    EXPECT_EQ(job()->instance, loaded->instance);

    EXPECT_EQ(agent().unregister(), std::nullopt);
    EXPECT_EQ(agent().status(), Status::notFound);
    EXPECT_FALSE(job());
    EXPECT_FALSE(loaded->isRunning());
    EXPECT_TRUE(agent().unregister());
}

TEST_F(AgentServices, AnAgentBootedOutStaysEnabledUntilRegisteredAgain) {
    ASSERT_EQ(agent().registerService(), std::nullopt);
    ASSERT_EQ(Launchd::Domain::current().bootout(label), std::nullopt);
    EXPECT_EQ(agent().status(), Status::enabled);

    EXPECT_EQ(agent().registerService(), std::nullopt);
    ASSERT_TRUE(job());
    EXPECT_TRUE(job()->isRunning());
}

TEST_F(AgentServices, AnAgentTheBundleDoesNotCarryIsNotFound) {
    for (const std::string name : {"com.example.absent.plist", "", "../escape.plist"}) {
        const auto absent = AgentService::agent(name);
        EXPECT_EQ(absent.status(), Status::notFound);
        const auto error = absent.registerService();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain, "SMAppServiceErrorDomain");
        EXPECT_TRUE(absent.unregister());
    }
    EXPECT_TRUE(Launchd::Domain::current().labels().empty());
}

TEST_F(AgentServices, TheDoubleHoldsTheAgentForApprovalOrRefusesIt) {
    const Foundation::Error refusal{"SMAppServiceErrorDomain", 1, "Operation not permitted"};
    {
        TestDouble refusing({.registerFailure = refusal});
        EXPECT_EQ(agent().registerService(), refusal);
        EXPECT_EQ(agent().status(), Status::notFound);
    }
    {
        TestDouble waiting({.requiresApproval = true});
        EXPECT_EQ(agent().registerService(), std::nullopt);
        EXPECT_EQ(agent().status(), Status::requiresApproval);
        TestDouble waitingAndRefusing({.requiresApproval = true, .registerFailure = refusal});
        EXPECT_EQ(agent().registerService(), refusal);
        EXPECT_EQ(agent().status(), Status::requiresApproval);
    }
    EXPECT_FALSE(job());

    // Once the double is gone the user has approved.
    EXPECT_EQ(agent().registerService(), std::nullopt);
    EXPECT_EQ(agent().status(), Status::enabled);
    EXPECT_TRUE(job());
}

TEST_F(AgentServices, OpeningLoginItemsIsRecorded) {
    EXPECT_EQ(ServiceManagement::loginItemsOpenings(), 0);
    ServiceManagement::openSystemSettingsLoginItems();
    ServiceManagement::openSystemSettingsLoginItems();
    EXPECT_EQ(ServiceManagement::loginItemsOpenings(), 2);
}
