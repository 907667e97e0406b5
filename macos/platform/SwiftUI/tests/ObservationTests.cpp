#include "SetupLikeView.h"

#include <Dispatch/DispatchQueue.h>
#include <Dispatch/RunLoop.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace SwiftUI;
using ::testing::HasSubstr;
using ::testing::Not;
using Outcome = HostingController::Outcome;

namespace {

void turnRunLoop() {
    Dispatch::RunLoop::main().runFor(0.02);
}

} // namespace

TEST(Observation, PublishedChangesAreAnnouncedFirstAndRedrawOnceOnTheMainQueue) {
    auto model = std::make_shared<SetupLike::Model>();
    std::vector<bool> seenWhenAnnounced;
    auto subscription =
        model->subscribe([&] { seenWhenAnnounced.push_back(*model->hooksInstalled); });
    model->hooksInstalled = true;
    EXPECT_EQ(seenWhenAnnounced, (std::vector<bool>{false}));
    subscription.cancel();
    model->hooksInstalled = false;
    EXPECT_EQ(seenWhenAnnounced.size(), 1u);

    HostingController host(SetupLike::Window{model});
    int updates = 0;
    host.setOnUpdate([&] { ++updates; });
    host.update();
    std::size_t redraws = host.redrawCount();
    EXPECT_EQ(updates, 1);

    model->agents = {"one"};
    model->busy = std::string("Working…");
    model->hooksInstalled = true;
    turnRunLoop();
    EXPECT_EQ(host.redrawCount(), redraws + 1);
    EXPECT_EQ(updates, 2);
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"Working…\""));

    // Changes from another thread land on the main queue too.
    std::thread([model] {
        Dispatch::DispatchQueue::main().async([model] { model->busy = std::nullopt; });
    }).join();
    EXPECT_TRUE(
        Dispatch::RunLoop::main().runUntil([&] { return host.redrawCount() == redraws + 2; }, 5));
    EXPECT_THAT(host.renderText(), Not(HasSubstr("Working…")));

    // A change that is not published is not seen until something else redraws.
    model->checks = 42;
    turnRunLoop();
    EXPECT_EQ(host.redrawCount(), redraws + 2);
}

namespace {

class Uninstaller : public ObservableObject {
public:
    Published<int> refreshes{this, 0};
    static inline int made = 0;
    Uninstaller() { ++made; }
};

struct Counter {
    std::string title;
    std::vector<std::string>* appearances;
    State<int> count{0};
    StateObject<Uninstaller> section{[] { return std::make_shared<Uninstaller>(); }};

    View body() const {
        return HStack({Text(title + " " + std::to_string(*count) + " " +
                            std::to_string(*section->refreshes)),
                       Button("More " + title, [this] { count.set(*count + 1); }),
                       Button("Refresh " + title,
                              [this] { section->refreshes = *section->refreshes + 1; })})
            .onAppear([this] { appearances->push_back(title); });
    }
};

class Screen : public ObservableObject {
public:
    Published<bool> showFirst{this, true};
    Published<std::vector<std::string>> names{this, {"a", "b"}};
    Published<int> devices{this, 0};
};

struct ScreenView {
    ObservedObject<Screen> screen;
    std::vector<std::string>* appearances;
    std::vector<int>* changes;

    View body() const {
        return VStack({If(*screen->showFirst, Counter{"first", appearances}),
                       ForEach(
                           *screen->names, [](const std::string& name) { return name; },
                           [this](const std::string& name) {
                               return Counter{name, appearances};
                           })})
            .onChange(*screen->devices, [this](const int& count) { changes->push_back(count); });
    }
};

} // namespace

TEST(Observation, StateLivesWithItsPlaceInTheTreeAndLifeCycleActionsFollowIt) {
    auto screen = std::make_shared<Screen>();
    std::vector<std::string> appearances;
    std::vector<int> changes;
    Uninstaller::made = 0;
    HostingController host(ScreenView{screen, &appearances, &changes});
    // Nothing is made until the host first draws.
    EXPECT_EQ(Uninstaller::made, 0);
    host.update();
    EXPECT_EQ(appearances, (std::vector<std::string>{"first", "a", "b"}));
    EXPECT_EQ(Uninstaller::made, 3);

    host.press("More first");
    host.press("More first");
    host.press("More a");
    host.press("Refresh b");
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"first 2 0\""));
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"a 1 0\""));
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"b 0 1\""));
    // Redraws made the views afresh, but neither state nor objects, nor appearances, again.
    EXPECT_EQ(Uninstaller::made, 3);
    EXPECT_EQ(appearances.size(), 3u);

    // Items keep their state when their order changes: identity is the key.
    screen->names = {"b", "a"};
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"b 0 1\"\n"));
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"a 1 0\"\n"));
    EXPECT_EQ(appearances.size(), 3u);

    // A view that leaves loses its state and appears anew when it comes back.
    screen->showFirst = false;
    host.update();
    screen->showFirst = true;
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"first 0 0\""));
    EXPECT_EQ(Uninstaller::made, 4);
    EXPECT_EQ(appearances.back(), "first");

    // Off screen nothing appears; back on screen everything does.
    appearances.clear();
    host.setOnScreen(false);
    host.setOnScreen(true);
    EXPECT_EQ(appearances, (std::vector<std::string>{"first", "b", "a"}));

    // onChange: not for the first value, then for each different one.
    screen->devices = 0;
    host.update();
    screen->devices = 2;
    host.update();
    screen->devices = 2;
    host.update();
    screen->devices = 1;
    host.update();
    EXPECT_EQ(changes, (std::vector<int>{2, 1}));
}

TEST(Observation, ActionsThatChangeStateOnAppearAreShownInTheSameUpdate) {
    struct Focusing {
        FocusState focused{};
        State<std::string> text{std::string()};
        View body() const {
            return TextField("New tag", text.binding()).focused(focused).onAppear([this] {
                focused.set(true);
            });
        }
    };
    HostingController host{Focusing{}};
    EXPECT_THAT(host.renderText(), HasSubstr("focused"));
    EXPECT_EQ(host.type("New tag", "Trips"), Outcome::Performed);
    EXPECT_THAT(host.renderText(), HasSubstr("TextField text=\"Trips\""));
}

namespace {

struct Delayed {
    State<int> count{0};
    View body() const {
        return VStack({Text("count " + std::to_string(*count)), Button("Later", [this] {
                           // Work that outlives this redraw holds a copy of the view: same state.
                           Dispatch::DispatchQueue::main().async(
                               [self = *this] { self.count.set(5); });
                       })});
    }
};

} // namespace

TEST(Observation, CopiesOfAViewShareItsStateAndBindingsKeepTheirModel) {
    HostingController host{Delayed{}};
    EXPECT_EQ(host.press("Later"), Outcome::Performed);
    turnRunLoop();
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"count 5\""));

    // A published field's binding keeps its model alive and announces its writes.
    auto model = std::make_shared<SetupLike::Model>();
    int announced = 0;
    auto subscription = model->subscribe([&] { ++announced; });
    Binding<bool> binding = model->mcpWanted.binding();
    std::weak_ptr<SetupLike::Model> weak = model;
    model.reset();
    ASSERT_FALSE(weak.expired());
    binding.set(false);
    EXPECT_FALSE(binding.get());
    EXPECT_EQ(announced, 1);

    // A state object outside any host belongs to its view and is made once.
    Counter counter{"alone", nullptr};
    EXPECT_EQ(counter.section.get(), counter.section.get());
}

TEST(Observation, SubscriptionsEndWithTheirObjectOrTheirOwner) {
    Subscription outlives;
    {
        auto model = std::make_shared<SetupLike::Model>();
        outlives = model->subscribe([] {});
    }
    outlives.cancel();

    auto model = std::make_shared<SetupLike::Model>();
    int calls = 0;
    {
        auto scoped = model->subscribe([&] { ++calls; });
        model->checks = 1;
        model->busy = std::string("x");
    }
    model->busy = std::nullopt;
    EXPECT_EQ(calls, 1);
}
