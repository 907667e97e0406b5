// The tool's container verbs and the server's environments list with planned check-ins.
#include "RawClient.h"

#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sample-bridge/CheckIns.h>
#include <sample-bridge/Server.h>
#include <sample-bridge/Tool.h>
#include <sstream>
#include <sys/stat.h>

using nlohmann::json;
using testing::HasSubstr;

namespace {

namespace fs = std::filesystem;

constexpr double start = 1'700'000'000'000;

struct ToolRun {
    int status;
    std::string output;
    std::string errors;
};

class SampleBridgeContainers : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        Foundation::SystemTime::setSource([this] { return now / 1000; });
        server.state().setClock([this] { return now / 1000; });
    }
    void TearDown() override { Foundation::SystemTime::setSource({}); }

    static ToolRun run(const std::vector<std::string>& arguments) {
        std::ostringstream output, errors;
        const int status = SampleBridge::runTool(arguments, output, errors);
        return {status, output.str(), errors.str()};
    }
    // The one line the tool printed, read as JSON.
    static json reply(const ToolRun& run) {
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
        return json::parse(run.output);
    }
    json rows() {
        return RawClient::get(server.socketPath(), "/environments").json()["environments"];
    }

    Testing::TemporaryFolder home;
    Testing::TemporaryFolder sockets;
    SampleBridge::Server server{sockets.path() / "bridge.sock", SampleBridge::State()};
    std::atomic<double> now = start;
};

TEST_F(SampleBridgeContainers, AddingAContainerGivesItsSetupOnOneLineAndAnOwnerOnlyFile) {
    const json setup = reply(run({"env", "add", "ci-box", "CI box", "--container", "--json"}));
    const fs::path file = home.path() / ".kestrelhaven" / "containers" / "ci-box.env";
    EXPECT_EQ(setup["name"], "ci-box");
    EXPECT_EQ(setup["label"], "CI box");
    EXPECT_EQ(setup["env_file"], file.string());
    for (const char* key : {"url", "docker_run", "compose", "devcontainer", "in_container",
                            "entrypoint", "network_note", "limits_note"})
        EXPECT_TRUE(setup[key].is_string()) << key;
    EXPECT_THAT(setup["docker_run"].get<std::string>(), HasSubstr("--env-file \"" + file.string()));

    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const std::string settings = Testing::readText(file);
    EXPECT_THAT(settings, HasSubstr("KESTRELHAVEN_ENV=ci-box\n"));
    // The token is the container's own, kept by the bridge and never printed.
    const json store = json::parse(
        Testing::readText(home.path() / ".kestrelhaven" / "environments.json"))["environments"][0];
    const std::string token = store["token"];
    EXPECT_EQ(token.size(), 40u);
    EXPECT_THAT(settings, HasSubstr("KESTRELHAVEN_TOKEN=" + token + "\n"));
    EXPECT_THAT(setup.dump(), testing::Not(HasSubstr(token)));

    // Describing it again gives the same setup and rewrites a lost file.
    fs::remove(file);
    EXPECT_EQ(reply(run({"env", "snippet", "ci-box", "--json"})), setup);
    EXPECT_EQ(Testing::readText(file), settings);

    // It is a container: no folder of its own for hooks or MCP servers.
    EXPECT_EQ(run({"install-hooks", "--env", "ci-box"}).errors,
              "sample bridge: CI box is a container: its setup installs its hooks\n");
    EXPECT_EQ(run({"install-mcp", "--json", "--env", "ci-box"}).status, 1);
}

TEST_F(SampleBridgeContainers, FailuresAreOneJsonLineWithASentence) {
    const auto failure = [](const ToolRun& run) {
        EXPECT_EQ(run.status, 1);
        const json said = reply(run);
        EXPECT_EQ(said["ok"], false);
        return said["msg"].get<std::string>();
    };
    EXPECT_EQ(failure(run({"env", "snippet", "ghost", "--json"})),
              "No environment is named “ghost”.");
    EXPECT_EQ(failure(run({"env", "add", "-rf", "X", "--container", "--json"})),
              "“-rf” can't name an environment.");
    EXPECT_EQ(failure(run({"env", "add", "x", "--json", "--container", "--json"})),
              "A container needs a label.");
    EXPECT_EQ(run({"env", "add", "box", "Box", "--container", "--json"}).status, 0);
    EXPECT_EQ(failure(run({"env", "add", "box", "Box", "--container", "--json"})),
              "Couldn't add Box: an environment named “box” already exists.");

    const fs::path folder = home.path() / ".claude-work";
    EXPECT_EQ(run({"env", "add", "work", "Work", "--config-dir", folder.string()}).status, 0);
    EXPECT_EQ(failure(run({"env", "snippet", "work", "--json"})),
              "Work is Claude Code on this Mac, not a container.");

    const auto usage = run({"env", "add", "box", "Box", "--container"});
    EXPECT_EQ(usage.status, 1);
    EXPECT_EQ(usage.errors, "usage: env add <name> <label> --container --json\n");
    EXPECT_EQ(run({"env", "snippet", "box"}).errors, "usage: env snippet <name> --json\n");
}

TEST_F(SampleBridgeContainers, TheEnvironmentsListReportsPlannedMomentsOnceTheyCome) {
    const fs::path folder = home.path() / ".claude-work";
    run({"env", "add", "work", "Work", "--config-dir", folder.string()});
    std::string error;
    ASSERT_TRUE(
        SampleBridge::CheckIns::plan("box", {.refusedAfter = 500, .checkedAfter = 2000}, error))
        << error;
    run({"env", "add", "box", "Box", "--container", "--json"});
    EXPECT_EQ(rows(), json::parse(R"J([
        {"name":"work","label":"Work","token":false,"sessions":0,"config_dir":")J" +
                                  folder.string() + R"J("},
        {"name":"box","label":"Box","token":true,"sessions":0}])J"));

    now = start + 500;
    EXPECT_EQ(rows()[1]["refused"], json({{"at", start + 500}}));
    EXPECT_FALSE(rows()[1].contains("checked_at"));
    now = start + 2000;
    EXPECT_EQ(rows()[1]["checked_at"], start + 2000);

    // Describing it again counts from then.
    now = start + 10'000;
    run({"env", "snippet", "box", "--json"});
    EXPECT_FALSE(rows()[1].contains("checked_at"));
    now = start + 12'000;
    EXPECT_EQ(rows()[1]["checked_at"], start + 12'000);
    EXPECT_EQ(rows()[1]["refused"]["at"], start + 10'500);

    // The doctor offers the container's setup, and says when it has checked in.
    const auto doctor = run({"doctor", "--json"}).output;
    EXPECT_THAT(doctor, HasSubstr(R"("id":"env:box","status":"ok","title":"Box","detail":)"
                                  R"("Its container checked in.","fix":{"label":"Show Setup",)"
                                  R"("action":"add_container"})"));
}

TEST_F(SampleBridgeContainers, APlanForEveryContainerHoldsForThoseWithoutOneOfTheirOwn) {
    std::string error;
    ASSERT_TRUE(SampleBridge::CheckIns::plan(SampleBridge::CheckIns::everyContainer,
                                             {.refusedAfter = std::nullopt, .checkedAfter = 3000},
                                             error))
        << error;
    ASSERT_TRUE(SampleBridge::CheckIns::plan(
        "kept", {.refusedAfter = 100, .checkedAfter = std::nullopt}, error))
        << error;
    run({"env", "add", "box", "Box", "--container", "--json"});
    run({"env", "add", "kept", "Kept", "--container", "--json"});
    now = start + 2999;
    EXPECT_FALSE(rows()[0].contains("checked_at"));
    now = start + 3000;
    EXPECT_EQ(rows()[0]["checked_at"], start + 3000);
    EXPECT_FALSE(rows()[1].contains("checked_at"));
    EXPECT_EQ(rows()[1]["refused"]["at"], start + 100);
}

} // namespace
