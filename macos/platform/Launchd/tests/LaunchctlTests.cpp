#include <Foundation/PropertyList.h>
#include <Launchd/Domain.h>
#include <Launchd/Launchctl.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using Launchd::Domain;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

struct Answer {
    int status;
    std::string output;
    std::string errors;
};

class Launchctl : public testing::Test {
protected:
    void SetUp() override { ::setenv("HOME", home.path().c_str(), 1); }
    void TearDown() override {
        for (const std::string& label : Domain::current().labels())
            Domain::current().bootout(label);
    }

    static Answer launchctl(const std::vector<std::string>& arguments) {
        std::ostringstream output, errors;
        const int status = Launchd::launchctl(arguments, output, errors);
        return {status, output.str(), errors.str()};
    }

    std::string sleeper() const {
        const auto path = home.path() / "Library" / "LaunchAgents" / "com.example.dev.plist";
        Testing::writeText(
            path, Foundation::serializePropertyList(Foundation::PropertyList::Dictionary{
                      {"Label", "com.example.dev"},
                      {"ProgramArguments", Foundation::PropertyList::Array{"/bin/sleep", "600"}}}));
        return path.string();
    }

    Testing::TemporaryFolder home;
    const std::string target = Domain::target("com.example.dev");
};

} // namespace

TEST_F(Launchctl, LoadsPrintsRestartsAndBootsOutAnAgentOfTheUsersDomain) {
    EXPECT_EQ(launchctl({"bootstrap", Domain::name(), sleeper()}).status, 0);
    EXPECT_EQ(Domain(home.path()).labels(), std::vector<std::string>{"com.example.dev"});

    auto answer = launchctl({"print", target});
    EXPECT_EQ(answer.status, 0);
    const pid_t first = Domain::current().job("com.example.dev")->instance->pid;
    EXPECT_THAT(answer.output, StartsWith(target + " = {\n"));
    EXPECT_THAT(answer.output, HasSubstr("\tstate = running\n\tpid = " + std::to_string(first)));

    EXPECT_EQ(launchctl({"kickstart", "-k", target}).status, 0);
    EXPECT_NE(Domain::current().job("com.example.dev")->instance->pid, first);

    EXPECT_EQ(launchctl({"bootout", target}).status, 0);
    answer = launchctl({"print", target});
    EXPECT_EQ(answer.status, 113);
    EXPECT_EQ(answer.output, "");
    EXPECT_EQ(answer.errors, "launchctl: no service com.example.dev in " + Domain::name() + "\n");
    answer = launchctl({"bootout", target});
    EXPECT_NE(answer.status, 0);
    EXPECT_EQ(answer.errors, "launchctl: No service com.example.dev in " + Domain::name() + "\n");
}

TEST_F(Launchctl, AWrongUseGetsTheUsageLine) {
    const std::string otherUser = "gui/" + std::to_string(::getuid() + 1) + "/com.example.dev";
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"print"},
             {"print", target, "extra"},
             {"print", otherUser},
             {"print", Domain::name() + "/"},
             {"kickstart", "-x", target},
             {"start", target},
             {"bootstrap", Domain::name()},
             {"bootstrap", "gui/x", sleeper()},
         }) {
        const auto answer = launchctl(arguments);
        EXPECT_EQ(answer.status, 64);
        EXPECT_THAT(answer.errors, StartsWith("usage: launchctl "))
            << testing::PrintToString(arguments);
    }
    EXPECT_TRUE(Domain::current().labels().empty());
}
