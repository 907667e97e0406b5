#include <AppExtensions/ExtensionContext.h>
#include <AppExtensions/ExtensionRequest.h>
#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Bundle.h>
#include <SwiftUI/HostingView.h>
#include <Testing/Testing.h>
#include <cmath>
#include <gmock/gmock.h>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>
#include <share-extension/ShareViewController.h>

using namespace AppExtensions;
using Phase = ShareSheetModel::Phase;
using Foundation::PropertyList;

namespace {

constexpr const char* group = "group.test.kestrelhaven";

// Runs the controller as the extension host would, on an extension bundle with `info`.
class ShareViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("HOME", m_folder.path().c_str(), 1); }
    void start(PropertyList::Dictionary info, std::vector<SharedItem> items) {
        info["KHAppGroup"] = group;
        ASSERT_TRUE(Foundation::Bundle::setMain(
            Testing::makeBundle(m_folder.path(), info, "KestrelhavenShare.appex")));
        context = std::make_shared<ExtensionContext>(extensionItems(items));
        controller = std::make_shared<ShareViewController>();
        controller->setExtensionContext(context);
        controller->loadViewIfNeeded();
    }
    // Lets the loading task and the sheet's waits run, moving the clock on.
    bool runUntil(const std::function<bool()>& done, double seconds = 5) {
        for (double passed = 0; passed <= seconds; passed += 0.05) {
            Dispatch::RunLoop::main().runUntil(done, 0.005);
            if (done()) {
                return true;
            }
            Dispatch::Clock::advance(0.05);
        }
        return done();
    }
    std::filesystem::path file(const std::string& name, const std::string& text) {
        Testing::writeText(m_folder.path() / name, text);
        return m_folder.path() / name;
    }
    std::vector<DossierOutboxItem> items() const { return DossierOutbox::shared(group)->items(); }

    std::shared_ptr<ExtensionContext> context;
    std::shared_ptr<ShareViewController> controller;

private:
    Testing::TemporaryFolder m_folder;
};

} // namespace

TEST(ShareViewController, AnAutomaticAddNeedsAFiniteNumberOfSecondsThatFitsNanoseconds) {
    struct Case {
        std::optional<PropertyList> value;
        std::optional<double> delay;
    } cases[] = {
        {PropertyList(0), 0.0},
        {PropertyList(2.5), 2.5},
        {PropertyList("1"), std::nullopt},
        {PropertyList(-1), std::nullopt},
        {PropertyList(std::nan("")), std::nullopt},
        {PropertyList(INFINITY), std::nullopt},
        {PropertyList(1e11), std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShareViewController::autoAddDelay(c.value ? &*c.value : nullptr), c.delay);
    }
}

TEST_F(ShareViewControllerTest, LoadsTheShareAndAddsItAutomaticallyWithTheTagAsked) {
    const auto notes = file("Trip.md", "# Trip\n\nMore notes.");
    start({{"KHShareAutoAdd", 0}, {"KHShareAutoTag", "Trips"}},
          {{std::nullopt, std::nullopt, {{SharedAttachment::Kind::File, notes.string()}}}});
    ASSERT_TRUE(controller->model);
    auto* view = dynamic_cast<SwiftUI::HostingView*>(controller->view().get());
    ASSERT_TRUE(view);
    EXPECT_EQ(controller->preferredContentSize(), (AppKit::Size{460, 430}));
    EXPECT_EQ(*controller->model->phase, Phase{}) << "loading starts after the view loads";

    ASSERT_TRUE(runUntil([&] { return context->outcome().has_value(); }, 5));
    EXPECT_EQ(context->outcome(), (ExtensionContext::Outcome{true, std::nullopt}));
    const auto saved = items();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].title, "Trip");
    EXPECT_EQ(saved[0].tag, "Trips");
    EXPECT_EQ(saved[0].source, "Trip.md");
}

TEST_F(ShareViewControllerTest, NoAutomaticAddForAProblemAndCancelEndsTheRequestAsTheUsers) {
    start({{"KHShareAutoAdd", 0}}, {});
    ASSERT_TRUE(runUntil(
        [&] { return std::holds_alternative<Phase::Problem>(controller->model->phase->value); }));
    runUntil([] { return false; }, 1);
    EXPECT_TRUE(items().empty());
    EXPECT_FALSE(context->outcome());
    controller->model->cancel();
    EXPECT_EQ(context->outcome(), (ExtensionContext::Outcome{false, userCancelled}));
}

TEST_F(ShareViewControllerTest, AnEmptyAutomaticTagKeepsTheLastTag) {
    ASSERT_FALSE(ShareStateStore::shared(group)->writeExt({"work"}));
    start({{"KHShareAutoAdd", 0}, {"KHShareAutoTag", ""}}, {{std::nullopt, "Words to keep", {}}});
    ASSERT_TRUE(runUntil([&] { return context->outcome().has_value(); }));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].tag, "work");
}

TEST_F(ShareViewControllerTest, AnAbsentAutomaticTagKeepsTheLastTag) {
    ASSERT_FALSE(ShareStateStore::shared(group)->writeExt({"work"}));
    start({{"KHShareAutoAdd", 0}}, {{std::nullopt, "Words to keep", {}}});
    ASSERT_TRUE(runUntil([&] { return context->outcome().has_value(); }));
    ASSERT_EQ(items().size(), 1u);
    EXPECT_EQ(items()[0].tag, "work");
}

TEST_F(ShareViewControllerTest, AnAutomaticAddGivenAsTextIsIgnoredAndTheLastTagStays) {
    ASSERT_FALSE(ShareStateStore::shared(group)->writeExt({"work"}));
    start({{"KHShareAutoAdd", "0"}}, {{std::nullopt, "Words to keep", {}}});
    ASSERT_TRUE(runUntil([&] { return controller->model->canAdd(); }));
    runUntil([] { return false; }, 1);
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(*controller->model->tag, "work");
    std::weak_ptr<ShareViewController> weak = controller;
    auto model = controller->model;
    controller.reset();
    EXPECT_TRUE(weak.expired());
    model->cancel();
    EXPECT_FALSE(context->outcome()) << "the finish after the controller is gone does nothing";
}

TEST_F(ShareViewControllerTest, ACancelDuringTheAutomaticAddsWaitStillLetsTheAddFollow) {
    start({{"KHShareAutoAdd", 1}}, {{std::nullopt, "Words to keep", {}}});
    ASSERT_TRUE(runUntil([&] { return controller->model->canAdd(); }));
    controller->model->cancel();
    EXPECT_TRUE(items().empty());
    EXPECT_TRUE(runUntil([&] { return !items().empty(); }, 2));
    EXPECT_EQ(context->outcome(), (ExtensionContext::Outcome{false, userCancelled}));
}
