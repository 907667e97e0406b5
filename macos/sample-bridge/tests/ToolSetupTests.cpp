// The tool's verbs that the Setup window runs: doctor, hooks, MCP servers and environments.
#include <DossierShim.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sample-bridge/Server.h>
#include <sample-bridge/Tool.h>
#include <sstream>
#include <sys/stat.h>

using nlohmann::json;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string output;
    std::string errors;

    // The last output line, read as JSON.
    json reply() const {
        const std::size_t start = output.rfind('\n', output.size() - 2);
        return json::parse(output.substr(start == std::string::npos ? 0 : start + 1));
    }
};

class SampleBridgeSetupVerbs : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("PATH", "/nonexistent", 1);
    }

    static ToolRun run(const std::vector<std::string>& arguments) {
        std::ostringstream output, errors;
        const int status = SampleBridge::runTool(arguments, output, errors);
        return {status, output.str(), errors.str()};
    }

    // The checks of a doctor run, as "id status" texts.
    static std::vector<std::string> checks(const json& report) {
        std::vector<std::string> found;
        for (const auto& check : report["checks"])
            found.push_back(check["id"].get<std::string>() + " " +
                            check["status"].get<std::string>());
        return found;
    }

    static json find(const json& report, const std::string& id) {
        for (const auto& check : report["checks"])
            if (check["id"] == id)
                return check;
        return nullptr;
    }

    fs::path settings() const { return home.path() / ".claude" / "settings.json"; }

    Testing::TemporaryFolder home;
};

} // namespace

TEST_F(SampleBridgeSetupVerbs, DoctorReportsWhatIsMissingWithItsFixes) {
    const auto doctor = run({"doctor", "--json"});
    EXPECT_EQ(doctor.status, 1);
    EXPECT_TRUE(doctor.output.starts_with("Checking Kestrelhaven…\n"));
    const json report = doctor.reply();
    EXPECT_EQ(report["ok"], false);
    EXPECT_THAT(checks(report),
                ElementsAre("bridge fail", "claude todo", "hooks todo", "mcp todo", "phones info"));
    EXPECT_EQ(find(report, "bridge")["fix"], json({{"label", "Turn On"}, {"action", "turn_on"}}));
    EXPECT_EQ(find(report, "claude")["fix"]["command"],
              "curl -fsSL https://claude.ai/install.sh | bash");
    EXPECT_EQ(find(report, "hooks")["fix"]["action"], "add_hooks");

    EXPECT_EQ(run({"doctor"}).status, 1);
    EXPECT_EQ(run({"doctor", "--json", "extra"}).errors, "usage: doctor --json\n");
}

TEST_F(SampleBridgeSetupVerbs, DoctorAsksARunningBridgeAboutItselfAndItsPhones) {
    SampleBridge::State state;
    state.setDevices(json::array({{{"device_id", "iPhone"}, {"connected", true}}}));
    SampleBridge::Server server(home.path() / ".kestrelhaven" / "bridge.sock", std::move(state));
    Testing::writeText(home.path() / ".local" / "bin" / "claude", "#!/bin/sh\n");
    fs::permissions(home.path() / ".local" / "bin" / "claude", fs::perms::owner_all);
    Testing::writeText(home.path() / ".kestrelhaven" / "config.json", "{ not json");
    ASSERT_EQ(run({"install-hooks"}).status, 0);
    ASSERT_EQ(run({"install-mcp"}).status, 0);

    const json report = run({"doctor", "--json"}).reply();
    EXPECT_THAT(checks(report),
                ElementsAre("bridge ok", "config fail", "claude ok", "hooks ok", "hook_test ok",
                            "mcp ok", "dossier_cmd ok", "phones ok"));
    EXPECT_EQ(find(report, "bridge")["detail"],
              "Answers on ~/.kestrelhaven/bridge.sock (version 1.0.0).");
    EXPECT_EQ(find(report, "claude")["detail"], "At ~/.local/bin/claude.");
    EXPECT_EQ(find(report, "phones")["detail"], "iPhone connected.");
    EXPECT_EQ(report["ok"], false);

    fs::remove(home.path() / ".kestrelhaven" / "config.json");
    const auto healthy = run({"doctor", "--json"});
    EXPECT_EQ(healthy.status, 0);
    EXPECT_EQ(healthy.reply()["ok"], true);
}

TEST_F(SampleBridgeSetupVerbs, InstallHooksKeepsOtherHooksReplacesOursAndKeepsABackup) {
    const std::string original = R"({"model":"opus","hooks":{"Stop":[{"matcher":"","hooks":[)"
                                 R"({"type":"command","command":"say done"},)"
                                 R"({"type":"command","command":"old # kestrelhaven-hook"}]}]}})";
    Testing::writeText(settings(), original);
    ::chmod(settings().c_str(), 0644);

    const auto first = run({"install-hooks"});
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.output, "Added Kestrelhaven's hooks for 8 events to ~/.claude/settings.json "
                            "(a backup is beside it).\n");
    EXPECT_EQ(Testing::readText(settings().string() + ".kestrelhaven-backup"), original);
    run({"install-hooks"});

    const json written = json::parse(Testing::readText(settings()));
    EXPECT_EQ(written["model"], "opus");
    EXPECT_EQ(written["hooks"].size(), 8u);
    const auto& stop = written["hooks"]["Stop"];
    ASSERT_EQ(stop.size(), 2u);
    EXPECT_EQ(stop[0]["hooks"], json::parse(R"([{"type":"command","command":"say done"}])"));
    EXPECT_THAT(stop[1]["hooks"][0]["command"].get<std::string>(),
                HasSubstr("http://localhost/hook/Stop # kestrelhaven-hook"));
    struct stat status {};
    ASSERT_EQ(::stat(settings().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);

    // A file that is not JSON, or hooks of an unknown shape, are left alone.
    Testing::writeText(settings(), "[]");
    EXPECT_EQ(run({"install-hooks"}).errors,
              "sample bridge: ~/.claude/settings.json isn't valid JSON; it was left as it is\n");
    Testing::writeText(settings(), R"({"hooks":{"Stop":"say"}})");
    EXPECT_EQ(run({"install-hooks"}).status, 1);
    EXPECT_EQ(Testing::readText(settings()), R"({"hooks":{"Stop":"say"}})");
    EXPECT_EQ(run({"install-hooks", "--env", "nowhere"}).errors,
              "sample bridge: no environment is named “nowhere”\n");
}

TEST_F(SampleBridgeSetupVerbs, EnvironmentsGetTheirOwnHooksAndMcpEntries) {
    const fs::path folder = home.path() / ".claude-work";
    fs::create_directories(folder);
    json report = run({"doctor", "--json"}).reply();
    const json offer = find(report, "config_dir:" + folder.string());
    EXPECT_EQ(offer["status"], "info");
    EXPECT_EQ(offer["fix"]["action"], "add_config_dir");
    EXPECT_EQ(offer["fix"]["env"],
              json({{"name", "work"}, {"label", "Work"}, {"config_dir", folder.string()}}));

    const auto added = run({"env", "add", "work", "Work", "--config-dir", folder.string()});
    EXPECT_EQ(added.output, "Added work (Work): Claude Code in ~/.claude-work reports here.\n");
    EXPECT_EQ(run({"env", "add", "work", "Again", "--config-dir", folder.string()}).errors,
              "sample bridge: an environment named “work” already exists\n");
    EXPECT_EQ(run({"env", "add", "--json", "X", "--config-dir", "/x"}).status, 1);
    EXPECT_EQ(run({"env", "add", "x", "X", "--config-dir", "relative"}).status, 1);

    report = run({"doctor", "--json"}).reply();
    EXPECT_EQ(find(report, "config_dir:" + folder.string()), nullptr);
    EXPECT_EQ(find(report, "env:work")["fix"],
              json({{"label", "Add Hooks"}, {"command", "kestrelhaven install-hooks --env work"}}));
    EXPECT_EQ(find(report, "mcp:work")["fix"]["command"], "kestrelhaven install-mcp --env work");

    EXPECT_EQ(run({"install-hooks", "--env", "work"}).output,
              "Added Kestrelhaven's hooks for 8 events to ~/.claude-work/settings.json.\n");
    const auto mcp = run({"install-mcp", "--json", "--env", "work"});
    EXPECT_EQ(mcp.reply(), json::parse(R"J({"ok":true,"results":[{"status":"added",)J"
                                       R"J("account":"Work (~/.claude-work/.claude.json)",)J"
                                       R"J("detail":"kestrelhaven-channel added"}],)J"
                                       R"J("note":"New Claude Code sessions can use it."})J"));
    // Only the user's own install adds the dossier command.
    EXPECT_FALSE(fs::exists(home.path() / ".local" / "bin" / "dossier"));
    report = run({"doctor", "--json"}).reply();
    EXPECT_EQ(find(report, "env:work")["status"], "ok");
    EXPECT_EQ(find(report, "mcp:work")["status"], "ok");
}

TEST_F(SampleBridgeSetupVerbs, McpServersAreAddedAndTakenOutOnlyWhenOurs) {
    const fs::path user = home.path() / ".claude.json";
    Testing::writeText(user, R"({"numStartups":3,"mcpServers":{"other":{"command":"x"}}})");

    const auto added = run({"install-mcp", "--json"});
    EXPECT_EQ(added.status, 0);
    EXPECT_TRUE(added.output.starts_with("Adding Kestrelhaven to Claude Code's MCP servers…\n"));
    EXPECT_EQ(added.reply()["path_fix"]["line"], "export PATH=\"$HOME/.local/bin:$PATH\"");
    const json written = json::parse(Testing::readText(user));
    EXPECT_EQ(written["numStartups"], 3);
    EXPECT_EQ(written["mcpServers"]["other"], json({{"command", "x"}}));
    EXPECT_EQ(written["mcpServers"]["kestrelhaven-channel"]["args"][0],
              (home.path() / ".kestrelhaven" / "channel-plugin.js").string());
    EXPECT_TRUE(fs::exists(home.path() / ".local" / "bin" / "dossier"));
    EXPECT_TRUE(DossierShim::isOurs((home.path() / ".local" / "bin" / "dossier").string()))
        << "an uninstall takes it away";

    // With ~/.local/bin on PATH there is no line to add; a second install updates the entry.
    ::setenv("PATH", (home.path() / ".local" / "bin").c_str(), 1);
    const json again = run({"install-mcp", "--json"}).reply();
    EXPECT_FALSE(again.contains("path_fix"));
    EXPECT_EQ(again["results"][0]["status"], "updated");

    EXPECT_EQ(run({"uninstall-mcp", "--json"}).reply()["results"][0]["status"], "removed");
    EXPECT_EQ(run({"uninstall-mcp", "--json"}).reply()["results"][0]["status"], "absent");
    Testing::writeText(user, R"({"mcpServers":{"kestrelhaven-channel":{"command":"other"}}})");
    EXPECT_EQ(run({"uninstall-mcp", "--json"}).reply()["results"][0]["status"], "kept");
    const json report = run({"doctor", "--json"}).reply();
    EXPECT_EQ(find(report, "mcp")["status"], "info");
    EXPECT_THAT(find(report, "mcp")["detail"].get<std::string>(), HasSubstr("another copy"));

    Testing::writeText(user, "not json");
    const auto failed = run({"install-mcp", "--json"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.reply(),
              json::parse(R"J({"ok":false,"results":[{"status":"failed",)J"
                          R"J("account":"you (~/.claude.json)","detail":)J"
                          R"J("~/.claude.json isn't valid JSON; it was left as it is"}]})J"));
    EXPECT_EQ(Testing::readText(user), "not json");
    EXPECT_EQ(run({"install-mcp", "--env"}).errors, "usage: install-mcp [--json] [--env <name>]\n");
}
