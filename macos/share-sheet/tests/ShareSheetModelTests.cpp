#include "ShareSheetTesting.h"

#include <Foundation/Log.h>
#include <gmock/gmock.h>

using Phase = ShareSheetModel::Phase;
using testing::ElementsAre;

namespace {

// The request's ends, and the clock's time at the last.
struct Finished {
    std::vector<bool> calls;
    double at = 0;
    void attach(ShareSheetModel& model) {
        model.finish = [this](bool shared) {
            calls.push_back(shared);
            at = Dispatch::Clock::now();
        };
    }
};

} // namespace

TEST_F(ShareSheetTest, TagsStartAtTheLastOneAndChipsPutAChosenTagFirst) {
    writeMac(0, {"Research", "Trips"});
    ASSERT_FALSE(store().writeExt({"work"}));
    auto model = ShareSheetModel::make(std::string(group));
    EXPECT_EQ(*model->tag, "work");
    EXPECT_THAT(model->chips(), ElementsAre("work", "Research", "Trips"));

    model->choose("Trips");
    EXPECT_EQ(*model->tag, "Trips");
    model->choose("Trips");
    EXPECT_EQ(*model->tag, std::nullopt) << "choosing the chosen tag clears it";

    model->choose("Research");
    struct Case {
        std::string typed;
        std::optional<std::string> tag;
    } cases[] = {
        {"  \t ", "Research"},
        {" Road\ntrip ", "Road trip"},
        {std::string(80, 'x'), std::string(60, 'x')},
    };
    for (const auto& c : cases) {
        model->addingTag = true;
        model->newTag = c.typed;
        model->commitNewTag();
        EXPECT_EQ(*model->tag, c.tag) << c.typed;
        EXPECT_EQ(*model->newTag, "");
        EXPECT_FALSE(*model->addingTag);
    }
    EXPECT_EQ(model->chips().front(), std::string(60, 'x'));
}

TEST_F(ShareSheetTest, ShowingADraftOrAProblemSetsThePhaseAndLogsIt) {
    std::vector<std::string> log;
    Foundation::setLogSink([&](const Foundation::LogEntry& entry) {
        log.push_back(entry.category + ": " + entry.message);
    });
    auto model = ShareSheetModel::make(std::string(group));
    EXPECT_FALSE(model->canAdd());
    model->show(ShareProblem::nothing());
    EXPECT_EQ(*model->phase, Phase{Phase::Problem{ShareProblem::nothing()}});
    model->show(fileDraft());
    EXPECT_EQ(*model->title, "Trip");
    EXPECT_TRUE(model->canAdd());
    Foundation::setLogSink({});
    EXPECT_THAT(log,
                ElementsAre("share: share refused: nothing", "share: share ready: file, 19 chars"));
}

TEST_F(ShareSheetTest, AddSavesOneItemWithTheTitleTagAndSourceAndRemembersTheTag) {
    auto model = ShareSheetModel::make(std::string(group));
    model->add();
    EXPECT_EQ(*model->phase, Phase{}) << "Add does nothing before a draft is ready";
    model->show(fileDraft());
    model->title = "  ";
    model->addingTag = true;
    model->newTag = "Trips";
    model->add();
    model->add();
    const auto items = outbox().items();
    ASSERT_EQ(items.size(), 1u) << "a second Add finds the sheet saving";
    EXPECT_EQ(items[0].title, "Trip") << "an empty title field stands for the draft's title";
    EXPECT_EQ(items[0].text, "# Trip\n\nMore notes.");
    EXPECT_EQ(items[0].tag, "Trips") << "a half-typed tag is taken";
    EXPECT_EQ(items[0].source, "Trip.md");
    EXPECT_EQ(items[0].createdAt, wallMilliseconds());
    EXPECT_EQ(store().ext().lastTag, "Trips");
    EXPECT_EQ(*model->phase, Phase{Phase::Saving{fileDraft()}});
}

TEST_F(ShareSheetTest, AddFailsVisiblyWithoutAnOutboxOrWhenTheItemCannotBeWritten) {
    auto lost = ShareSheetModel::make(std::nullopt);
    lost->show(fileDraft());
    lost->add();
    EXPECT_EQ(*lost->phase,
              Phase{Phase::SaveFailed{"This copy of Kestrelhaven can't save shares: it isn't "
                                      "signed for its App Group (macos/README.md)."}});

    Testing::writeText(outbox().directory, "a file where the folder belongs");
    auto blocked = ShareSheetModel::make(std::string(group));
    blocked->show(fileDraft());
    blocked->add();
    auto* failed = std::get_if<Phase::SaveFailed>(&blocked->phase->value);
    ASSERT_TRUE(failed);
    EXPECT_THAT(failed->message, testing::StartsWith("It couldn't be saved for Kestrelhaven: "));
}

TEST_F(ShareSheetTest, TheAnswerIsAwaitedOnlyWhileTheMenuBarApplicationIsAlive) {
    struct Case {
        double age;
        bool waits;
    } cases[] = {{149, true}, {150, false}};
    for (const auto& c : cases) {
        writeMac(c.age);
        auto model = ShareSheetModel::make(std::string(group));
        model->show(fileDraft());
        const double added = Dispatch::Clock::now();
        model->add();
        // The clock's time of the last change, the sheet's answer once it is done: the clock also
        // runs on in real time, so a slow machine may see it late, but never early.
        double changed = 0;
        const auto watching = model->subscribe([&] { changed = Dispatch::Clock::now(); });
        const auto isDone = [&] {
            return std::holds_alternative<Phase::Done>(model->phase->value);
        };
        if (c.waits) {
            EXPECT_TRUE(runFor(4.2, isDone));
            EXPECT_GE(changed - added, ShareTiming::answerWait) << "it looks for 4 seconds";
        } else {
            EXPECT_TRUE(runFor(0.01, isDone))
                << "no wait when the heartbeat is " << c.age << " s old";
        }
    }
}

TEST_F(ShareSheetTest, EachAnswerGivesItsLineCleansUpItsFilesAndClosesOnTime) {
    struct Case {
        std::optional<DossierShareAnswer::State> state;
        ShareResult result;
        bool itemKept;
        bool answerKept;
        std::optional<double> closesAfter;
    } cases[] = {
        {DossierShareAnswer::State::added, ShareResult::added("2 min · Trips"), true, false, 1.4},
        {DossierShareAnswer::State::refused, ShareResult::refused("It is empty."), false, false,
         std::nullopt},
        {DossierShareAnswer::State::held, ShareResult::waiting("Saved · not added yet: It waits."),
         true, true, 2.6},
    };
    for (const auto& c : cases) {
        writeMac(0);
        auto model = ShareSheetModel::make(std::string(group));
        Finished finished;
        finished.attach(*model);
        for (const auto& earlier : outbox().refs()) {
            outbox().remove(earlier);
        }
        model->show(fileDraft());
        model->add();
        double changed = 0;
        const auto watching = model->subscribe([&] { changed = Dispatch::Clock::now(); });
        ASSERT_EQ(outbox().refs().size(), 1u);
        const std::string ref = outbox().refs().front();
        ASSERT_FALSE(outbox().writeAnswer(
            {ref, *c.state,
             c.state == DossierShareAnswer::State::refused ? "It is empty." : "It waits.",
             std::string(c.state == DossierShareAnswer::State::held ? "slow" : "empty"), 2, "Trips",
             wallMilliseconds()}));
        ASSERT_TRUE(
            runFor(0.5, [&] { return std::holds_alternative<Phase::Done>(model->phase->value); }));
        EXPECT_EQ(*model->phase, (Phase{Phase::Done{fileDraft(), c.result}}));
        EXPECT_EQ(outbox().item(ref).has_value(), c.itemKept);
        EXPECT_EQ(outbox().answer(ref).has_value(), c.answerKept);
        if (c.closesAfter) {
            // Timed from the answer's change on the clock, which a slow machine may see late
            // but never early.
            const double answered = changed;
            EXPECT_TRUE(runFor(*c.closesAfter + 0.15, [&] { return !finished.calls.empty(); }));
            EXPECT_GE(finished.at - answered, *c.closesAfter);
            EXPECT_THAT(finished.calls, ElementsAre(true));
            model->cancel();
            model->dismiss();
            EXPECT_EQ(finished.calls.size(), 1u) << "the request ends exactly once";
        } else {
            EXPECT_FALSE(runFor(5, [&] { return !finished.calls.empty(); }))
                << "a refused share waits for Done";
            model->dismiss();
            model->dismiss();
            EXPECT_THAT(finished.calls, ElementsAre(false));
        }
    }
}

TEST_F(ShareSheetTest, WithoutAnAnswerTheSheetSaysItWaitsAndClosesAsShared) {
    writeMac(0);
    auto model = ShareSheetModel::make(std::string(group));
    Finished finished;
    finished.attach(*model);
    model->show(fileDraft());
    model->add();
    // The bridge stops while the sheet waits: the line tells what the menu says after the wait.
    runFor(0.1);
    ASSERT_FALSE(store().writeMac({{}, 300000, false, false, wallMilliseconds()}));
    ASSERT_TRUE(runFor(7, [&] { return !finished.calls.empty(); }));
    auto* done = std::get_if<Phase::Done>(&model->phase->value);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->result, ShareResult::waiting("Saved · it goes to your Dossier when "
                                                 "Kestrelhaven's bridge is running"));
    EXPECT_EQ(outbox().items().size(), 1u) << "the item stays for the relay";
    EXPECT_THAT(finished.calls, ElementsAre(true));
}

TEST_F(ShareSheetTest, CancelEndsTheRequestAsNotSharedOnce) {
    auto model = ShareSheetModel::make(std::string(group));
    Finished finished;
    finished.attach(*model);
    model->cancel();
    model->cancel();
    model->dismiss();
    EXPECT_THAT(finished.calls, ElementsAre(false));
}

TEST_F(ShareSheetTest, DemoModelsTakeTheirPhaseAndTagAndNeverSave) {
    const ShareTags tags({"Research", "Trips"}, "Trips", 300000, false);
    auto ready = ShareSheetModel::demo(Phase{Phase::Ready{fileDraft()}}, tags, "Reading");
    EXPECT_EQ(*ready->title, "Trip");
    EXPECT_EQ(*ready->tag, "Reading");
    ready->add();
    EXPECT_TRUE(std::holds_alternative<Phase::SaveFailed>(ready->phase->value));
    for (const Phase& phase : {Phase{Phase::Problem{ShareProblem::nothing()}},
                               Phase{Phase::SaveFailed{"No."}}, Phase{}}) {
        auto model = ShareSheetModel::demo(phase, tags, std::nullopt);
        EXPECT_EQ(*model->title, "");
        EXPECT_EQ(*model->tag, std::nullopt);
    }
}
