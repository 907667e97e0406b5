#include "relay/tests/RelayFixture.h"

#include <gmock/gmock.h>
#include <share-core/DossierPost.h>

using Foundation::LogLevel;
using SampleBridge::DossierLimits;
using SampleBridge::DossierMode;
using SampleBridge::DossierRefusal;
using UserNotifications::AuthorizationStatus;
using UserNotifications::NotificationContent;
using UserNotifications::NotificationRequest;
using UserNotifications::TestDouble;
using State = DossierShareAnswer::State;

TEST_F(Relay, WithoutADigestOrAnEarlierStateTheFirstStateIsTheDefault) {
    server().state().dossier().setMode(DossierMode::missing);
    relay().start();
    ASSERT_TRUE(eventually([&] { return store().mac() && store().mac()->bridgeUp; }));
    EXPECT_EQ(*store().mac(), (MacShareState{{}, 300000, false, true, nowMs()}));
}

TEST_F(Relay, TheStateCarriesTheDigestsTagsAndLimitsAndANewTagAtOnce) {
    auto& dossier = server().state().dossier();
    dossier.setLimits({.itemChars = 5000});
    for (const char* tag : {"reading", "work", "reading"})
        dossier.post({{"title", "Old"}, {"text", "kept"}, {"tag", tag}});
    relay().start();
    ASSERT_TRUE(eventually([&] { return store().mac() && store().mac()->itemChars == 5000; }));
    EXPECT_EQ(*store().mac(), (MacShareState{{"reading", "work"}, 5000, false, true, nowMs()}));

    moveOn(1);
    const auto item = share("New", "text", "travel");
    ASSERT_TRUE(eventually([&] { return answered(item, State::added); }));
    EXPECT_TRUE(eventually([&] {
        return store().mac()->recentTags == std::vector<std::string>{"travel", "reading", "work"};
    }));
    EXPECT_EQ(store().mac()->menuAt, nowMs());

    // The same digest again writes nothing.
    moveOn(1);
    const auto untagged = share("Untagged");
    ASSERT_TRUE(eventually([&] { return answered(untagged, State::added); }));
    settle();
    EXPECT_EQ(store().mac()->menuAt, nowMs() - 1000);

    // A full Dossier says so.
    dossier.setLimits({.itemChars = 5000, .maxItems = 6});
    const auto last = share("Last");
    ASSERT_TRUE(eventually([&] { return answered(last, State::added); }));
    EXPECT_TRUE(eventually([&] { return store().mac()->full; }));
}

TEST_F(Relay, WithoutAnIndexTheEarlierStateIsKeptAndTheRequestWaitsItsTurn) {
    ASSERT_EQ(store().writeMac({{"kept"}, 1234, true, false, 5}), std::nullopt);
    server().state().dossier().setMode(DossierMode::missing);
    const auto indexRequests = [&] {
        std::size_t count = 0;
        for (const auto& request : server().requests())
            count += request.route() == "/dossier" && request.method == "GET";
        return count;
    };
    relay().start();
    ASSERT_TRUE(eventually([&] { return indexRequests() == 1; }));
    settle();
    EXPECT_EQ(*store().mac(), (MacShareState{{"kept"}, 1234, true, true, nowMs()}));

    moveOn(DossierShares::tickInterval);
    settle();
    EXPECT_EQ(indexRequests(), 1u);
    moveOn(DossierShares::indexAge / 1000);
    ASSERT_TRUE(eventually([&] { return indexRequests() == 2; }));
}

TEST_F(Relay, TheTickRenewsTheHeartbeatAndAStateThatWontWriteIsLogged) {
    relay().start();
    // The start's state is written before the clock moves.
    relayQueueRan();
    ASSERT_TRUE(store().mac() && store().mac()->bridgeUp);
    const double first = store().mac()->menuAt;
    moveOn(DossierShares::tickInterval);
    settle();
    EXPECT_EQ(store().mac()->menuAt, first);
    moveOn(59 - DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return store().mac()->menuAt == nowMs(); }));

    // A state file that does not read is written again at the next tick.
    Testing::writeText(store().directory / "mac.json", "{broken");
    moveOn(DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return store().mac().has_value(); }));

    std::filesystem::remove_all(store().directory);
    Testing::writeText(store().directory, "a file where the folder belongs");
    relay().bridge(false);
    ASSERT_TRUE(eventually([&] { return !logged(LogLevel::Error).empty(); }));
    EXPECT_THAT(logged(LogLevel::Error)[0], testing::StartsWith("share state: The folder “"));
}

TEST_F(Relay, TheTickSweepsAnswersByAge) {
    // Item files that do not read are never posted, but their answers count as live.
    const auto live = [&] {
        const std::string ref = DossierOutbox::newRef();
        Testing::writeText(outbox().url(ref), "{unreadable");
        return ref;
    };
    const double tickAt = nowMs() + DossierShares::tickInterval * 1000;
    const auto answer = [&](std::string ref, double age) {
        const DossierShareAnswer written{std::move(ref), State::held, "m", "x", {}, {},
                                         tickAt - age};
        EXPECT_EQ(outbox().writeAnswer(written), std::nullopt);
        return written.ref;
    };
    const auto tooOld = answer(live(), DossierShares::answerAge + 1);
    const auto kept = answer(live(), DossierShares::answerAge - 1);
    const auto orphan = answer(DossierOutbox::newRef(), 60001);
    const auto freshOrphan = answer(DossierOutbox::newRef(), 60000);
    const auto broken = DossierOutbox::newRef();
    Testing::writeText(outbox().answerURL(broken), "{broken");
    relay().start();
    // The tick's timer is made by the start, before the clock moves.
    relayQueueRan();
    moveOn(DossierShares::tickInterval);
    // The sweep runs on the relay's queue: wait for its whole pass, not its first removal.
    EXPECT_TRUE(eventually([&] {
        return !outbox().answer(tooOld) && !outbox().answer(orphan) &&
               !std::filesystem::exists(outbox().answerURL(broken));
    }));
    EXPECT_TRUE(outbox().answer(kept));
    EXPECT_TRUE(outbox().answer(freshOrphan));
}

TEST_F(Relay, OnlySharesFinishedMoreThanFiveSecondsAfterTheyWereMadeAreNotified) {
    const auto quick = share("Quick");
    const auto slow = share("Slow\nread", "word", "later", 5001);
    const auto justSo = share("On time", "word", std::nullopt, 5000);
    relay().start();
    ASSERT_TRUE(eventually([&] { return gone(quick) && gone(slow) && gone(justSo); }));
    ASSERT_TRUE(eventually([&] { return notifications.shown().size() == 1; }));
    EXPECT_EQ(notifications.shown()[0],
              (NotificationRequest{"dossier-share-" + slow.ref,
                                   {"Added to your Dossier", "“Slow read” · 1 min · later"}}));

    server().state().dossier().refuseEvery(DossierRefusal{"empty", "There's no text to add."});
    const auto refused = share("Blank", " ", std::nullopt, 6000);
    ASSERT_TRUE(eventually([&] { return notifications.shown().size() == 2; }));
    EXPECT_EQ(
        notifications.shown()[1].content,
        (NotificationContent{"Not added to your Dossier", "“Blank”: There's no text to add."}));
    EXPECT_TRUE(answered(refused, State::refused));

    server().state().dossier().refuseEvery(DossierRefusal{"full", "Your Dossier is full.", 409});
    const auto held = share("Held", "word", std::nullopt, 6000);
    ASSERT_TRUE(eventually([&] { return answered(held, State::held); }));
    settle();
    EXPECT_EQ(notifications.shown().size(), 2u);
}

TEST_F(Relay, ATestBuildNeverAsksForLeaveToNotify) {
    TestDouble undecided({.status = AuthorizationStatus::notDetermined});
    const auto item = share("Slow", "word", std::nullopt, 10000);
    relay().start();
    ASSERT_TRUE(eventually([&] { return gone(item); }));
    settle();
    EXPECT_EQ(undecided.authorizationRequests(), 0);
    EXPECT_TRUE(undecided.shown().empty());
}

TEST_F(Relay, AShareTheDossierTookWhoseFileWontGoIsNeverPostedAgain) {
    relay().start();
    // The start has asked for the Dossier's index, so the reply scripted below goes to the post.
    relayQueueRan();
    // The reply waits, so the folder can be frozen while the post is in flight.
    auto held = scriptHeld("/dossier", SampleBridge::Reply::json(201, R"({"ok":true,"id":"d1"})"));
    const auto item = share("Stuck");
    ASSERT_TRUE(eventually([&] { return held.reached(); }));
    ASSERT_EQ(posts().size(), 1u);
    FrozenFolder frozen(outbox().directory);
    held.open();
    if (!frozen.held)
        GTEST_SKIP() << "this system lets nothing keep a folder's entries";
    ASSERT_TRUE(eventually([&] { return logged(LogLevel::Error).size() == 2; }));
    EXPECT_EQ(logged(LogLevel::Error)[0], "share " + item.ref + " stored, but its file won't go");
    EXPECT_THAT(logged(LogLevel::Error)[1],
                testing::StartsWith("share " + item.ref + ": answer not saved: "));

    moveOn(DossierShares::tickInterval);
    settle();
    EXPECT_EQ(posts().size(), 1u);
    EXPECT_FALSE(gone(item));
    EXPECT_TRUE(relay().rows().empty());

    frozen.thaw();
    moveOn(DossierShares::tickInterval);
    ASSERT_TRUE(eventually([&] { return gone(item); }));
    EXPECT_EQ(posts().size(), 1u);
}

TEST(DossierSharesNotice, JoinsThePartsThatExistAndCutsTheTitle) {
    DossierOutboxItem item{"s1", std::string(130, 'x'), "text", {}, {}, 0};
    DossierShareAnswer added{"s1", State::added, "Added.", {}, {}, std::string(), 0};
    EXPECT_EQ(DossierShares::notice(item, added)->body, "“" + std::string(120, 'x') + "”");
    added.minutes = 4;
    added.tag = "work";
    item.title = "Line one\r\n\tline two";
    EXPECT_EQ(DossierShares::notice(item, added)->body, "“Line one line two” · 4 min · work");
    const DossierShareAnswer held{"s1", State::held, "Later.", "full", {}, {}, 0};
    EXPECT_FALSE(DossierShares::notice(item, held));
}

TEST(DossierSharesRequestBody, ABodyThatCannotBeSerialisedIsNotMade) {
    const DossierOutboxItem item{"s1", "Title", "bad \xff bytes", {}, {}, 0};
    EXPECT_FALSE(DossierShares::requestBody(item));
    const DossierOutboxItem good{"s1", "Title", "fine", "tag", "example.com", 0};
    EXPECT_EQ(Foundation::textView(*DossierShares::requestBody(good)),
              R"({"source":"example.com","tag":"tag","text":"fine","title":"Title"})");
}
