// The Add a Container window: made once, each opening starting over, closing stopping the poll.
#include "settings/ContainerWindowController.h"
#include "settings/tests/ContainerFixture.h"

#include <AppKit/Application.h>
#include <SwiftUI/HostingView.h>
#include <gmock/gmock.h>

using testing::HasSubstr;
using Outcome = SwiftUI::HostingController::Outcome;
using Kind = ContainerSetupModel::Phase::Kind;

using ContainerWindow = WithContainerBridge;

TEST_F(ContainerWindow, IsMadeOnceAndEachOpeningStartsOver) {
    auto& controller = ContainerWindowController::shared();
    EXPECT_FALSE(controller.window());
    const auto model = controller.model();
    const int activations = AppKit::Application::shared().activationCount();

    controller.show(std::nullopt);
    const auto window = controller.window();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->title(), "Add a Container");
    EXPECT_EQ(window->styleMask(), AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
    EXPECT_FALSE(window->isReleasedWhenClosed());
    EXPECT_TRUE(window->isCentered());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->contentSize().width, 640);
    EXPECT_EQ(AppKit::Application::shared().activationCount(), activations + 1);
    auto* host = SwiftUI::hostingController(*window);
    ASSERT_TRUE(host);

    // A new name is typed; opening without a name starts a fresh form, in the same window.
    EXPECT_EQ(host->type("Docker", "CI box"), Outcome::Performed);
    model->copied = std::string("line");
    model->shape = ContainerSetupModel::Shape::compose;
    controller.show(std::nullopt);
    EXPECT_EQ(controller.window(), window);
    EXPECT_EQ(controller.model(), model);
    EXPECT_EQ(*model->label, "Docker");
    EXPECT_EQ(*model->copied, std::nullopt);
    EXPECT_EQ(*model->shape, ContainerSetupModel::Shape::compose);

    // Cancel closes the window; a name that the tool does not know fails inside it.
    EXPECT_EQ(host->press("Cancel"), Outcome::Performed);
    EXPECT_FALSE(window->isVisible());
    controller.show("ghost");
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_THAT(host->renderText(), HasSubstr("Text \"Asking the bridge…\""));
    ASSERT_TRUE(settled(*model));
    EXPECT_THAT(host->renderText(),
                HasSubstr("Text \"No environment is named “ghost”.\" color=red selectable"));
    const double height = window->contentSize().height;
    EXPECT_EQ(host->press("Try Again"), Outcome::Performed);
    host->update();
    // The window follows its content's height.
    EXPECT_NE(window->contentSize().height, height);
    EXPECT_EQ(window->contentSize().height, host->fittingSize().height);
}

TEST_F(ContainerWindow, ClosingStopsThePollAndReopeningStartsOver) {
    addContainer("box", "Box");
    auto& controller = ContainerWindowController::shared();
    const auto& model = *controller.model();
    controller.show("box");
    ASSERT_TRUE(settled(model));
    ASSERT_EQ(model.phase->kind, Kind::showing);
    auto* host = SwiftUI::hostingController(*controller.window());
    EXPECT_THAT(host->renderText(), HasSubstr("Text \"Waiting for Box to check in…\""));
    EXPECT_TRUE(model.isPolling());

    EXPECT_EQ(host->press("Done"), Outcome::Performed);
    EXPECT_FALSE(controller.window()->isVisible());
    EXPECT_FALSE(model.isPolling());

    controller.show("box");
    EXPECT_THAT(host->renderText(), HasSubstr("Text \"Asking the bridge…\""));
    ASSERT_TRUE(settled(model));
    EXPECT_TRUE(model.isPolling());

    // Closed while the tool runs: the setup arrives, but nothing polls.
    controller.show("box");
    controller.window()->close();
    ASSERT_TRUE(settled(model));
    EXPECT_EQ(model.phase->kind, Kind::showing);
    EXPECT_FALSE(model.isPolling());
}

TEST_F(ContainerWindow, ARefusedContainerTurnsGreenWhenItChecksIn) {
    addContainer("box", "Box");
    planCheckIn("box", {.refusedAfter = 0, .checkedAfter = 30'000});
    auto& controller = ContainerWindowController::shared();
    const auto& model = *controller.model();
    controller.show("box");
    ASSERT_TRUE(settled(model));
    auto* host = SwiftUI::hostingController(*controller.window());
    ASSERT_TRUE(afterPoll(model, ContainerSetupModel::Connection::Kind::refused));
    EXPECT_THAT(host->renderText(),
                HasSubstr("Label \"Box reached this Mac, but Tailscale only refused it"));
    ASSERT_TRUE(afterPoll(model, ContainerSetupModel::Connection::Kind::connected, 30));
    EXPECT_THAT(host->renderText(),
                HasSubstr("Label \"Box connected. Its Claude Code sessions show on your phone "
                          "from their next start.\" symbol=checkmark.circle.fill color=green"));
}
