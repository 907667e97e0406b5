#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <AppKit/StatusBar.h>
#include <AppKit/TerminalWindow.h>
#include <AppKit/Window.h>
#include <Dispatch/RunLoop.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace AppKit;

namespace {

struct Closing : WindowDelegate {
    int closes = 0;
    void windowWillClose(Window& window) override {
        ++closes;
        EXPECT_TRUE(window.isVisible());
    }
};

struct Launching : ApplicationDelegate {
    int launches = 0;
    void applicationDidFinishLaunching() override {
        ++launches;
        Dispatch::RunLoop::main().perform(0, [] { Application::shared().terminate(); });
    }
};

} // namespace

TEST(Alert, RunsThroughThePresenterWhichAnswers) {
    std::vector<std::string> shown;
    Alert::setPresenter([&](const Alert& alert) {
        shown.push_back(alert.messageText() + " | " + alert.informativeText());
        for (const auto& button : alert.buttons())
            shown.push_back(button);
        return alertFirstButtonReturn + 2;
    });
    Alert alert;
    alert.setMessageText("Install Claude Code?");
    alert.setInformativeText("It opens Terminal.");
    alert.addButton("Open Terminal");
    alert.addButton("Copy Command");
    alert.addButton("Cancel");
    EXPECT_EQ(alert.runModal(), 1002);
    EXPECT_EQ(shown, (std::vector<std::string>{"Install Claude Code? | It opens Terminal.",
                                               "Open Terminal", "Copy Command", "Cancel"}));

    Alert plain;
    EXPECT_EQ(plain.buttons(), std::vector<std::string>{"OK"});
    EXPECT_EQ(plain.alertStyle(), AlertStyle::Warning);

    // Without a presenter a headless run answers with the first button.
    Alert::setPresenter({});
    EXPECT_EQ(alert.runModal(), alertFirstButtonReturn);
}

TEST(Alert, AHeadlessRunWritesItsTextsWithoutTheirControls) {
    Alert::setPresenter({});
    Alert alert;
    alert.setMessageText("The bridge says \x1b[2J");
    alert.setInformativeText("\x1b]52;c;aGk=\x07\tfirst\nthen\x1b[6n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(alert.runModal(), alertFirstButtonReturn);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Alert: The bridge says \uFFFD[2J — \uFFFD]52;c;aGk=\uFFFD\tfirst\nthen\uFFFD[6n\n");
}

TEST(Window, ShowsAsKeyAndClosesOnceTellingItsDelegateAndObservers) {
    auto first = Window::make({300, 200}, WindowStyle::titled | WindowStyle::closable);
    auto panel = Panel::make({340, 430}, WindowStyle::titled);
    EXPECT_TRUE(panel->isPanel());
    EXPECT_FALSE(first->isPanel());
    auto delegate = std::make_shared<Closing>();
    first->setDelegate(delegate);
    int observed = 0;
    first->addWillCloseObserver([&](Window&) { ++observed; });

    EXPECT_FALSE(first->isVisible());
    first->close();
    EXPECT_EQ(delegate->closes, 0);

    first->makeKeyAndOrderFront();
    panel->makeKeyAndOrderFront();
    EXPECT_TRUE(panel->isKeyWindow());
    EXPECT_FALSE(first->isKeyWindow());
    first->makeKeyAndOrderFront();
    EXPECT_TRUE(first->isKeyWindow());
    EXPECT_EQ(Application::shared().windows().size(), 2u);

    first->close();
    first->close();
    EXPECT_EQ(delegate->closes, 1);
    EXPECT_EQ(observed, 1);
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(panel->isKeyWindow());

    // A closed window can come back.
    first->makeKeyAndOrderFront();
    EXPECT_TRUE(first->isKeyWindow());
    panel->close();
    first->close();
    EXPECT_TRUE(Application::shared().windows().empty());
    EXPECT_FALSE(Application::shared().keyWindow());
}

TEST(Window, TellsQueuedObserversOnTheirQueueBeforeTheCloseEnds) {
    auto window = Window::make({300, 200}, WindowStyle::titled | WindowStyle::closable);
    std::vector<std::string> told;
    window->addWillCloseObserver(Dispatch::DispatchQueue::main(), [&](Window& closing) {
        told.push_back(Dispatch::RunLoop::isMainThread() && closing.isVisible() ? "main" : "?");
    });
    auto work = Dispatch::DispatchQueue::serial("window-tests");
    window->addWillCloseObserver(
        work, [&](Window&) { told.push_back(Dispatch::RunLoop::isMainThread() ? "?" : "work"); });
    window->makeKeyAndOrderFront();
    window->close();
    // Both were told, in order, before the window went.
    EXPECT_EQ(told, (std::vector<std::string>{"main", "work"}));
    EXPECT_FALSE(window->isVisible());
}

TEST(Application, RunsTheLoopAfterLaunchingUntilTerminated) {
    auto& app = Application::shared();
    app.setActivationPolicy(ActivationPolicy::Accessory);
    EXPECT_EQ(app.activationPolicy(), ActivationPolicy::Accessory);
    auto delegate = std::make_shared<Launching>();
    app.setDelegate(delegate);
    app.run();
    EXPECT_EQ(delegate->launches, 1);
    EXPECT_TRUE(app.isTerminating());

    const int before = app.activationCount();
    app.activate(true);
    EXPECT_EQ(app.activationCount(), before + 1);
    EXPECT_TRUE(app.isActive());

    // The delegate is held weakly.
    delegate.reset();
    EXPECT_FALSE(app.delegate());
}

TEST(StatusBar, KnowsItsItemsWhileTheirOwnersKeepThem) {
    auto item = StatusBar::system().statusItem(StatusItem::variableLength);
    item->button().setToolTip("Kestrelhaven");
    item->button().setImagePosition(ImagePosition::ImageOnly);
    item->setMenu(Menu::make());
    ASSERT_EQ(StatusBar::system().items().size(), 1u);
    EXPECT_EQ(StatusBar::system().items()[0]->button().toolTip(), "Kestrelhaven");
    item.reset();
    EXPECT_TRUE(StatusBar::system().items().empty());
}

namespace {

// A hosted view with two controls, the second disabled, that counts what it is told.
struct Counting : HostedView {
    std::vector<bool> visibility;

    CellDrawing drawCells(int width, bool) override {
        CellDrawing drawing{Graphics::CellCanvas(width, 1), {}, {}, {}, {}, {}};
        drawing.canvas.text(0, 0, "Set Up", {});
        return drawing;
    }
    bool handleKey(const KeyPress&) override { return false; }

protected:
    void windowDidChangeVisibility(bool visible) override { visibility.push_back(visible); }
};

} // namespace

TEST(Window, TellsItsContentViewWhenItComesAndGoes) {
    auto window = Window::make({580, 400}, WindowStyle::titled | WindowStyle::closable);
    window->setTitle("Kestrelhaven Setup");
    auto view = std::make_shared<Counting>();
    EXPECT_FALSE(view->window());
    window->setContentView(view);
    EXPECT_EQ(view->window(), window);

    window->makeKeyAndOrderFront();
    window->makeKeyAndOrderFront();
    window->close();
    window->makeKeyAndOrderFront();
    EXPECT_EQ(view->visibility, (std::vector<bool>{true, false, true}));

    // The terminal frames the view's cells, drawn as wide as the screen leaves them, with the
    // window's title.
    Graphics::CellCanvas screen(30, 5);
    TerminalWindow().draw(*window, screen, screen.bounds(), true);
    EXPECT_EQ(screen.plainLine(0), "┌─ Kestrelhaven Setup ───────┐");
    EXPECT_EQ(screen.plainLine(1), "│Set Up                      │");
    EXPECT_EQ(screen.plainLine(2), "└────────────────────────────┘");

    window->setContentView(nullptr);
    EXPECT_FALSE(view->window());
    window->close();
    EXPECT_EQ(view->visibility.size(), 3u);
}
