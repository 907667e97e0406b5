#include "uninstall/UninstallSection.h"
#include "uninstall/UninstallSheet.h"

#include <AppKit/Application.h>
#include <Dispatch/RunLoop.h>
#include <Testing/Testing.h>
#include <atomic>
#include <cstdlib>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;
using testing::Not;
using Outcome = SwiftUI::HostingController::Outcome;
using Status = UninstallStep::Status;

namespace {

UninstallStep step(std::string title, Status status, std::string detail = "why") {
    return {.title = std::move(title), .status = status, .detail = std::move(detail)};
}

// The uninstall section in a form, its model running a scripted engine: the plan and the
// steps are the test's, and a run waits until the test lets it finish.
class UninstallSheetView : public testing::Test {
protected:
    void SetUp() override { Testing::useTestHome(); }
    void TearDown() override { finishRun(); }

    UninstallModel::Engine engine() {
        return {[this] { return plan; },
                [this, finished = finished.get_future().share()](bool deleteData) {
                    deleteDataSeen = deleteData;
                    finished.wait();
                    return steps;
                }};
    }
    void finishRun() {
        if (!released.exchange(true))
            finished.set_value();
    }
    bool waitFor(const std::function<bool()>& done) {
        return Dispatch::RunLoop::main().runUntil(done, 5);
    }

    std::vector<std::string> plan;
    std::vector<UninstallStep> steps;
    std::atomic<bool> deleteDataSeen = false;
    std::promise<void> finished;
    std::atomic<bool> released = false;
    std::shared_ptr<UninstallModel> model = std::make_shared<UninstallModel>(engine());
    SwiftUI::HostingController host{SwiftUI::Form({UninstallSection{
        .model = SwiftUI::StateObject<UninstallModel>([this] { return model; })}})};
};

TEST_F(UninstallSheetView, TheSectionOpensTheSheetOnLookingUntilThePlanArrives) {
    const std::string closed = host.renderText();
    EXPECT_THAT(closed, HasSubstr("Section \"Uninstall\"\n"
                                  "    Button \"Uninstall Kestrelhaven…\" destructive\n"));
    EXPECT_THAT(closed, HasSubstr("It works even when the bridge doesn't."));
    EXPECT_THAT(closed, Not(HasSubstr("Sheet")));

    plan = {"The dossier command in ~/.local/bin.", "The bridge's socket, ~/.kestrelhaven/x."};
    ASSERT_EQ(host.press("Uninstall Kestrelhaven…"), Outcome::Performed);
    const std::string looking = host.renderText();
    EXPECT_THAT(looking, HasSubstr("Sheet"));
    EXPECT_THAT(looking, HasSubstr("Text \"Looking…\""));
    EXPECT_EQ(host.press("Uninstall"), Outcome::Disabled);

    ASSERT_TRUE(waitFor([&] { return model->plan->has_value(); }));
    const std::string planned = host.renderText();
    EXPECT_THAT(planned, Not(HasSubstr("Looking…")));
    EXPECT_THAT(planned, HasSubstr("Text \"This removes:\""));
    EXPECT_THAT(planned,
                HasSubstr("Label \"The dossier command in ~/.local/bin.\" symbol=minus.circle"));
    EXPECT_THAT(planned, HasSubstr("Toggle off"));
    EXPECT_THAT(planned, HasSubstr("Button \"Uninstall\" destructive\n"));

    // Escape closes the sheet.
    EXPECT_EQ(host.pressEscape(), Outcome::Performed);
    EXPECT_FALSE(*model->showing);
    EXPECT_THAT(host.renderText(), Not(HasSubstr("Sheet")));
}

TEST_F(UninstallSheetView, AnEmptyPlanSaysSoAndStillLetsTheUninstallRun) {
    host.press("Uninstall Kestrelhaven…");
    ASSERT_TRUE(waitFor([&] { return model->plan->has_value(); }));
    const std::string text = host.renderText();
    EXPECT_THAT(text, HasSubstr("Text \"Nothing of Kestrelhaven's is installed in Claude Code or "
                                "launchd.\" color=secondary"));
    EXPECT_THAT(text, Not(HasSubstr("This removes:")));
    finishRun();
    EXPECT_EQ(host.press("Uninstall"), Outcome::Performed);
    EXPECT_TRUE(waitFor([&] { return model->results->has_value(); }));
}

TEST_F(UninstallSheetView, TheRunTakesTheChoiceMadeBeforeItAndShowsEveryStep) {
    steps = {step("Background service", Status::done, "unregistered"),
             step("Socket", Status::notFound, "no socket"),
             step("Hooks in ~/.claude/settings.json", Status::failed, "can't read it")};
    host.press("Uninstall Kestrelhaven…");
    ASSERT_TRUE(waitFor([&] { return model->plan->has_value(); }));
    ASSERT_EQ(host.toggle("Also delete Kestrelhaven's data"), Outcome::Performed);
    ASSERT_EQ(host.press("Uninstall"), Outcome::Performed);

    const std::string running = host.renderText();
    EXPECT_THAT(running, HasSubstr("Text \"Uninstalling…\""));
    EXPECT_EQ(host.press("Uninstall"), Outcome::Disabled);
    // Changing the choice now changes nothing for the run under way.
    ASSERT_EQ(host.toggle("Also delete Kestrelhaven's data"), Outcome::Performed);
    finishRun();
    ASSERT_TRUE(waitFor([&] { return model->results->has_value(); }));
    EXPECT_TRUE(deleteDataSeen);
    EXPECT_FALSE(*model->running);

    // Outside the user's home folder the record's path is shown whole.
    ::setenv("HOME", "/somewhere/else", 1);
    const std::string finished = host.renderText();
    EXPECT_THAT(finished,
                HasSubstr("Text \"Uninstalled, with 1 problem\" font=title2 weight=bold"));
    EXPECT_THAT(finished, HasSubstr("Image symbol=checkmark.circle.fill color=green"));
    EXPECT_THAT(finished, HasSubstr("Image symbol=minus.circle color=secondary"));
    EXPECT_THAT(finished, HasSubstr("Image symbol=xmark.octagon.fill color=red"));
    EXPECT_THAT(finished, HasSubstr("Text \"can't read it\" font=caption color=secondary "
                                    "selectable"));
    EXPECT_THAT(finished, HasSubstr("Text \"Still to do by hand\" weight=bold"));
    EXPECT_THAT(finished,
                HasSubstr("Text \"• Drag Kestrelhaven from Applications to the Trash.\""));
    EXPECT_THAT(
        finished,
        HasSubstr("Text \"A record is in " +
                  (Testing::useTestHome() / "Library/Logs/Kestrelhaven-uninstall.log").string() +
                  ".\""));
    EXPECT_THAT(finished, Not(HasSubstr("Uninstall Kestrelhaven?")));
    // Under the user's home folder the record's path is abbreviated.
    ::setenv("HOME", Testing::useTestHome().c_str(), 1);
    SwiftUI::HostingController sheet(SwiftUI::View(UninstallSheet{.model = model}));
    EXPECT_THAT(sheet.renderText(),
                HasSubstr("Text \"A record is in ~/Library/Logs/Kestrelhaven-uninstall.log.\""));

    // Return quits; Close only hides the sheet.
    EXPECT_EQ(host.pressReturn(), Outcome::Performed);
    EXPECT_TRUE(AppKit::Application::shared().isTerminating());
    EXPECT_EQ(host.press("Close"), Outcome::Performed);
    EXPECT_FALSE(*model->showing);

    // Reopening starts on a fresh confirmation page with the toggle off.
    host.press("Uninstall Kestrelhaven…");
    const std::string reopened = host.renderText();
    EXPECT_THAT(reopened, HasSubstr("Uninstall Kestrelhaven?"));
    EXPECT_THAT(reopened, HasSubstr("Looking…"));
    EXPECT_THAT(reopened, HasSubstr("Toggle off"));
    EXPECT_FALSE(model->results->has_value());
    // The new plan reads this fixture; it must be in before the fixture goes.
    EXPECT_TRUE(waitFor([&] { return model->plan->has_value(); }));
}

TEST_F(UninstallSheetView, ClosingTheSheetLetsTheRunFinish) {
    host.press("Uninstall Kestrelhaven…");
    ASSERT_TRUE(waitFor([&] { return model->plan->has_value(); }));
    host.press("Uninstall");
    EXPECT_EQ(host.press("Cancel"), Outcome::Performed);
    finishRun();
    EXPECT_TRUE(waitFor([&] { return model->results->has_value() && !*model->running; }));
    EXPECT_FALSE(*model->showing);
}

TEST_F(UninstallSheetView, ALongRunScrollsWithinItsRegion) {
    for (int i = 0; i < 40; ++i)
        steps.push_back(step("Step " + std::to_string(i), Status::done));
    finishRun();
    host.press("Uninstall Kestrelhaven…");
    ASSERT_TRUE(waitFor([&] { return model->plan->has_value(); }));
    host.press("Uninstall");
    ASSERT_TRUE(waitFor([&] { return model->results->has_value(); }));
    const std::string text = host.renderText({.frames = true});
    const std::size_t scroll = text.find("ScrollView");
    ASSERT_NE(scroll, std::string::npos) << text;
    const std::string line = text.substr(scroll, text.find('\n', scroll) - scroll);
    const std::size_t by = line.rfind('x');
    EXPECT_LE(std::stod(line.substr(by + 1)), 280) << line;
    EXPECT_THAT(text, HasSubstr("Button \"Quit Kestrelhaven\" default"));
}

TEST(UninstallSheetTitle, CountsOnlyFailedSteps) {
    const struct {
        std::vector<UninstallStep> steps;
        std::string title;
    } cases[] = {
        {{}, "Kestrelhaven is uninstalled"},
        {{step("a", Status::done), step("b", Status::notFound)}, "Kestrelhaven is uninstalled"},
        {{step("a", Status::failed), step("b", Status::notFound)}, "Uninstalled, with 1 problem"},
        {{step("a", Status::failed), step("b", Status::done), step("c", Status::failed)},
         "Uninstalled, with 2 problems"},
    };
    for (const auto& each : cases)
        EXPECT_EQ(UninstallSheet::finishedTitle(each.steps), each.title);
}

} // namespace
