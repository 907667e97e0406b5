#include "relay/RelayStatus.h"
#include "relay/tests/RelayFixture.h"

#include <JSONCoding/JSONCoding.h>
#include <gmock/gmock.h>
#include <share-core/DossierPost.h>
#include <share-core/ShareResult.h>

using Foundation::LogLevel;
using SampleBridge::DossierMode;
using SampleBridge::DossierRefusal;
using State = DossierShareAnswer::State;

namespace {

JSONCoding::JSON parsed(const std::string& body) {
    return *JSONCoding::parse(body);
}

JSONCoding::JSON expectedBody(const DossierOutboxItem& item) {
    JSONCoding::JSON body = JSONCoding::JSON::object();
    for (const auto& [key, value] : DossierShareRequest::body(item))
        body[key] = value;
    return body;
}

} // namespace

TEST_F(Relay, AShareIsPostedWithinTheDebounceAnsweredAddedAndItsFileGoes) {
    relay().start();
    ASSERT_TRUE(
        eventually([&] { return std::filesystem::exists(store().directory / "mac.json"); }));
    settle();
    const auto item = share("  Notes from\nthe stand-up ",
                            "Ten words of text that the Dossier keeps for "
                            "the phone.",
                            " planning ");
    ASSERT_TRUE(eventually([&] { return answered(item, State::added); }, 2));
    EXPECT_TRUE(gone(item));
    const auto written = *answer(item);
    EXPECT_EQ(written.msg, "Added to the Dossier.");
    EXPECT_EQ(written.minutes, 1);
    EXPECT_EQ(written.tag, "planning");
    EXPECT_EQ(written.at, nowMs());

    ASSERT_EQ(posts().size(), 1u);
    EXPECT_EQ(parsed(posts()[0]), expectedBody(item));
    EXPECT_EQ(parsed(posts()[0]),
              (JSONCoding::JSON{{"title", "Notes from the stand-up"},
                                {"text", "Ten words of text that the Dossier keeps for the phone."},
                                {"tag", "planning"},
                                {"source", "shared from macOS"}}));
    EXPECT_TRUE(eventually([&] { return loggedCount("share " + item.ref + ": added, 55 chars"); }));
    EXPECT_TRUE(logged(LogLevel::Error).empty());
    EXPECT_TRUE(eventually([&] { return relay().rows().empty(); }));
    // The bridge answered, so the extension learns it is up.
    EXPECT_TRUE(store().mac()->bridgeUp);
}

TEST_F(Relay, SharesWrittenTogetherGoInOnePassOldestFirst) {
    relay().start();
    settle();
    const auto second = share("Second", "two", std::nullopt, 1000);
    const auto third = share("Third", "three");
    const auto first = share("First", "one", std::nullopt, 2000);
    ASSERT_TRUE(eventually([&] { return answered(third, State::added); }));
    std::vector<std::string> titles;
    for (const auto& body : posts())
        titles.push_back(parsed(body)["title"]);
    EXPECT_EQ(titles, (std::vector<std::string>{"First", "Second", "Third"}));
    EXPECT_TRUE(gone(first) && gone(second) && gone(third));
}

TEST_F(Relay, WithTheBridgeDownSharesWaitAndGoWhenItComesBack) {
    stopServer();
    const auto first = share("First", "one", std::nullopt, 2000);
    const auto second = share("Second", "two", std::nullopt, 1000);
    relay().start();
    ASSERT_TRUE(eventually([&] { return answered(first, State::held); }));
    EXPECT_EQ(answer(first)->reason, "bridge");
    EXPECT_EQ(answer(first)->msg, "The bridge isn't running.");
    ASSERT_TRUE(eventually([&] {
        return rows() ==
               std::vector<std::pair<std::string, std::string>>{
                   {"First", "Waiting for the bridge"}, {"Second", "Waiting for the bridge"}};
    }));
    // One attempt per pass: neither the answer written nor the bridge's silence starts another.
    relay().bridge(false);
    settle();
    const std::string heldFirst = "share " + first.ref + ": held (bridge), 3 chars";
    const std::string heldSecond = "share " + second.ref + ": held (bridge), 3 chars";
    EXPECT_EQ(loggedCount(heldFirst), 1u);
    EXPECT_EQ(loggedCount(heldSecond), 0u);
    EXPECT_FALSE(answer(second));

    // A new share starts a pass, which tries the oldest share that is due.
    const auto third = share("Third", "three");
    ASSERT_TRUE(eventually([&] { return loggedCount(heldSecond) == 1; }));
    settle();
    EXPECT_EQ(loggedCount(heldFirst), 1u);
    // The tick retries what fell due.
    moveOn(DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return loggedCount(heldFirst) == 2; }));

    startServer();
    relay().bridge(true);
    ASSERT_TRUE(eventually([&] { return gone(first) && gone(second) && gone(third); }));
    EXPECT_EQ(posts().size(), 3u);
    EXPECT_TRUE(eventually([&] { return relay().rows().empty(); }));
}

TEST_F(Relay, ARefusedShareKeepsItsAnswerAndLeavesTheQueue) {
    server().state().dossier().refuseEvery(
        DossierRefusal{"too_large", "It's longer than a Dossier item may be.", 413});
    relay().start();
    const auto item = share("Long read");
    ASSERT_TRUE(eventually([&] { return answered(item, State::refused); }));
    EXPECT_EQ(answer(item)->reason, "too_large");
    EXPECT_FALSE(gone(item));
    ASSERT_TRUE(eventually([&] {
        return rows() == std::vector<std::pair<std::string, std::string>>{
                             {"Long read", "Not added: It's longer than a Dossier item may be."}};
    }));

    // Never posted again, by a pass or by the tick.
    server().state().dossier().refuseEvery(std::nullopt);
    share("Another");
    moveOn(DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return posts().size() == 2; }));
    settle();
    EXPECT_EQ(posts().size(), 2u);

    // The extension removes a refused share itself; its row goes with it.
    outbox().remove(item.ref);
    outbox().removeAnswer(item.ref);
    EXPECT_TRUE(eventually([&] { return relay().rows().empty(); }));
}

TEST_F(Relay, ABridgeWithoutADossierOrAFullOneHoldsEachShareAndGoesOn) {
    server().state().dossier().setMode(DossierMode::missing);
    const auto first = share("First", "one", std::nullopt, 1000);
    const auto second = share("Second", "two");
    relay().start();
    ASSERT_TRUE(eventually([&] { return answered(second, State::held); }));
    EXPECT_EQ(answer(first)->reason, "old_bridge");
    EXPECT_EQ(answer(second)->msg, "This bridge has no Dossier: update Kestrelhaven.");
    EXPECT_TRUE(store().mac()->bridgeUp);
    EXPECT_TRUE(eventually([&] {
        return rows() ==
               std::vector<std::pair<std::string, std::string>>{
                   {"First", "Not added yet: This bridge has no Dossier: update Kestrelhaven."},
                   {"Second", "Not added yet: This bridge has no Dossier: update Kestrelhaven."}};
    }));

    // Such holds are tried again after two minutes.
    server().state().dossier().setMode(DossierMode::open);
    server().state().dossier().setLimits({.maxItems = 0});
    moveOn(DossierShares::tickInterval);
    settle();
    EXPECT_EQ(posts().size(), 2u);
    moveOn(120);
    ASSERT_TRUE(eventually([&] { return answer(second)->reason == "full"; }));
    EXPECT_TRUE(eventually([&] {
        return rows() == std::vector<std::pair<std::string, std::string>>{
                             {"First", "Not added yet: your Dossier is full"},
                             {"Second", "Not added yet: your Dossier is full"}};
    }));
}

TEST_F(Relay, RemovingAWaitingShareDeletesItsFilesAndRowEvenWithTheBridgeDown) {
    stopServer();
    const auto item = share("Notes");
    relay().start();
    // The row as the pass leaves it, not the one it shows while sending.
    ASSERT_TRUE(eventually([&] {
        return answered(item, State::held) &&
               rows() == std::vector<std::pair<std::string, std::string>>{
                             {"Notes", "Waiting for the bridge"}};
    }));
    int changes = 0;
    relay().changed = [&] { ++changes; };
    relay().remove(item.ref);
    ASSERT_TRUE(eventually([&] { return relay().rows().empty(); }));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(gone(item));
    EXPECT_FALSE(answer(item));
    EXPECT_EQ(loggedCount("share " + item.ref + " removed by the user"), 1u);
    relay().changed = nullptr;
}

TEST_F(Relay, RowsKeepTheOutboxOrderAsSharesComeMoveAndGo) {
    stopServer();
    auto second = share("Second", "two", std::nullopt, 1000);
    relay().start();
    const auto titles = [] {
        std::vector<std::string> titles;
        for (const auto& row : relay().rows())
            titles.push_back(row.title);
        return titles;
    };
    ASSERT_TRUE(eventually([&] { return titles() == std::vector<std::string>{"Second"}; }));

    // Older shares written together stand before, each in its place; a newer one after.
    auto first = share("First", "one", std::nullopt, 2000);
    const auto between = share("Between", "one and a half", std::nullopt, 1500);
    share("Nearly", "almost two", std::nullopt, 1200);
    share("Last", "three", std::nullopt, 500);
    ASSERT_TRUE(eventually([&] {
        return titles() == std::vector<std::string>{"First", "Between", "Nearly", "Second", "Last"};
    }));

    // Written again as made later, a share moves; written with a new title, it keeps its place.
    first.createdAt = nowMs();
    ASSERT_FALSE(outbox().add(first));
    second.title = "Second, retitled";
    ASSERT_FALSE(outbox().add(second));
    outbox().remove(between.ref);
    EXPECT_TRUE(eventually([&] {
        return titles() == std::vector<std::string>{"Nearly", "Second, retitled", "Last", "First"};
    }));
}

TEST_F(Relay, TheOutboxModePrintsEachAnswerOnALine) {
    relay().printAnswers = true;
    testing::internal::CaptureStdout();
    const auto item = share("Notes");
    relay().start();
    ASSERT_TRUE(eventually([&] { return answered(item, State::added); }));
    stopServer();
    const auto held = share("Later");
    // The answer is printed before the relay records that the bridge is down.
    ASSERT_TRUE(eventually(
        [&] { return answered(held, State::held) && store().mac() && !store().mac()->bridgeUp; }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              item.ref + " added: Added to the Dossier.\n" + held.ref +
                  " held bridge: The bridge isn't running.\n");
}

TEST_F(Relay, AnUnchangedBridgeStateChangesNothingAndSchedulesNoPass) {
    relay().start();
    // The start's state is written and its requests made before the clock moves.
    relayQueueRan();
    ASSERT_TRUE(store().mac() && store().mac()->bridgeUp);
    const double written = store().mac()->menuAt;
    const auto before = server().requests().size();
    moveOn(1);
    relay().bridge(true);
    relayQueueRan();
    settle();
    EXPECT_EQ(store().mac()->menuAt, written);
    EXPECT_EQ(server().requests().size(), before);

    relay().bridge(false);
    ASSERT_TRUE(eventually([&] { return !store().mac()->bridgeUp; }));
    EXPECT_EQ(store().mac()->menuAt, nowMs());
}

TEST_F(Relay, AFolderAtTheLocksPathIsMovedAsideAndSharesStillGo) {
    std::filesystem::create_directories(outbox().lockURL());
    relay().start();
    const auto item = share("Notes");
    ASSERT_TRUE(eventually([&] { return answered(item, State::added); }));
    EXPECT_TRUE(std::filesystem::is_regular_file(outbox().lockURL()));
    EXPECT_THAT(logged(LogLevel::Error), testing::ElementsAre(testing::StartsWith(
                                             "the outbox's lock " + outbox().lockURL().string() +
                                             " was not a file: what stood there was moved aside to "
                                             "DossierOutbox.lock.unusable-")));
}

TEST_F(Relay, WhileTheLockCantBeTakenSharesWaitListedAndTheSheetIsPromisedNothing) {
    // A heartbeat still in force, as an application that has just ended leaves it.
    ASSERT_EQ(store().writeMac({{}, 300000, false, true, nowMs()}), std::nullopt);
    const auto item = share("Notes");
    FrozenFolder frozen(outbox().lockURL().parent_path());
    if (!frozen.held)
        GTEST_SKIP() << "this system lets nothing keep a folder's entries";
    relay().start();
    ASSERT_TRUE(eventually([&] {
        return rows() ==
               std::vector<std::pair<std::string, std::string>>{{"Notes", "Waiting to send"}};
    }));
    EXPECT_EQ(ShareResult::from(std::nullopt, store().mac(), nowMs()),
              ShareResult::waiting("Saved · it goes to your Dossier when Kestrelhaven is running"));
    const std::string reason =
        std::make_error_code(::geteuid() == 0 ? std::errc::operation_not_permitted
                                              : std::errc::permission_denied)
            .message();
    const std::string lock = outbox().lockURL().string();
    EXPECT_EQ(logged(LogLevel::Error),
              std::vector<std::string>{"the outbox's lock " + lock + " can't be taken (" + reason +
                                       "): shares wait unsent until it can"});
    EXPECT_EQ(RelayStatus::line(), "nothing can relay the outbox: its lock " + lock +
                                       " can't be taken (" + reason + "); 1 share waits");
    EXPECT_TRUE(posts().empty());

    // Once it can be taken, the relay runs and says so again.
    frozen.thaw();
    moveOn(DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return answered(item, State::added); }));
    EXPECT_TRUE(store().mac()->menuRunning(nowMs()));
}
