// The container model against the sample bridge: its tool run in the built bundle, and its
// server's environments list for the check-in poll.
#include "settings/tests/ContainerFixture.h"

#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

using testing::HasSubstr;
using Model = ContainerSetupModel;
using Kind = Model::Phase::Kind;
using Connection = Model::Connection;

using ContainerSetup = WithContainerBridge;

TEST_F(ContainerSetup, AddingMakesAContainerOfTheTrimmedLabelAndShowsItsSetup) {
    auto model = std::make_shared<Model>();
    model->label = " \tCI box  ";
    model->copied = std::string("line");
    model->add();
    EXPECT_EQ(model->phase->kind, Kind::working);
    ASSERT_TRUE(settled(*model));
    ASSERT_EQ(model->phase->kind, Kind::showing) << model->phase->description();
    const auto& setup = *model->phase->snippets;
    EXPECT_EQ(setup.name, "ci-box");
    EXPECT_EQ(setup.label, "CI box");
    EXPECT_EQ(setup.env_file, (home / ".kestrelhaven" / "containers" / "ci-box.env").string());
    EXPECT_TRUE(std::filesystem::exists(*setup.env_file));
    EXPECT_THAT(Testing::readText(home / ".kestrelhaven" / "environments.json"),
                HasSubstr("\"label\": \"CI box\""));
    // Adding leaves the label, the copied line and the connection alone, and starts the poll.
    EXPECT_EQ(*model->label, " \tCI box  ");
    EXPECT_EQ(*model->copied, "line");
    EXPECT_EQ(*model->connection, Connection::waiting());
    EXPECT_TRUE(model->isPolling());

    // The same name again: the bridge's sentence, and no poll.
    model->reset();
    EXPECT_FALSE(model->isPolling());
    model->label = "CI-Box";
    model->add();
    ASSERT_TRUE(settled(*model));
    EXPECT_EQ(*model->phase, Model::Phase::failed("Couldn't add CI-Box: an environment named "
                                                  "“ci-box” already exists."));
    EXPECT_FALSE(model->isPolling());
}

TEST_F(ContainerSetup, ShowingAnExistingContainerAsksTheToolAgain) {
    addContainer("box", "Box");
    auto model = std::make_shared<Model>();
    model->label = "Typed";
    model->copied = std::string("token");
    model->show("box");
    EXPECT_EQ(model->phase->kind, Kind::working);
    ASSERT_TRUE(settled(*model));
    ASSERT_EQ(model->phase->kind, Kind::showing);
    EXPECT_EQ(model->phase->snippets->label, "Box");
    EXPECT_EQ(*model->label, "Typed");
    EXPECT_EQ(*model->copied, "token");

    model->show("ghost");
    ASSERT_TRUE(settled(*model));
    EXPECT_EQ(*model->phase, Model::Phase::failed("No environment is named “ghost”."));
    EXPECT_FALSE(model->isPolling());
}

TEST_F(ContainerSetup, ThePollGoesFromWaitingToRefusedToConnectedAndThenStops) {
    addContainer("box", "Box");
    // The container is refused at once and checks in a minute after its setup was shown.
    planCheckIn("box", {.refusedAfter = 0, .checkedAfter = 60'000});
    auto model = std::make_shared<Model>();
    const double before = Foundation::SystemTime::now() * 1000;
    model->show("box");
    ASSERT_TRUE(settled(*model));
    ASSERT_EQ(model->phase->kind, Kind::showing);
    EXPECT_EQ(*model->connection, Connection::waiting());
    // The first look comes one interval later, not at once.
    EXPECT_TRUE(model->isPolling());
    EXPECT_EQ(environmentRequests(), 0u);

    EXPECT_TRUE(afterPoll(*model, Connection::Kind::refused));
    EXPECT_TRUE(model->isPolling());
    ASSERT_TRUE(afterPoll(*model, Connection::Kind::connected, 60));
    EXPECT_GE(model->connection->checkedAt, before + 60'000);
    EXPECT_FALSE(model->isPolling());
}

TEST_F(ContainerSetup, AnyAnswerWithTheRowCountsWhateverItsStatusAndOtherAnswersAreRetried) {
    addContainer("box", "Box");
    auto model = std::make_shared<Model>();
    model->show("box");
    ASSERT_TRUE(settled(*model));
    const auto far = nlohmann::json(1e15);
    server->script("/environments", SampleBridge::Reply::json(503, "bridge starting"));
    server->script("/environments",
                   SampleBridge::Reply::json(200, R"({"environments":[{"name":"Box",)"
                                                  R"("checked_at":1e15}]})"));
    server->script("/environments",
                   SampleBridge::Reply::json(500, R"({"environments":[{"name":"box",)"
                                                  R"("refused":{"at":)" +
                                                      far.dump() + "}}]}"));
    for (std::size_t tick = 1; tick <= 2; ++tick) {
        Dispatch::Clock::advance(Model::pollInterval);
        ASSERT_TRUE(
            Dispatch::RunLoop::main().runUntil([&] { return environmentRequests() == tick; }, 30));
    }
    EXPECT_TRUE(afterPoll(*model, Connection::Kind::refused));
    EXPECT_TRUE(model->isPolling());
}

TEST_F(ContainerSetup, TicksWhileACheckWaitsForTheBridgeAskNothing) {
    addContainer("box", "Box");
    auto model = std::make_shared<Model>();
    model->show("box");
    ASSERT_TRUE(settled(*model));
    auto held = SampleBridge::Reply::json(200, R"({"environments":[]})");
    held.gate = SampleBridge::Gate();
    server->script("/environments", held);
    Dispatch::Clock::advance(Model::pollInterval);
    ASSERT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return held.gate->reached(); }, 30));
    for (int tick = 0; tick < 3; ++tick) {
        Dispatch::Clock::advance(Model::pollInterval);
        // A block posted after the clock moved runs after the timer it made due.
        bool turned = false;
        Dispatch::RunLoop::main().perform([&] { turned = true; });
        ASSERT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return turned; }, 30));
    }
    // The tool runs on the model's queue after anything queued before it.
    held.gate->open();
    model->show("box");
    ASSERT_TRUE(settled(*model));
    EXPECT_EQ(environmentRequests(), 1u);
}

TEST_F(ContainerSetup, AResultOfAnEarlierRoundIsDropped) {
    addContainer("box", "Box");
    auto model = std::make_shared<Model>();
    std::vector<std::string> phases;
    // Each change is seen after the main-queue block that made it.
    auto watching = model->subscribe([&] {
        Dispatch::DispatchQueue::main().async(
            [&] { phases.push_back(model->phase->description()); });
    });
    model->show("box");
    model->reset();
    model->show("ghost");
    ASSERT_TRUE(settled(*model));
    EXPECT_EQ(model->phase->kind, Kind::failed);
    EXPECT_THAT(phases, testing::Not(testing::Contains("showing box")));
    EXPECT_FALSE(model->isPolling());

    model->show("box");
    model->stopPolling();
    ASSERT_TRUE(settled(*model));
    // Stopped before the setup came: it shows, but nothing polls.
    EXPECT_EQ(model->phase->kind, Kind::showing);
    EXPECT_FALSE(model->isPolling());
}
