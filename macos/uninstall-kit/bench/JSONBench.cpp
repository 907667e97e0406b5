// Parsing and writing a 20 MiB file shaped like Claude Code's user file, with the
// order-preserving model, measured beside nlohmann-json's ordered_json parsing and dumping (with
// the same two-space indentation) the same text in the same run. The file is generated here,
// the same on every run. The last line printed is the ratio of the two (ours / nlohmann).
#include "JSON.h"

#include <Testing/BenchmarkRatio.h>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <iostream>
#include <nlohmann/json.hpp>

namespace {

constexpr std::size_t targetSize = 20 * 1024 * 1024;

// A fixed-seed generator, so the file is the same on every run.
class Generator {
public:
    std::uint64_t next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return m_state >> 33;
    }
    std::uint64_t below(std::uint64_t bound) { return next() % bound; }
    std::string number() { return std::to_string(below(100000)); }
    std::string cost() { return "0." + std::to_string(1000 + below(9000)); }
    std::string prompt() {
        static const char* const words[] = {
            "fix",  "the",     "flaky",  "test",  "in",       "src/app.ts", "refactor", "café",
            "🦉", "\"why\"", "line\n", "tab\t", "C:\\path", "naïve",      "résumé",   "ok"};
        std::string text;
        const std::uint64_t count = 4 + below(40);
        for (std::uint64_t i = 0; i < count; ++i)
            text += std::string(i ? " " : "") + words[below(std::size(words))];
        return text;
    }

private:
    std::uint64_t m_state = 20260301;
};

JSON project(Generator& random) {
    JSON::Array history;
    for (std::uint64_t i = 0, count = 5 + random.below(30); i < count; ++i) {
        history.push_back(JSONObject(
            {{"display", JSON::string(random.prompt())}, {"pastedContents", JSONObject()}}));
    }
    JSON::Array files;
    for (std::uint64_t i = 0, count = random.below(6); i < count; ++i)
        files.push_back(JSON::string("src/module" + random.number() + ".ts"));
    const JSON usage = JSONObject({{"inputTokens", JSON::number(random.number())},
                                   {"outputTokens", JSON::number(random.number())},
                                   {"cacheReadInputTokens", JSON::number(random.number())},
                                   {"costUSD", JSON::number(random.cost())}});
    return JSONObject({
        {"allowedTools", JSON::Array{}},
        {"history", std::move(history)},
        {"mcpContextUris", JSON::Array{}},
        {"mcpServers", JSONObject()},
        {"enabledMcpjsonServers", JSON::Array{}},
        {"hasTrustDialogAccepted", JSON::boolean(random.below(2) == 1)},
        {"lastCost", JSON::number(random.cost())},
        {"lastAPIDuration", JSON::number(random.number())},
        {"lastDuration", JSON::number(random.number())},
        {"lastLinesAdded", JSON::number(random.number())},
        {"lastSessionId", JSON::string("5f0c" + random.number() + "-4e1b-9a7d")},
        {"lastModelUsage", JSONObject({{"claude-model", usage}})},
        {"exampleFiles", std::move(files)},
        {"hasCompletedProjectOnboarding", JSON()},
    });
}

std::string claudeUserFile() {
    Generator random;
    std::vector<JSONObject::Member> projects;
    std::size_t size = 0;
    while (size < targetSize) {
        JSON next = project(random);
        size += next.serialized().size() + 40;
        projects.push_back({"/Users/dev/code/project-" + random.number(), std::move(next)});
    }
    const JSON server = JSONObject(
        {{"type", JSON::string("stdio")},
         {"command", JSON::string("node")},
         {"args",
          JSON::Array{JSON::string(
              "/Applications/Kestrelhaven.app/Contents/Resources/bridge/dist/mcp-speak.js")}},
         {"env", JSONObject()}});
    const JSON document = JSONObject({
        {"numStartups", JSON::number("312")},
        {"installMethod", JSON::string("native")},
        {"autoUpdates", JSON::boolean(true)},
        {"tipsHistory", JSONObject({{"new-user-warmup", JSON::number("7")}})},
        {"projects", JSONObject(std::move(projects))},
        {"mcpServers", JSONObject({{"kestrelhaven-speak", server}})},
        {"userID", JSON::string("a3c1f0e2d4b5968778695a4b3c2d1e0f")},
    });
    return document.serialized() + "\n";
}

const std::string& file() {
    static const std::string text = claudeUserFile();
    return text;
}

void orderPreserving(benchmark::State& state) {
    for (auto _ : state) {
        const auto parsed = JSON::parse(file());
        if (!parsed.value)
            state.SkipWithError("the generated file did not parse");
        std::string written = parsed.value->serialized();
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file().size()));
}

void nlohmannOrdered(benchmark::State& state) {
    for (auto _ : state) {
        const auto parsed = nlohmann::ordered_json::parse(file());
        std::string written = parsed.dump(2);
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file().size()));
}

BENCHMARK(orderPreserving)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(nlohmannOrdered)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    std::cout << "file: " << file().size() << " bytes\n";
    return Testing::runComparing(argc, argv, "orderPreserving", "nlohmannOrdered",
                                 "nlohmann ordered_json");
}
