// The container model's rules: names from labels, valid labels, the tool's output and the
// environments reply.
#include "settings/ContainerSetupModel.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using Model = ContainerSetupModel;
using Phase = Model::Phase;
using Connection = Model::Connection;

namespace {

nlohmann::json snippetsObject() {
    return {{"name", "ci"},
            {"label", "CI"},
            {"url", "http://host.docker.internal:7878"},
            {"docker_run", "docker run"},
            {"compose", "compose"},
            {"devcontainer", "devcontainer"},
            {"in_container", "curl"},
            {"entrypoint", "entry"},
            {"network_note", "network"},
            {"limits_note", "limits"},
            {"remote_note", nullptr}};
}

Run::Result result(std::string output, std::string error = {}, int status = 0) {
    return {status, std::move(output), std::move(error)};
}

bool validLabel(std::string label) {
    auto model = std::make_shared<Model>();
    model->label = std::move(label);
    return model->labelIsValid();
}

std::optional<Connection> checkIn(const nlohmann::json& reply, double since = 1000) {
    return Model::checkIn(Foundation::dataFrom(reply.dump()), "ci", since);
}

} // namespace

TEST(ContainerSetupModel, SlugsKeepAsciiLettersAndDigitsJoinedByOneHyphen) {
    EXPECT_EQ(Model::slug("Docker"), "docker");
    EXPECT_EQ(Model::slug("My Dev Box!"), "my-dev-box");
    EXPECT_EQ(Model::slug(" --Web  API-- "), "web-api");
    // Accented letters, precomposed or not, are separators.
    EXPECT_EQ(Model::slug("Été 2024"), "t-2024");
    EXPECT_EQ(Model::slug("Cafe\u0301 9"), "caf-9");
    EXPECT_EQ(Model::slug("ÉCOLE"), "cole");
    EXPECT_EQ(Model::slug("¡¿ — !?"), "container");
    EXPECT_EQ(Model::slug(""), "container");
    // At most 32 characters, a cut that ends on a separator trimmed.
    EXPECT_EQ(Model::slug(std::string(31, 'a') + " bc"), std::string(31, 'a'));
    EXPECT_EQ(Model::slug(std::string(40, 'a')), std::string(32, 'a'));
    EXPECT_EQ(Model::slug(std::string(32, 'b')), std::string(32, 'b'));
}

TEST(ContainerSetupModel, ALabelIsOneToFortyCharactersThatTheToolCannotTakeForAnOption) {
    EXPECT_TRUE(validLabel("Docker"));
    EXPECT_TRUE(std::make_shared<Model>()->labelIsValid());
    EXPECT_FALSE(validLabel(""));
    EXPECT_FALSE(validLabel(" \t\u00a0 "));
    EXPECT_TRUE(validLabel(std::string(40, 'x')));
    EXPECT_FALSE(validLabel(std::string(41, 'x')));
    // Characters, not bytes, and the spaces around them do not count.
    EXPECT_TRUE(validLabel("  " + std::string(20, 'x') + std::string(20, 'x') + "\t"));
    std::string accented;
    for (int i = 0; i < 40; ++i)
        accented += "e\u0301";
    EXPECT_TRUE(validLabel(accented));
    EXPECT_FALSE(validLabel(accented + "e"));
    EXPECT_FALSE(validLabel("-rf"));
    EXPECT_FALSE(validLabel("  --json"));
    EXPECT_TRUE(validLabel("CI - nightly"));
    // Nothing the tool could misread or that could disguise the name; emoji and soft hyphens
    // are ordinary text.
    for (const char* label : {"CI\nbox", "CI\x7f", "CI\u0085box", "CI\u2028box", "CI\u2029box",
                              "CI\u202abox", "CI\u202ebox", "CI\u2066box", "CI\u2069box"})
        EXPECT_FALSE(validLabel(label)) << label;
    // A woman technologist (a zero-width joiner), a flag, a subdivision flag (tag characters).
    for (const char* label :
         {"Dev \U0001F469\u200D\U0001F4BB", "\U0001F1EB\U0001F1F7 box",
          "\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F box",
          "Dev\u00adbox", "CI\u200ebox"})
        EXPECT_TRUE(validLabel(label)) << label;
    EXPECT_EQ(Model::trimmedLabel(" \tCI box\t "), "CI box");
    EXPECT_EQ(Model::trimmedLabel("CI box\n"), "CI box\n");
}

TEST(ContainerSetupModel, ParsingTakesTheLastLineThatBeginsWithABrace) {
    const std::string line = snippetsObject().dump();
    const auto expected = JSONCoding::decode<ContainerSnippets>(Foundation::dataFrom(line));
    ASSERT_TRUE(expected);
    EXPECT_EQ(expected->remote_note, std::nullopt);
    EXPECT_EQ(Model::parse(result("Adding…\n" + line + "\n")), Phase::showing(*expected));
    // The status is not looked at.
    EXPECT_EQ(Model::parse(result(line, "warning", 1)), Phase::showing(*expected));
    EXPECT_EQ(Model::parse(result(line + "\n{\"msg\":\"Later.\"}\n")), Phase::failed("Later."));
    EXPECT_EQ(Model::parse(result(R"({"msg":"Earlier."})"
                                  "\n" +
                                  line)),
              Phase::showing(*expected));
    // A line with spaces before its brace does not count; then the whole output is read.
    EXPECT_EQ(Model::parse(result("  " + line)), Phase::showing(*expected));
    EXPECT_EQ(Model::parse(result("note\n  " + line, "")), Phase::failed("note\n  " + line));
}

TEST(ContainerSetupModel, AFailureSaysTheFirstMessageThatIsNotBlank) {
    EXPECT_EQ(Model::parse(result("Adding…\n{\"ok\":false,\"msg\":\"That name is taken.\"}\n",
                                  "tool error")),
              Phase::failed("That name is taken."));
    auto withoutURL = snippetsObject();
    withoutURL.erase("url");
    EXPECT_EQ(Model::parse(result(withoutURL.dump() + "\n", "no url")), Phase::failed("no url"));
    EXPECT_EQ(Model::parse(result(withoutURL.dump())), Phase::failed(withoutURL.dump()));
    // A pretty-printed reply leaves a lone "{" as the last such line.
    const std::string pretty = snippetsObject().dump(2);
    EXPECT_EQ(Model::parse(result(pretty, "")), Phase::failed(pretty));
    EXPECT_EQ(Model::parse(result(pretty, "cli.js timed out")), Phase::failed("cli.js timed out"));

    EXPECT_EQ(Model::parse(result("", "")), Phase::failed("The bridge didn't answer."));
    EXPECT_EQ(Model::parse(result("", "   ")), Phase::failed("The bridge didn't answer."));
    EXPECT_EQ(Model::parse(result("\n\n", " \t\n")), Phase::failed("The bridge didn't answer."));
    EXPECT_EQ(Model::parse(result("", "  oops  ")), Phase::failed("  oops  "));
    // Blank candidates are passed over, each in turn.
    EXPECT_EQ(Model::parse(result("{\"msg\":\"  \"}", "  ")), Phase::failed("{\"msg\":\"  \"}"));
    EXPECT_EQ(Model::parse(result("{\"msg\":\" \"}", "bad")), Phase::failed("bad"));
    EXPECT_EQ(Model::parse(result("{\"msg\":7}", "")), Phase::failed("{\"msg\":7}"));
    EXPECT_EQ(Model::parse(result("[\"msg\"]", "")), Phase::failed("[\"msg\"]"));
}

TEST(ContainerSetupModel, ACheckCountsOnlyMomentsSinceTheSetupBeganForThatName) {
    using nlohmann::json;
    EXPECT_EQ(checkIn({{"environments", {{{"name", "ci"}, {"checked_at", 1000}}}}}),
              Connection::connected(1000));
    EXPECT_EQ(checkIn({{"environments",
                        {{{"name", "ci"}, {"checked_at", 999.5}, {"refused", {{"at", 1500}}}}}}}),
              Connection::refused());
    EXPECT_EQ(checkIn({{"environments",
                        {{{"name", "ci"}, {"checked_at", 2000}, {"refused", {{"at", 1500}}}}}}}),
              Connection::connected(2000));
    EXPECT_EQ(checkIn({{"environments", {{{"name", "ci"}, {"refused", {{"at", 999}}}}}}}),
              std::nullopt);
    EXPECT_EQ(checkIn({{"environments", {{{"name", "ci"}, {"checked_at", nullptr}}}}}),
              std::nullopt);
    // The first row of that exact name counts; other rows and their keys are read over.
    EXPECT_EQ(checkIn({{"environments",
                        {{{"name", "CI"}, {"checked_at", 5000}},
                         {{"name", "ci"}, {"label", "CI"}, {"token", true}},
                         {{"name", "ci"}, {"checked_at", 5000}}}}}),
              std::nullopt);
    EXPECT_EQ(checkIn({{"devices", json::array()},
                       {"environments", {{{"name", "ci"}, {"checked_at", 3000}}}}}),
              Connection::connected(3000));

    // A row or a member that does not decode spoils the whole reply.
    for (const json& spoilt :
         {json{{"environments", {{{"name", "ci"}, {"checked_at", 3000}}, {{"label", "x"}}}}},
          json{{"environments", {{{"name", "ci"}, {"checked_at", "3000"}}}}},
          json{{"environments", {{{"name", "ci"}, {"refused", {{"at", nullptr}}}}}}},
          json{{"environments", {{{"name", "ci"}, {"checked_at", 3000}}}}, {"devices", 1}},
          json{{"other", json::array()}}, json::array()})
        EXPECT_EQ(checkIn(spoilt), std::nullopt) << spoilt;
    EXPECT_EQ(Model::checkIn(Foundation::dataFrom("not json"), "ci", 0), std::nullopt);
}

TEST(ContainerSetupModel, PhasesConnectionsAndShapesDescribeThemselvesShortly) {
    auto snippets =
        JSONCoding::decode<ContainerSnippets>(Foundation::dataFrom(snippetsObject().dump()));
    EXPECT_EQ(Phase::naming().description(), "naming");
    EXPECT_EQ(Phase::working().description(), "working");
    EXPECT_EQ(Phase::showing(*snippets).description(), "showing ci");
    EXPECT_EQ(Phase::failed("The bridge didn't answer.").description(),
              "failed: The bridge didn't answer.");
    EXPECT_EQ(Connection::waiting().description(), "waiting");
    EXPECT_EQ(Connection::refused().description(), "refused");
    EXPECT_EQ(Connection::connected(1712345678901).description(), "connected at 1712345678901");
    std::vector<std::string_view> shapes;
    for (const auto shape : Model::allShapes)
        shapes.push_back(Model::rawValue(shape));
    EXPECT_EQ(shapes, (std::vector<std::string_view>{"docker run", "Compose", "Dev container"}));
}
