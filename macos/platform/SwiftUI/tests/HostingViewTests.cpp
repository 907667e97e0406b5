#include "SetupLikeView.h"

#include <AppKit/Application.h>
#include <AppKit/TerminalPresentation.h>
#include <AppKit/TerminalWindow.h>
#include <AppKit/Workspace.h>
#include <Dispatch/RunLoop.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace SwiftUI;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct Appearing {
    std::shared_ptr<int> appearances;
    View body() const {
        return VStack({Text("Shown"), Link("Install", "https://example.com/setup")})
            .onAppear([count = appearances] { ++*count; });
    }
};

// A layout of a fixed size that counts how often it is measured.
struct Counted : Layout<Counted> {
    explicit Counted(std::shared_ptr<int> measured) : measured(std::move(measured)) {}
    Size sizeThatFits(ProposedViewSize, const LayoutSubviews&) const override {
        ++*measured;
        return {40, 20};
    }
    void placeSubviews(Rect, ProposedViewSize, const LayoutSubviews&) const override {}
    std::shared_ptr<int> measured;
};

bool eventually(const std::function<bool()>& condition) {
    return Dispatch::RunLoop::main().runUntil(condition, 5);
}

} // namespace

TEST(HostingView, TheWindowTakesTheViewsSizeAndFollowsIt) {
    auto model = std::make_shared<SetupLike::Model>();
    auto window = hostingWindow(SetupLike::Window{model},
                                AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
    HostingController* host = hostingController(*window);
    ASSERT_TRUE(host);
    const Size fitting = host->fittingSize();
    EXPECT_EQ(fitting.width, 580);
    EXPECT_EQ(window->contentSize(), fitting);
    EXPECT_EQ(host->frameSize(), fitting);

    // A published change redraws the view, and the window grows with it.
    window->makeKeyAndOrderFront();
    model->agents = {"com.example.dev"};
    ASSERT_TRUE(eventually([&] { return window->contentSize().height > fitting.height; }));
    EXPECT_EQ(window->contentSize(), host->fittingSize());
    EXPECT_EQ(host->frameSize(), host->fittingSize());

    // A window that hosts no view has no controller.
    EXPECT_EQ(hostingController(*AppKit::Window::make({10, 10}, 0)), nullptr);
    window->close();
}

TEST(HostingView, AWindowOnScreenMeasuresNothingUntilItsSizeIsAskedFor) {
    const auto measured = std::make_shared<int>(0);
    auto window = hostingWindow(Counted(measured)({Text("Shown")}), AppKit::WindowStyle::titled);
    window->makeKeyAndOrderFront();
    hostingController(*window)->update();
    EXPECT_EQ(*measured, 0);
    EXPECT_EQ(window->contentSize(), (Size{40, 20}));
    EXPECT_GT(*measured, 0);
    window->close();
}

TEST(HostingView, TheViewAppearsEachTimeItsWindowIsShownAndLinksOpenInTheWorkspace) {
    auto appearances = std::make_shared<int>(0);
    auto window = hostingWindow(Appearing{appearances}, AppKit::WindowStyle::titled);
    HostingController& host = *hostingController(*window);
    host.update();
    EXPECT_EQ(*appearances, 0);

    window->makeKeyAndOrderFront();
    EXPECT_EQ(*appearances, 1);
    window->close();
    window->makeKeyAndOrderFront();
    EXPECT_EQ(*appearances, 2);

    std::vector<std::string> opened;
    AppKit::Workspace::setOpener([&](const AppKit::Workspace::Opening& opening) {
        opened.push_back(opening.target);
        return true;
    });
    EXPECT_EQ(host.press("Install"), HostingController::Outcome::Performed);
    EXPECT_THAT(opened, ElementsAre("https://example.com/setup"));
    AppKit::Workspace::setOpener({});
    window->close();
}

TEST(HostingView, ATerminalDrawsTheViewInItsWindowAndGivesItsKeysToTheControls) {
    auto model = std::make_shared<SetupLike::Model>();
    auto window = hostingWindow(SetupLike::Window{model}, AppKit::WindowStyle::titled);
    window->setTitle("Kestrelhaven Setup");
    window->makeKeyAndOrderFront();
    auto& hosted = dynamic_cast<HostingView&>(*window->contentView());
    using Key = AppKit::KeyPress::Key;

    hosted.drawCells(78, true);
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_TRUE(hosted.handleKey({Key::Tab}));
    EXPECT_TRUE(hosted.handleKey({Key::Return}));
    EXPECT_EQ(model->checks, 1);

    // While busy every control is disabled and no key reaches one.
    model->busy = std::string("Adding hooks…");
    hosted.drawCells(78, true);
    hosted.handleKey({Key::Tab});
    hosted.handleKey({Key::Return});
    EXPECT_EQ(model->checks, 1);

    // The terminal shows the view's cells inside the window's frame.
    Graphics::CellCanvas screen(100, 40);
    AppKit::TerminalWindow().draw(*window, screen, screen.bounds(), true);
    std::string text;
    for (int y = 0; y < screen.height(); ++y) {
        text += screen.plainLine(y) + "\n";
    }
    EXPECT_THAT(text, HasSubstr("Kestrelhaven Setup"));
    EXPECT_THAT(text, HasSubstr("Adding hooks…"));
    window->close();
}

TEST(HostingView, ATerminalWithoutStylesMarksTheFocusedControlWithCharacters) {
    auto model = std::make_shared<SetupLike::Model>();
    auto window = hostingWindow(SetupLike::Window{model}, AppKit::WindowStyle::titled);
    window->makeKeyAndOrderFront();
    AppKit::TerminalPresentation::Presentation presentation(false);
    const auto shows = [&](std::string_view text) {
        const auto screen = presentation.draw(100, 40).canvas;
        for (int y = 0; y < screen.height(); ++y) {
            if (screen.plainLine(y).find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    // A button as an alert's is, the others between marks beside them.
    EXPECT_TRUE(shows("[ Check Again ] [›Done‹]"));
    presentation.handle({AppKit::KeyPress::Key::Tab});
    presentation.handle({AppKit::KeyPress::Key::Tab});
    EXPECT_TRUE(shows("›[x] Claude Code integration‹"));
    window->close();
}
