// The request body, the reply outcomes, the answers, the send queue and the index digest.
#include "DossierIndexDigest.h"
#include "DossierPost.h"
#include "DossierShareQueue.h"

#include <gtest/gtest.h>

namespace {

using Foundation::dataFrom;

DossierPostOutcome outcome(int status, std::optional<std::string> body) {
    if (!body)
        return DossierPostOutcome::from(status, std::nullopt);
    const Foundation::Data data = dataFrom(*body);
    return DossierPostOutcome::from(status, Foundation::Bytes(data));
}

DossierOutboxItem item(std::string text = "some words here") {
    return {"s" + std::string(32, 'a'), "Title", std::move(text), "tag", "src", 1000};
}

std::optional<DossierIndexDigest> digest(const std::string& reply) {
    return DossierIndexDigest::parse(dataFrom(reply));
}

} // namespace

TEST(DossierShareRequest, BodyCleansEachLine) {
    DossierOutboxItem blank{"s" + std::string(32, 'a'), "  ", "the\ttext", "  ", std::nullopt, 1};
    EXPECT_EQ(DossierShareRequest::body(blank),
              (std::map<std::string, std::string>{{"title", "Shared text"},
                                                  {"text", "the\ttext"},
                                                  {"source", "shared from macOS"}}));
    DossierOutboxItem full{"s" + std::string(32, 'a'), "A\ntitle", "t", " deep\twork ",
                           std::string(130, 's'),      1};
    EXPECT_EQ(DossierShareRequest::body(full),
              (std::map<std::string, std::string>{{"title", "A title"},
                                                  {"text", "t"},
                                                  {"tag", "deep work"},
                                                  {"source", std::string(120, 's')}}));
}

TEST(DossierPostOutcome, OnlyA201WithOkAndAnIdIsAdded) {
    EXPECT_EQ(outcome(0, R"({"ok":true,"id":"x"})"),
              DossierPostOutcome::held("bridge", "The bridge isn't running."));
    EXPECT_EQ(outcome(201, R"({"ok":true,"id":"x"})"),
              DossierPostOutcome::added("x", "Added to the Dossier."));
    EXPECT_EQ(outcome(201, R"({"ok":true,"id":"x","msg":"Filed.","minutes":4,"tag":"t"})"),
              DossierPostOutcome::added("x", "Filed.", 4, "t"));
    EXPECT_EQ(outcome(201, R"({"ok":true})"),
              DossierPostOutcome::held("http", "The bridge answered HTTP 201."));
    EXPECT_EQ(outcome(200, R"({"ok":true,"id":"x"})"),
              DossierPostOutcome::held("http", "The bridge answered HTTP 200."));
    // A badly typed extra key does not undo an item the Dossier took.
    EXPECT_EQ(outcome(201, R"({"ok":true,"id":"x","minutes":2.5,"tag":7,"msg":null})"),
              DossierPostOutcome::added("x", "Added to the Dossier."));
    EXPECT_EQ(outcome(201, R"({"ok":"yes","id":"x"})"),
              DossierPostOutcome::held("http", "The bridge answered HTTP 201."));
}

TEST(DossierPostOutcome, RefusalsAreFinalOnlyForPermanentReasons) {
    EXPECT_EQ(outcome(400, R"({"ok":false,"reason":"too_large"})"),
              DossierPostOutcome::refused("too_large", "The bridge refused it (too_large)."));
    for (const std::string reason : {"bad_request", "empty", "path"})
        EXPECT_TRUE(std::holds_alternative<DossierPostOutcome::Refused>(
            outcome(400, R"({"ok":false,"reason":")" + reason + R"("})").value));
    EXPECT_EQ(outcome(507, R"({"ok":false,"reason":"full","msg":"Your Dossier is full."})"),
              DossierPostOutcome::held("full", "Your Dossier is full."));
    EXPECT_EQ(outcome(201, R"({"ok":false,"reason":"empty"})"),
              DossierPostOutcome::refused("empty", "The bridge refused it (empty)."));
    EXPECT_EQ(outcome(500, R"({"reason":"x"})"),
              DossierPostOutcome::held("http", "The bridge answered HTTP 500."));
    EXPECT_EQ(
        outcome(404, "<html>"),
        DossierPostOutcome::held("old_bridge", "This bridge has no Dossier: update Kestrelhaven."));
    EXPECT_EQ(
        outcome(404, std::nullopt),
        DossierPostOutcome::held("old_bridge", "This bridge has no Dossier: update Kestrelhaven."));
    EXPECT_EQ(outcome(503, "[1]"),
              DossierPostOutcome::held("http", "The bridge answered HTTP 503."));
}

TEST(DossierPostOutcome, AnswersCarryWhatTheSheetShows) {
    using State = DossierShareAnswer::State;
    const DossierOutboxItem shared = item();
    EXPECT_EQ(
        DossierPostOutcome::added("id", "Added.").answer(shared, 7),
        (DossierShareAnswer{shared.ref, State::added, "Added.", std::nullopt, 1, std::nullopt, 7}));
    EXPECT_EQ(DossierPostOutcome::added("id", "Added.", 9, "t").answer(shared, 7),
              (DossierShareAnswer{shared.ref, State::added, "Added.", std::nullopt, 9, "t", 7}));
    EXPECT_EQ(DossierPostOutcome::held("full", "Full.").answer(shared, 8),
              (DossierShareAnswer{shared.ref, State::held, "Full.", "full", std::nullopt,
                                  std::nullopt, 8}));
    EXPECT_EQ(DossierPostOutcome::refused("path", "No.").answer(shared, 9),
              (DossierShareAnswer{shared.ref, State::refused, "No.", "path", std::nullopt,
                                  std::nullopt, 9}));
}

TEST(DossierShareQueue, ChoosesTheFirstDueRefOneAtATime) {
    const double now = 1'000'000;
    const auto waiting = DossierShareQueue::State(DossierShareQueue::Waiting{});
    DossierShareQueue queue;
    queue.listed("b", 20);
    queue.listed("a", 10);
    queue.answered("a", DossierPostOutcome::held("http", "m"), now - 119999);
    EXPECT_EQ(queue.next(now), "b");
    queue.answered("a", DossierPostOutcome::held("http", "m"), now - 120000);
    EXPECT_EQ(queue.next(now), "a");
    // Once found due, it waits again while the clock stands back.
    EXPECT_EQ(queue.next(now - 1), "b");
    EXPECT_EQ(queue.next(now), "a");
    // Listed again, it takes its new place; equal times go by ref.
    queue.listed("a", 30);
    EXPECT_EQ(queue.next(now), "b");
    queue.listed("a", 20);
    EXPECT_EQ(queue.next(now), "a");

    // While one is sending nothing else goes, even when due; refs not listed do not count.
    queue.sending("b");
    EXPECT_EQ(queue.next(now), std::nullopt);
    queue.answered("b", DossierPostOutcome::refused("path", "No."), now);
    queue.sending("x");
    EXPECT_EQ(queue.next(now), "a");
    queue.answered("a", DossierPostOutcome::held("bridge", "m"), now - 14999);
    EXPECT_EQ(queue.next(now), std::nullopt);
    EXPECT_EQ(queue.next(now + 1), "a");

    // Taken, it has no state; gone, it is never chosen.
    queue.answered("a", DossierPostOutcome::added("id", "m"), now);
    EXPECT_EQ(queue.state("a"), waiting);
    EXPECT_EQ(queue.next(now), "a");
    queue.gone("a");
    EXPECT_EQ(queue.next(now + 1e9), std::nullopt);
}

TEST(DossierShareQueue, BridgeBackAndGone) {
    const auto waiting = DossierShareQueue::State(DossierShareQueue::Waiting{});
    DossierShareQueue queue;
    for (const char* ref : {"a", "b", "c"})
        queue.listed(ref, 1);
    queue.answered("a", DossierPostOutcome::held("bridge", "down"), 100);
    queue.answered("b", DossierPostOutcome::held("http", "500"), 100);
    queue.answered("c", DossierPostOutcome::refused("empty", "No."), 100);
    EXPECT_EQ(queue.next(100), std::nullopt);
    queue.bridgeBack();
    EXPECT_EQ(queue.state("a"), waiting);
    EXPECT_EQ(queue.next(100), "a");
    EXPECT_EQ(queue.state("b"),
              DossierShareQueue::State(DossierShareQueue::Held{"http", "500", 100}));
    queue.gone("a");
    queue.gone("b");
    EXPECT_EQ(queue.state("b"), waiting);
    EXPECT_EQ(queue.next(1e9), std::nullopt);
    EXPECT_EQ(queue.state("c"),
              DossierShareQueue::State(DossierPostOutcome::Refused{"empty", "No."}));
    queue.gone("c");
    EXPECT_EQ(queue.state("c"), waiting);
}

TEST(DossierShareQueue, MenuLinesAndTiming) {
    DossierShareQueue queue;
    EXPECT_EQ(queue.line("new", true), "Waiting to send");
    EXPECT_EQ(queue.line("new", false), "Waiting for the bridge");
    queue.sending("s");
    EXPECT_EQ(queue.line("s", false), "Sending…");
    queue.answered("b", DossierPostOutcome::held("bridge", "x"), 0);
    EXPECT_EQ(queue.line("b", true), "Waiting for the bridge");
    queue.answered("f", DossierPostOutcome::held("full", "x"), 0);
    EXPECT_EQ(queue.line("f", true), "Not added yet: your Dossier is full");
    queue.answered("h", DossierPostOutcome::held("http", "The bridge answered HTTP 500."), 0);
    EXPECT_EQ(queue.line("h", true), "Not added yet: The bridge answered HTTP 500.");
    queue.answered("r", DossierPostOutcome::refused("empty", "It was empty."), 0);
    EXPECT_EQ(queue.line("r", true), "Not added: It was empty.");

    EXPECT_EQ(DossierShareQueue::retryAfter("bridge"), 15000);
    EXPECT_EQ(DossierShareQueue::retryAfter("old_bridge"), 120000);
    EXPECT_FALSE(DossierShareQueue::shouldNotify(1000, 6000));
    EXPECT_TRUE(DossierShareQueue::shouldNotify(1000, 6000.5));
}

TEST(DossierIndexDigest, ReadsFullnessLimitAndRecentTags) {
    EXPECT_EQ(digest(R"({"items":[]})"), (DossierIndexDigest{{}, 300000, false}));
    EXPECT_TRUE(digest(R"({"items":[],"limits":{"items":2000}})")->full);
    EXPECT_FALSE(digest(R"({"items":[],"limits":{"items":1999}})")->full);
    EXPECT_FALSE(digest(R"({"items":[],"limits":{"items":2000,"max_items":5000}})")->full);
    EXPECT_TRUE(digest(R"({"items":[],"limits":{"items":5,"max_items":5}})")->full);
    EXPECT_TRUE(digest(R"({"items":[],"limits":{"total_bytes":100,"used_bytes":98}})")->full);
    EXPECT_FALSE(digest(R"({"items":[],"limits":{"total_bytes":100,"used_bytes":97.9}})")->full);
    EXPECT_FALSE(digest(R"({"items":[],"limits":{"total_bytes":0,"used_bytes":5}})")->full);
    // The count that decides is the one in "limits", not the list's length.
    EXPECT_FALSE(digest(R"({"items":[{},{},{}],"limits":{"items":0,"max_items":2}})")->full);

    EXPECT_EQ(digest(R"({"items":[],"limits":{"item_chars":5000}})")->itemChars, 5000);
    EXPECT_EQ(digest(R"({"items":[],"limits":{"item_chars":0}})")->itemChars, 300000);
    EXPECT_EQ(digest(R"({"items":[],"limits":{"item_chars":99999999999}})")->itemChars, 16777216);

    EXPECT_EQ(
        digest(R"({"items":[{"tag":" a "},{"tag":null},{},{"tag":"a"},{"tag":"b"}]})")->recentTags,
        (std::vector<std::string>{"a", "b"}));

    for (const char* broken : {R"({"limits":{}})", R"({"items":{}})", R"({"items":[1]})",
                               R"({"items":[{"tag":3}]})", R"({"items":[],"limits":{"items":1.5}})",
                               R"({"items":[],"limits":{"used_bytes":"9"}})", "not json", "[]"})
        EXPECT_FALSE(digest(broken)) << broken;
}
