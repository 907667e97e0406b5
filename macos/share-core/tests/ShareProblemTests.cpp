// Every problem and result sentence the sheet shows.
#include "ShareClock.h"
#include "ShareProblem.h"
#include "ShareResult.h"

#include <Foundation/SystemTime.h>
#include <chrono>
#include <gtest/gtest.h>

TEST(ShareProblem, HasACodeAndASentenceForEachCase) {
    const std::vector<std::tuple<ShareProblem, std::string, std::string>> cases = {
        {ShareProblem::otherFile("pic.png"), "other_file",
         "“pic.png” isn't a text, Markdown or RTF file. The Dossier takes text, web links, and "
         ".txt, .md or .rtf files."},
        {ShareProblem::unreadable("a.txt"), "unreadable",
         "“a.txt” isn't text the Dossier can read (UTF-8 or UTF-16 text, or RTF)."},
        {ShareProblem::fileTooBig("big.md", 300000), "file_too_big",
         "“big.md” is too long for one Dossier item: it takes up to 300,000 characters."},
        {ShareProblem::tooLong(312456, 300000), "too_long",
         "This is 312,456 characters; a Dossier item takes up to 300,000. Share a shorter part."},
        {ShareProblem::nothing(), "nothing", "There's no text in what you shared."},
    };
    for (const auto& [problem, code, message] : cases) {
        EXPECT_EQ(problem.code(), code);
        EXPECT_EQ(problem.message(), message);
    }
    EXPECT_EQ(ShareProblem::fileTooBig("big.md", 1), ShareProblem::fileTooBig("big.md", 1));
    EXPECT_NE(ShareProblem::fileTooBig("big.md", 1), ShareProblem::fileTooBig("big.md", 2));
    EXPECT_NE(ShareProblem::otherFile("x"), ShareProblem::unreadable("x"));
}

namespace {

using State = DossierShareAnswer::State;

DossierShareAnswer answer(State state, std::optional<std::string> reason = std::nullopt,
                          std::optional<std::int64_t> minutes = std::nullopt,
                          std::optional<std::string> tag = std::nullopt, std::string msg = "m") {
    return {"s" + std::string(32, 'a'),
            state,
            std::move(msg),
            std::move(reason),
            minutes,
            std::move(tag),
            0};
}

MacShareState mac(double menuAt, bool bridgeUp) {
    return {{}, 300000, false, bridgeUp, menuAt};
}

constexpr double now = 10'000'000;

} // namespace

TEST(ShareResult, AnAnswerDecidesAlone) {
    EXPECT_EQ(ShareResult::from(answer(State::added, {}, 3, "work"), {}, now),
              ShareResult::added("3 min · work"));
    EXPECT_EQ(ShareResult::from(answer(State::added, {}, 1, ""), {}, now),
              ShareResult::added("1 min"));
    EXPECT_EQ(ShareResult::from(answer(State::added, {}, {}, "t"), {}, now),
              ShareResult::added("t"));
    EXPECT_EQ(ShareResult::from(answer(State::added), {}, now), ShareResult::added(""));
    EXPECT_EQ(ShareResult::from(answer(State::refused, "too_large", {}, {}, "Too big."), {}, now),
              ShareResult::refused("Too big."));
    // A full Dossier says so even when the state has the bridge down.
    EXPECT_EQ(ShareResult::from(answer(State::held, "full"), mac(now, false), now),
              ShareResult::waiting(
                  "Saved · your Dossier is full, so it waits in Kestrelhaven until there's room"));
    EXPECT_EQ(ShareResult::from(answer(State::held, "bridge"), {}, now),
              ShareResult::waiting(
                  "Saved · it goes to your Dossier when Kestrelhaven's bridge is running"));
    EXPECT_EQ(ShareResult::from(
                  answer(State::held, "http", {}, {}, "The bridge answered HTTP 500."), {}, now),
              ShareResult::waiting("Saved · not added yet: The bridge answered HTTP 500."));
    EXPECT_EQ(ShareResult::from(answer(State::held, {}, {}, {}, ""), {}, now),
              ShareResult::waiting("Saved · not added yet: "));
}

TEST(ShareResult, WithoutAnAnswerTheMacStateDecides) {
    const auto notRunning =
        ShareResult::waiting("Saved · it goes to your Dossier when Kestrelhaven is running");
    EXPECT_EQ(ShareResult::from({}, mac(now - 1000, true), now),
              ShareResult::waiting("Saved · Kestrelhaven adds it to your Dossier in a moment"));
    EXPECT_EQ(ShareResult::from({}, mac(now - 149999, false), now),
              ShareResult::waiting(
                  "Saved · it goes to your Dossier when Kestrelhaven's bridge is running"));
    EXPECT_EQ(ShareResult::from({}, mac(now - 150000, true), now), notRunning);
    EXPECT_EQ(ShareResult::from({}, mac(0, true), now), notRunning);
    EXPECT_EQ(ShareResult::from({}, std::nullopt, now), notRunning);
}

TEST(ShareClock, IsTheWallClockInMilliseconds) {
    Foundation::SystemTime::setSource([] { return 1712345678.9015; });
    EXPECT_DOUBLE_EQ(ShareClock::now(), 1712345678901.5);
    Foundation::SystemTime::setSource({});
    const double wall = std::chrono::duration<double, std::milli>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    EXPECT_NEAR(ShareClock::now(), wall, 5000);
}
