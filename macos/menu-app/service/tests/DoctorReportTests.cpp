#include "service/DoctorReport.h"
#include "service/ToolOutput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

std::vector<std::string> ids(const std::vector<DoctorReport::Check>& checks) {
    std::vector<std::string> found;
    for (const auto& check : checks)
        found.push_back(check.id);
    return found;
}

} // namespace

TEST(DoctorReport, TheLastLineThatBeginsWithABraceIsTheReport) {
    auto report = DoctorReport::fromOutput("Checking…\n{\"ok\":true,\"checks\":[]}\n");
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->ok);
    EXPECT_TRUE(report->checks.empty());

    report =
        DoctorReport::fromOutput("{\"ok\":true,\"checks\":[]}\n\n{\"ok\":false,\"checks\":[]}\n"
                                 "done\n");
    ASSERT_TRUE(report);
    EXPECT_FALSE(report->ok);
    // A line with white space before its brace is not the report; nor is nothing.
    EXPECT_FALSE(DoctorReport::fromOutput(" {\"ok\":true,\"checks\":[]}\n"));
    EXPECT_FALSE(DoctorReport::fromOutput(""));
    // Only the last such line is tried.
    EXPECT_FALSE(DoctorReport::fromOutput("{\"ok\":true,\"checks\":[]}\n{\"ok\":1}\n"));

    EXPECT_EQ(ToolOutput::firstLine("\n\n  first \nsecond"), "  first ");
    EXPECT_EQ(ToolOutput::firstLine("\n"), std::nullopt);
    EXPECT_EQ(ToolOutput::message({1, "out", ""}), "out");
    EXPECT_EQ(ToolOutput::message({1, "out", "err"}), "err");
}

TEST(DoctorReport, DecodesStrictlyAndWhole) {
    const auto report = DoctorReport::fromOutput(
        R"({"ok":false,"extra":1,"checks":[)"
        R"({"id":"a","status":"ok","title":"A","detail":"a","more":[1]},)"
        R"({"id":"b","status":"todo","title":"B","detail":"b","fix":null},)"
        R"({"id":"c","status":"warn","title":"C","detail":"c","fix":{"label":"Add","command":null,)"
        R"("action":"add_config_dir","env":{"name":"w","label":"W","config_dir":"/w","x":0}}}]})");
    ASSERT_TRUE(report);
    ASSERT_EQ(report->checks.size(), 3u);
    EXPECT_FALSE(report->checks[0].fix);
    EXPECT_FALSE(report->checks[1].fix);
    const auto& fix = *report->checks[2].fix;
    EXPECT_EQ(fix.label, "Add");
    EXPECT_EQ(fix.command, std::nullopt);
    EXPECT_EQ(fix.action, "add_config_dir");
    EXPECT_EQ(fix.env, (DoctorReport::EnvSpec{"w", "W", "/w"}));

    for (const char* broken : {
             R"({"checks":[]})",
             R"({"ok":"yes","checks":[]})",
             R"({"ok":true,"checks":[{"id":"a","status":"ok","title":"A"}]})",
             R"({"ok":true,"checks":[{"id":"a","status":null,"title":"A","detail":""}]})",
             R"({"ok":true,"checks":[{"id":"a","status":"ok","title":"A","detail":"",)"
             R"("fix":{"action":"pair"}}]})",
             R"({"ok":true,"checks":[{"id":"a","status":"ok","title":"A","detail":"",)"
             R"("fix":{"label":"L","env":{"name":"w","label":"W"}}}]})",
         })
        EXPECT_FALSE(DoctorReport::fromOutput(broken)) << broken;
}

TEST(DoctorReport, LooksChecksUpByIdentifierAndListsEnvironments) {
    const auto report = DoctorReport::fromOutput(
        R"({"ok":true,"checks":[{"id":"bridge","status":"ok","title":"first","detail":""},)"
        R"({"id":"env:work","status":"ok","title":"","detail":""},)"
        R"({"id":"bridge","status":"fail","title":"second","detail":""},)"
        R"({"id":"environment","status":"ok","title":"","detail":""},)"
        R"({"id":"mcp:work","status":"ok","title":"","detail":""},)"
        R"({"id":"config_dir:/home/ada/.claude-x","status":"info","title":"","detail":""}]})");
    ASSERT_TRUE(report);
    ASSERT_TRUE(report->check("bridge"));
    EXPECT_EQ(report->check("bridge")->title, "first");
    EXPECT_EQ(report->check("phones"), nullptr);
    EXPECT_THAT(ids(report->environments()),
                ElementsAre("env:work", "config_dir:/home/ada/.claude-x"));
}
