// The terminal presentation apart from any terminal: keys decoded from bytes, the menu, alerts
// and windows driven by key presses, and what is drawn read back from cells.
#include <AppKit/Application.h>
#include <AppKit/StatusBar.h>
#include <AppKit/TerminalOutput.h>
#include <AppKit/TerminalPopUp.h>
#include <AppKit/TerminalPresentation.h>
#include <AppKit/TerminalScreen.h>
#include <Dispatch/RunLoop.h>
#include <algorithm>
#include <csignal>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace AppKit;
using Graphics::CellCanvas;
using Key = KeyPress::Key;

namespace {

KeyPress key(Key which) {
    return {which, {}, 0};
}

KeyPress typed(std::string text) {
    return {Key::Character, std::move(text), 0};
}

KeyPress function(int number) {
    return {Key::Function, {}, number};
}

KeyPress control(std::string letter) {
    return {Key::Control, std::move(letter), 0};
}

std::string screenText(const CellCanvas& canvas) {
    std::string text;
    for (int y = 0; y < canvas.height(); ++y)
        text += canvas.plainLine(y) + "\n";
    return text;
}

bool shows(const CellCanvas& canvas, std::string_view text) {
    return screenText(canvas).find(text) != std::string::npos;
}

// The first row that shows `text`, from its first character on.
std::string rowWith(const CellCanvas& canvas, std::string_view text) {
    for (int y = 0; y < canvas.height(); ++y) {
        const std::string row = canvas.plainLine(y);
        if (const auto at = row.find(text); at != std::string::npos)
            return row.substr(at);
    }
    return {};
}

std::shared_ptr<MenuItem> action(std::string title, std::string keyEquivalent = {}) {
    return MenuItem::make(
        std::move(title), [](MenuItem&) {}, std::move(keyEquivalent));
}

struct Opening : MenuDelegate {
    std::vector<std::string> calls;
    void menuNeedsUpdate(Menu&) override { calls.push_back("update"); }
    void menuWillOpen(Menu&) override { calls.push_back("open"); }
    void menuDidClose(Menu&) override { calls.push_back("close"); }
};

// Rows of text as tall as asked, the focus on one row that Tab moves down by ten; with `top`,
// the focus is where it started.
struct Rows : HostedView {
    int rows = 60;
    int focused = 0;
    std::optional<int> top;
    std::vector<KeyPress> keys;

    CellDrawing drawCells(int width, bool) override {
        CellDrawing drawing{CellCanvas(std::min(width, 30), rows), {}, top, {}, {}, {}};
        for (int y = 0; y < rows; ++y)
            drawing.canvas.text(0, y, "row " + std::to_string(y), {});
        drawing.focus = Graphics::CellRect{0, focused, 8, 1};
        return drawing;
    }
    bool handleKey(const KeyPress& press) override {
        keys.push_back(press);
        if (press.key != Key::Tab)
            return false;
        focused += 10;
        return true;
    }
};

// A view `height` rows tall with a pop-up button on its last row, its list of `choices` open.
struct OpenList : HostedView {
    int height = 16;
    int choices = 7;
    int marked = 0;
    HostedView::CellHints hints;

    CellDrawing drawCells(int width, bool) override {
        CellDrawing drawing{CellCanvas(std::min(width, 30), height), {}, {}, {}, {}, hints};
        const Graphics::CellRect control{0, height - 1, 14, 1};
        drawing.canvas.text(0, control.y, "[ choice 0 ▾ ]", {});
        drawing.focus = control;
        CellCanvas rows(12, choices);
        for (int i = 0; i < choices; ++i)
            rows.text(1, i, "choice " + std::to_string(i), {});
        drawing.popUp = CellPopUp{std::move(rows), control, marked};
        return drawing;
    }
    bool handleKey(const KeyPress&) override { return false; }
};

// The row where `text` starts, or -1.
int rowOf(const CellCanvas& canvas, std::string_view text) {
    for (int y = 0; y < canvas.height(); ++y)
        if (canvas.plainLine(y).find(text) != std::string::npos)
            return y;
    return -1;
}

// Rows of text, the focus on one and a status on another, with a sheet that Ctrl-W closes.
struct Saying : HostedView {
    int focused = 14;
    int statusRow = 30;
    std::string status = "Waiting…";
    bool sheet = false;

    CellDrawing drawCells(int, bool) override {
        CellDrawing drawing{CellCanvas(30, 60), {}, {}, {}, {}, {}};
        for (int y = 0; y < 60; ++y)
            drawing.canvas.text(0, y, y == statusRow ? status : "row " + std::to_string(y), {});
        drawing.focus = Graphics::CellRect{0, focused, 8, 1};
        return drawing;
    }
    bool handleKey(const KeyPress&) override { return false; }
    bool cancelPresentation() override { return std::exchange(sheet, false); }
};

std::shared_ptr<Window> windowOf(std::string title, std::shared_ptr<View> view) {
    auto window = Window::make({300, 200}, WindowStyle::titled | WindowStyle::closable);
    window->setTitle(std::move(title));
    window->setContentView(std::move(view));
    window->makeKeyAndOrderFront();
    return window;
}

// A pseudo-terminal for a child process to take, closed with the test.
struct PseudoTerminal {
    int master = -1;
    int terminal = -1;

    PseudoTerminal() { EXPECT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0); }
    ~PseudoTerminal() {
        ::close(master);
        ::close(terminal);
    }
    // Runs `body` in a child process whose standard streams and controlling terminal are the
    // terminal, in a session of its own, ending with the status it returns; gives the child's
    // wait status.
    int run(const std::function<int()>& body) const {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setsid();
            ::ioctl(terminal, TIOCSCTTY, 0);
            for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
                ::dup2(terminal, descriptor);
            // Should the child hang, this ends it.
            ::alarm(10);
            ::_exit(body());
        }
        int status = -1;
        EXPECT_TRUE(child > 0 && ::waitpid(child, &status, 0) == child);
        return status;
    }
};

} // namespace

TEST(KeyDecoder, TurnsTerminalBytesIntoKeys) {
    const std::vector<std::pair<std::string, std::vector<KeyPress>>> table = {
        {"a\xc3\xa9", {typed("a"), typed("é")}},
        {"\r\n\t\x7f\x08",
         {key(Key::Return), key(Key::Tab), key(Key::Backspace), key(Key::Backspace)}},
        {"\x17\x01\x03\x1c\x1a",
         {control("w"), control("a"), control("c"), control("\\"), control("z")}},
        {"\x1b[A\x1b[B\x1bOC\x1bOD",
         {key(Key::Up), key(Key::Down), key(Key::Right), key(Key::Left)}},
        {"\x1b[H\x1b[1~\x1bOH\x1b[F\x1b[4~\x1b[8~",
         {key(Key::Home), key(Key::Home), key(Key::Home), key(Key::End), key(Key::End),
          key(Key::End)}},
        {"\x1b[3~\x1b[5~\x1b[6~\x1b[Z",
         {key(Key::Delete), key(Key::PageUp), key(Key::PageDown), key(Key::BackTab)}},
        {"\x1bOP\x1bOS\x1b[11~\x1b[15~\x1b[17~\x1b[21~\x1b[24~\x1b[[E",
         {function(1), function(4), function(1), function(5), function(6), function(10),
          function(12), function(5)}},
        // Modifiers do not change the key; unknown sequences go whole.
        {"\x1b[1;5A\x1b[99~x", {key(Key::Up), typed("x")}},
        {"\x1b\x1b[B", {key(Key::Escape), key(Key::Down)}},
        // Bytes that are no character, and C1 controls, are dropped.
        {"\xff\x80\xc2\x9b"
         "b",
         {typed("b")}},
    };
    for (const auto& [bytes, presses] : table) {
        KeyDecoder decoder;
        EXPECT_EQ(decoder.feed(bytes, 0), presses) << bytes;
    }

    // Sequences and characters split across reads wait for the rest; an escape that ends a read
    // waits a moment, then is the Escape key.
    KeyDecoder decoder;
    const double moment = KeyDecoder::escapeTimeout;
    EXPECT_TRUE(decoder.feed("\x1b", 0).empty());
    EXPECT_TRUE(decoder.expire(moment / 2).empty());
    EXPECT_EQ(decoder.feed("[A\x1b", moment / 2), std::vector<KeyPress>{key(Key::Up)});
    EXPECT_EQ(decoder.expire(moment * 2), std::vector<KeyPress>{key(Key::Escape)});
    EXPECT_FALSE(decoder.deadline());
    EXPECT_TRUE(decoder.feed("\x1b[", 0).empty());
    EXPECT_EQ(decoder.feed("6~\xe2\x9c", 0), std::vector<KeyPress>{key(Key::PageDown)});
    EXPECT_EQ(decoder.feed("\x93", 0), std::vector<KeyPress>{typed("✓")});

    // A paste is one press holding its text, escapes and line breaks included, however read.
    EXPECT_TRUE(decoder.feed("\x1b[200~one\r\ntwo\x1b[A", 0).empty());
    EXPECT_TRUE(decoder.feed("\rthree\x1b[20", 0).empty());
    EXPECT_EQ(decoder.feed("1~q", 0),
              (std::vector<KeyPress>{{Key::Paste, "one\ntwo\x1b[A\nthree", 0}, typed("q")}));
}

TEST(KeyDecoder, APasteEndsAtAPauseOrItsEndMarkPastItsSizeLimitAndTheKeysAfterItWorkAgain) {
    constexpr double pause = KeyDecoder::pasteTimeout;
    KeyDecoder decoder;
    // Bytes that keep coming keep a paste open; a pause ends it, even inside an end mark.
    const double last = 10 + pause / 2;
    EXPECT_TRUE(decoder.feed("\x1b[200~", 10).empty());
    EXPECT_TRUE(decoder.feed("ab\x1b[2", last).empty());
    EXPECT_TRUE(decoder.expire(10 + pause).empty());
    EXPECT_EQ(decoder.deadline(), last + pause);
    EXPECT_EQ(decoder.expire(last + pause), (std::vector<KeyPress>{{Key::Paste, "ab\x1b[2", 0}}));
    EXPECT_FALSE(decoder.deadline());
    EXPECT_EQ(decoder.feed("\x1b[21~", 11), std::vector<KeyPress>{function(10)});
    // A start mark alone ends with no press.
    EXPECT_TRUE(decoder.feed("\x1b[200~", 12).empty());
    EXPECT_TRUE(decoder.expire(12 + pause).empty());
    EXPECT_EQ(decoder.feed("q", 13), std::vector<KeyPress>{typed("q")});

    // Past its size limit, cut where a character ends, the rest of a paste goes unread to its end.
    const std::string flood(KeyDecoder::pasteLimit - 1, 'x');
    EXPECT_TRUE(decoder.feed("\x1b[200~" + flood + "\xc3\xa9\rq", 20).empty());
    const auto presses = decoder.feed("\t\x1b[21~more\x1b[201~z", 20);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].key, Key::Paste);
    EXPECT_EQ(presses[0].text.size(), flood.size());
    EXPECT_EQ(presses[1], typed("z"));
}

TEST(TerminalMenu, MovesOverWhatCanBeChosenAndOpensSubmenusAsTheyOpen) {
    auto root = Menu::make();
    const auto header = MenuItem::make("Devices");
    header->setEnabled(false);
    root->setAutoenablesItems(false);
    const auto phone = action("Mia's iPhone");
    const auto pin = MenuItem::make("Pin a Conversation");
    auto pins = Menu::make();
    auto delegate = std::make_shared<Opening>();
    pins->setDelegate(delegate);
    pins->addItem(action("tiles"));
    pin->setSubmenu(pins);
    const auto quit = action("Quit", "q");
    for (const auto& item : {header, phone, MenuItem::separator(), pin, quit})
        root->addItem(item);

    TerminalMenu menu(root);
    EXPECT_TRUE(root->isOpen());
    EXPECT_FALSE(menu.highlighted());
    menu.handle(key(Key::Down));
    EXPECT_EQ(menu.highlighted(), phone) << "the header is passed over";
    menu.handle(key(Key::Down));
    EXPECT_EQ(menu.highlighted(), pin) << "and the separator";
    menu.handle(key(Key::Right));
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"update", "open"}));
    EXPECT_EQ(menu.highlighted(), pins->itemAt(0));
    menu.handle(key(Key::Left));
    EXPECT_EQ(delegate->calls.back(), "close");
    EXPECT_EQ(menu.highlighted(), pin);
    menu.handle(key(Key::Down));
    menu.handle(key(Key::Down));
    EXPECT_EQ(menu.highlighted(), quit) << "the last stays";
    EXPECT_EQ(menu.handle(key(Key::Return)), TerminalMenu::Outcome::Chosen);
    EXPECT_EQ(menu.chosen(), quit);

    TerminalMenu again(root);
    EXPECT_EQ(again.handle(key(Key::Escape)), TerminalMenu::Outcome::Closed);
}

TEST(TerminalMenu, KeyEquivalentsChooseWhateverRowsComeAndGo) {
    auto root = Menu::make();
    const auto pair = action("Pair a Device…", "p");
    const auto settings = action("Settings…", ",");
    const auto quit = action("Quit", "q");
    root->addItem(pair);
    root->addItem(settings);
    root->addItem(quit);
    {
        TerminalMenu menu(root);
        // Rows that come while the menu is open change no key.
        root->insertItem(action("Mia's iPhone"), 0);
        root->insertItem(action("Pixel"), 0);
        EXPECT_EQ(menu.handle(typed(",")), TerminalMenu::Outcome::Chosen);
        EXPECT_EQ(menu.chosen(), settings);
    }
    root->setAutoenablesItems(false);
    pair->setEnabled(false);
    TerminalMenu menu(root);
    EXPECT_EQ(menu.handle(typed("p")), TerminalMenu::Outcome::Open) << "disabled rows take no key";
    EXPECT_EQ(menu.handle(typed("x")), TerminalMenu::Outcome::Open);
    EXPECT_FALSE(menu.chosen());

    // Rows too wide are cut, the key still at their right.
    quit->setTitle("Quit Kestrelhaven Menu, and stop every bridge it started on the way out");
    CellCanvas screen(40, 12);
    menu.draw(screen, 40, 0, 12);
    const std::string row = rowWith(screen, "Quit");
    EXPECT_EQ(row, "Quit Kestrelhaven Menu, and stop…  q │") << screenText(screen);
    EXPECT_TRUE(rowWith(screen, "Settings…").ends_with(", │"));
}

TEST(TerminalPopUp, OpensBelowElseAboveElseShiftedElseScrolledToTheMarkedRow) {
    using Graphics::CellRect;
    using TerminalPopUp::place;
    const CellRect room{0, 1, 80, 12};
    // Seven rows: nine with the frame.
    EXPECT_EQ(place({7, 30, {10, 3}, 2, 0}, room).box, (CellRect{10, 3, 32, 9}));
    EXPECT_EQ(place({7, 30, {10, 11}, 10, 0}, room).box, (CellRect{10, 1, 32, 9}));
    EXPECT_EQ(place({7, 30, {70, 8}, 7, 0}, room).box, (CellRect{48, 4, 32, 9}))
        << "neither below nor above: moved in, as little as it takes";
    EXPECT_EQ(place({7, 30, {10, 8}, std::nullopt, 0}, room).box.y, 4) << "a menu never flips";
    const auto scrolled = place({30, 30, {10, 3}, 2, 25}, room);
    EXPECT_EQ(scrolled.box, (CellRect{10, 1, 32, 12}));
    EXPECT_EQ(scrolled.first, 16) << "the marked row on the last row shown";
    EXPECT_EQ(place({30, 30, {10, 3}, 2, 4}, room).first, 0);
}

TEST(TerminalMenu, ASubmenuWithNoRoomBesideOrUnderItsRowOpensOverIt) {
    auto wide = Menu::make();
    for (int i = 0; i < 7; ++i)
        wide->addItem(action("A row as wide as the screen allows, number " + std::to_string(i)));
    const auto more = MenuItem::make("More");
    auto choices = Menu::make();
    for (const char* title : {"First", "Second", "Third", "Fourth"})
        choices->addItem(action(title));
    more->setSubmenu(choices);
    wide->addItem(more);
    TerminalMenu deep(wide);
    for (int i = 0; i < 8; ++i)
        deep.handle(key(Key::Down));
    deep.handle(key(Key::Right));
    CellCanvas small(40, 12);
    deep.draw(small, 40, 0, 12);
    const int row = rowOf(small, "›More");
    ASSERT_GE(row, 0) << screenText(small);
    for (const char* title : {"First", "Second", "Third", "Fourth"})
        EXPECT_LT(rowOf(small, title), row) << screenText(small);
}

TEST(TerminalAlert, ReturnTabEscapeAndThePlatformsButtonKeysAnswer) {
    Alert alert;
    alert.setMessageText("Install Claude Code?");
    alert.addButton("Open Terminal");
    alert.addButton("Copy Command");
    alert.addButton("Cancel");
    TerminalAlert box(alert);
    EXPECT_EQ(box.handle(key(Key::Return)), alertFirstButtonReturn);
    EXPECT_EQ(box.handle(key(Key::Escape)), alertFirstButtonReturn + 2);
    EXPECT_EQ(box.handle(key(Key::Tab)), std::nullopt);
    EXPECT_EQ(box.handle(key(Key::Return)), alertFirstButtonReturn + 1);
    EXPECT_EQ(box.handle(key(Key::Left)), std::nullopt);
    EXPECT_EQ(box.handle(key(Key::Left)), std::nullopt);
    EXPECT_EQ(box.handle(typed(" ")), alertFirstButtonReturn + 2) << "from the first back round";
    EXPECT_EQ(box.handle(typed("d")), std::nullopt);

    Alert save;
    save.addButton("Save");
    save.addButton("Don't Save");
    TerminalAlert saving(save);
    EXPECT_EQ(saving.handle(key(Key::Escape)), std::nullopt) << "no Cancel button";
    EXPECT_EQ(saving.handle(typed("d")), alertFirstButtonReturn + 1);
}

TEST(TerminalPresentation, FramesTheFrontWindowAndScrollsItsFocusIntoView) {
    TerminalPresentation::Presentation presentation;
    auto rows = std::make_shared<Rows>();
    const auto window = windowOf("Settings", rows);

    auto frame = presentation.draw(80, 24);
    EXPECT_TRUE(rowWith(frame.canvas, "┌─ Settings ─").ends_with("─┐"));
    EXPECT_TRUE(shows(frame.canvas, "│row 0 "));
    EXPECT_TRUE(shows(frame.canvas, "↓ PgDn"));
    EXPECT_FALSE(shows(frame.canvas, "row 40"));

    // Focus moved off screen is scrolled into view; PgUp and PgDn go a page at a time.
    for (int i = 0; i < 4; ++i)
        presentation.handle(key(Key::Tab));
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "row 40"));
    EXPECT_FALSE(shows(frame.canvas, "row 0 "));
    presentation.handle(key(Key::PageUp));
    presentation.handle(key(Key::PageUp));
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "row 0 "));
    EXPECT_FALSE(shows(frame.canvas, "row 40"));
    // Where the user scrolled the view stays until the view takes a key.
    EXPECT_FALSE(shows(presentation.draw(80, 20).canvas, "row 40"));
    presentation.handle(key(Key::Tab));
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "row 50"));
    presentation.handle(key(Key::PageDown));
    presentation.handle(key(Key::PageDown));
    presentation.handle(key(Key::PageDown));
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "row 59"));
    EXPECT_TRUE(shows(frame.canvas, "↑ PgUp"));

    // A screen too small for a frame, or for any hint whole, draws none.
    EXPECT_EQ(presentation.draw(4, 2).canvas.plainLine(1), "");

    // The scroll keys are the presentation's; the others reach the view.
    EXPECT_EQ(rows->keys, (std::vector<KeyPress>(5, key(Key::Tab))));
    window->close();
}

TEST(TerminalPresentation, TheFocusIsInSightAsAWindowOpensOrResizesWithItsTopWhereBothFit) {
    TerminalPresentation::Presentation presentation;
    auto rows = std::make_shared<Rows>();
    rows->focused = 18;
    const auto window = windowOf("Add a Container", rows);
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "row 18"));
    auto frame = presentation.draw(80, 16);
    EXPECT_EQ(rowOf(frame.canvas, "row 18") + 1, rowOf(frame.canvas, "└"));

    // Where the focus starts, the top is in sight with it where both fit.
    rows->top = 0;
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "│row 0 "));
    EXPECT_TRUE(shows(frame.canvas, "row 18"));
    EXPECT_TRUE(shows(presentation.draw(80, 16).canvas, "row 18"));

    // Scrolled away and closed, it opens afresh.
    presentation.handle(key(Key::PageUp));
    window->close();
    presentation.draw(80, 16);
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(shows(presentation.draw(80, 16).canvas, "row 18"));
    window->close();
}

TEST(TerminalPresentation, F6BringsTheNextWindowForwardCtrlWClosesTheFrontAndNoKeyGoesUnseen) {
    TerminalPresentation::Presentation presentation;
    const auto setup = windowOf("Kestrelhaven Setup", std::make_shared<Rows>());
    const auto settings = windowOf("Settings", std::make_shared<Rows>());
    auto frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "Also open: Kestrelhaven Setup"));
    EXPECT_TRUE(shows(frame.canvas, "F6: next window"));

    presentation.handle(function(6));
    EXPECT_EQ(Application::shared().keyWindow(), setup);
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "Also open: Settings"));
    presentation.handle(control("w"));
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(Application::shared().keyWindow(), settings);
    presentation.handle(control("w"));
    EXPECT_TRUE(Application::shared().windows().empty());
    frame = presentation.draw(80, 24);
    EXPECT_FALSE(shows(frame.canvas, "┌"));

    // A window that comes forward by itself takes no key until the screen has shown it.
    const auto late = windowOf("Add a Container", std::make_shared<Rows>());
    presentation.handle(control("w"));
    EXPECT_TRUE(late->isVisible());
    presentation.draw(80, 24);
    presentation.handle(control("w"));
    EXPECT_FALSE(late->isVisible());
}

TEST(TerminalPresentation, WhatAWindowSaysComesIntoViewAsFarAsTheFocusStaysInSight) {
    TerminalPresentation::Presentation presentation;
    auto saying = std::make_shared<Saying>();
    const auto window = windowOf("Share", saying);
    auto frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "row 0 "));
    EXPECT_FALSE(shows(frame.canvas, "Waiting…"));

    saying->status = "✓ Added to your Dossier";
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "✓ Added to your Dossier"));
    EXPECT_TRUE(shows(frame.canvas, "row 14 "));
    EXPECT_FALSE(shows(frame.canvas, "row 0 "));

    // Too far from the focus to show with it, the news waits for PgDn.
    saying->focused = 2;
    presentation.draw(80, 24);
    saying->status = "Not added";
    frame = presentation.draw(80, 24);
    EXPECT_TRUE(shows(frame.canvas, "row 2 "));
    EXPECT_FALSE(shows(frame.canvas, "Not added"));

    // Escape that the view leaves closes no window; Ctrl-W takes the sheet before the window.
    presentation.handle(key(Key::Escape));
    EXPECT_TRUE(window->isVisible());
    saying->sheet = true;
    presentation.handle(control("w"));
    EXPECT_FALSE(saying->sheet);
    EXPECT_TRUE(window->isVisible());
    presentation.handle(control("w"));
    EXPECT_FALSE(window->isVisible());
}

TEST(TerminalPresentation, APanelShowsItsStatusAsItChangesAndEscapeClosesIt) {
    auto stack = std::make_shared<StackView>(Orientation::Vertical);
    for (int i = 0; i < 30; ++i)
        stack->addArrangedSubview(TextField::label("line " + std::to_string(i)));
    const auto status = TextField::label("Waiting for a device…");
    stack->addArrangedSubview(status);
    const auto panel = Panel::make({300, 200}, WindowStyle::titled | WindowStyle::closable);
    panel->setContentView(stack);
    panel->makeKeyAndOrderFront();

    TerminalPresentation::Presentation presentation;
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "line 0 "));
    status->setStringValue("✓ Paired: Ada's iPad");
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "✓ Paired: Ada's iPad"));
    // Scrolled back by the user, the panel stays there as its status changes.
    presentation.handle(key(Key::Up));
    status->setStringValue("Waiting for a device…");
    EXPECT_FALSE(shows(presentation.draw(80, 24).canvas, "Waiting for a device…"));
    presentation.handle(key(Key::Escape));
    EXPECT_FALSE(panel->isVisible());
}

TEST(TerminalPresentation, TheMenuOpensOverTheScreenAndItsChoiceRunsAfterItCloses) {
    auto root = Menu::make();
    // Whether the menu was open, each time the action ran.
    std::vector<bool> runs;
    root->addItem(MenuItem::make("Bridge: running ✓"));
    root->addItem(MenuItem::make(
        "Settings…", [&](MenuItem&) { runs.push_back(root->isOpen()); }, ","));
    auto item = StatusBar::system().statusItem(StatusItem::variableLength);
    item->button().setImage(Image::systemSymbol("pawprint.fill", "Kestrelhaven"));
    item->setMenu(root);

    TerminalPresentation::Presentation presentation;
    CellCanvas open;
    Dispatch::RunLoop::main().perform([&] {
        open = presentation.draw(60, 20).canvas;
        presentation.handle(typed(","));
    });
    presentation.handle(key(Key::Return));
    EXPECT_EQ(runs, std::vector<bool>{false});
    EXPECT_NE(open.plainLine(0).find("Kestrelhaven ▾"), std::string::npos) << open.plainLine(0);
    EXPECT_TRUE(shows(open, "│ Bridge: running ✓"));
    EXPECT_TRUE(rowWith(open, "Settings…").ends_with(", │"));
    EXPECT_TRUE(open.at(0, 0).style.inverse);
    EXPECT_FALSE(shows(presentation.draw(60, 20).canvas, "Settings…"));
}

TEST(TerminalPresentation, AnAlertTakesTheKeysUntilOneAnswersIt) {
    TerminalPresentation::Presentation presentation;
    const auto window = windowOf("Settings", std::make_shared<Rows>());
    Alert alert;
    alert.setMessageText("Forget Mia's iPhone?");
    alert.setInformativeText("It will have to pair again.");
    alert.addButton("Forget");
    alert.addButton("Cancel");
    CellCanvas shown;
    Dispatch::RunLoop::main().perform([&] {
        // Keys typed before the alert shows were not meant for it.
        presentation.handle(key(Key::Return));
        presentation.handle(function(6));
        presentation.handle(control("w"));
        shown = presentation.draw(60, 20).canvas;
        presentation.handle(key(Key::Escape));
    });
    EXPECT_EQ(presentation.present(alert), alertFirstButtonReturn + 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(shows(shown, "Forget Mia's iPhone?"));
    EXPECT_TRUE(shows(shown, "[›Forget‹] [ Cancel ]"));
    EXPECT_TRUE(shows(shown, "Return: Forget · Esc: Cancel"));
    window->close();
}

TEST(TerminalPresentation, AnOpenListStandsWholeOnTheScreenWhereItFits) {
    TerminalPresentation::Presentation presentation;
    auto list = std::make_shared<OpenList>();
    const auto window = windowOf("Settings", list);
    // No room under the button at the window's foot: the list opens over it, every row shown.
    auto screen = presentation.draw(80, 24).canvas;
    const int button = rowOf(screen, "[ choice 0 ▾ ]");
    ASSERT_GE(button, 0) << screenText(screen);
    for (int i = 0; i < 7; ++i) {
        const int row = rowOf(screen, "│ choice " + std::to_string(i));
        EXPECT_EQ(row, button - 8 + i) << screenText(screen);
    }
    // Taller than the screen, it scrolls to keep the marked row in sight.
    list->choices = 40;
    list->marked = 30;
    screen = presentation.draw(80, 24).canvas;
    EXPECT_GE(rowOf(screen, "│ choice 30"), 0) << screenText(screen);
    EXPECT_TRUE(shows(screen, "▲")) << screenText(screen);
    EXPECT_TRUE(shows(screen, "▼")) << screenText(screen);
    EXPECT_LT(rowOf(screen, "choice 39"), 0);
    window->close();
}

TEST(TerminalPresentation, TheLineOfKeysShowsWholeHintsTheFocusedControlsFirst) {
    TerminalPresentation::Presentation presentation;
    auto view = std::make_shared<OpenList>();
    view->hints.keys = {"Return: choices", "Tab: next control", "Esc: Cancel"};
    const auto window = windowOf("Settings", view);
    const std::vector<std::string> known{
        "Return: choices", "Tab: next control", "Esc: Cancel",   "PgUp/PgDn: scroll",
        "F10: menu",       "F6: next window",   "Ctrl-W: close", "F1: tool tip",
        "Ctrl-Z: suspend", "Ctrl-C: quit"};
    for (const int width : {80, 60, 40}) {
        const std::string row = presentation.draw(width, 24).canvas.plainLine(23);
        EXPECT_TRUE(row.starts_with("Return: choices · Tab: next control")) << row;
        // Every hint shown is whole.
        for (std::size_t start = 0; start < row.size();) {
            const std::size_t end = std::min(row.find(" · ", start), row.size());
            EXPECT_THAT(known, ::testing::Contains(row.substr(start, end - start))) << row;
            start = end + std::string(" · ").size();
        }
    }
    // A dialog in front: its keys alone.
    view->hints = {{"Return: Save", "Esc: Cancel"}, true, std::nullopt};
    EXPECT_EQ(presentation.draw(80, 24).canvas.plainLine(23), "Return: Save · Esc: Cancel");
    window->close();
}

TEST(TerminalPresentation, F1ShowsTheToolTipOfWhatHasTheFocus) {
    const auto item = StatusBar::system().statusItem(StatusItem::variableLength);
    item->button().setToolTip("Kestrelhaven");
    TerminalPresentation::Presentation presentation;
    presentation.handle(function(1));
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "│ Kestrelhaven │"));

    auto view = std::make_shared<OpenList>();
    view->hints.toolTip = "How the phone reaches this Mac.";
    const auto window = windowOf("Settings", view);
    auto screen = presentation.draw(80, 24).canvas;
    EXPECT_TRUE(shows(screen, "│ How the phone reaches this Mac. │")) << screenText(screen);
    EXPECT_FALSE(shows(screen, "│ Kestrelhaven │"));
    EXPECT_TRUE(shows(screen, "F1: hide tool tip"));
    presentation.handle(function(1));
    screen = presentation.draw(80, 24).canvas;
    EXPECT_FALSE(shows(screen, "How the phone reaches this Mac."));
    EXPECT_TRUE(shows(screen, "F1: tool tip"));
    // Where there is no tip, F1 is not offered and changes nothing.
    view->hints.toolTip.reset();
    EXPECT_FALSE(shows(presentation.draw(80, 24).canvas, "F1"));
    presentation.handle(function(1));
    view->hints.toolTip = "How the phone reaches this Mac.";
    EXPECT_TRUE(shows(presentation.draw(80, 24).canvas, "F1: tool tip"));
    window->close();

    // Over a menu as tall as the screen, the tip stands beside it, every frame line left whole.
    auto root = Menu::make();
    for (int number = 1; number <= 20; ++number) {
        const auto entry = MenuItem::make("Item " + std::to_string(number), [](MenuItem&) {});
        entry->setToolTip("Tip of item " + std::to_string(number));
        root->addItem(entry);
    }
    item->setMenu(root);
    CellCanvas plain, tipped;
    Dispatch::RunLoop::main().perform([&] {
        presentation.handle(key(Key::Down));
        plain = presentation.draw(60, 20).canvas;
        presentation.handle(function(1));
        tipped = presentation.draw(60, 20).canvas;
        presentation.handle(key(Key::Escape));
    });
    presentation.handle(function(10));
    EXPECT_TRUE(shows(tipped, "│ Tip of item 1 │")) << screenText(tipped);
    int covered = 0;
    for (int y = 1; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const std::string& glyph = plain.at(x, y).glyph;
            covered += std::string_view("│─┌┐└┘").find(glyph) != std::string_view::npos &&
                       tipped.at(x, y).glyph != glyph;
        }
    }
    EXPECT_EQ(covered, 0) << screenText(plain) << screenText(tipped);
}

TEST(TerminalOutput, RewritesOnlyChangedRowsAndStylesOnlyWhereTheTerminalShowsThem) {
    using Graphics::CellStyling;
    EXPECT_EQ(TerminalOutput::styling(nullptr, "xterm-256color"), CellStyling::Coloured);
    EXPECT_EQ(TerminalOutput::styling("", "screen"), CellStyling::Coloured);
    EXPECT_EQ(TerminalOutput::styling("1", "xterm-256color"), CellStyling::Uncoloured);
    EXPECT_EQ(TerminalOutput::styling(nullptr, "dumb"), CellStyling::Plain);
    EXPECT_EQ(TerminalOutput::styling("1", ""), CellStyling::Plain);
    EXPECT_EQ(TerminalOutput::styling(nullptr, nullptr), CellStyling::Plain);

    TerminalOutput::Frames frames(CellStyling::Plain);
    CellCanvas screen(10, 3);
    screen.text(0, 0, "first", {.bold = true});
    screen.text(0, 2, "third", {});
    const std::string whole = frames.update(screen, std::nullopt);
    EXPECT_NE(whole.find("first"), std::string::npos);
    EXPECT_EQ(whole.find("\x1b[0;1m"), std::string::npos) << "no styles on a dumb terminal";
    EXPECT_EQ(frames.update(screen, std::nullopt), "");
    screen.text(0, 1, "second", {});
    const std::string changed = frames.update(screen, Graphics::CellPoint{3, 1});
    EXPECT_NE(changed.find("\x1b[2;1Hsecond"), std::string::npos);
    EXPECT_EQ(changed.find("first"), std::string::npos);
    EXPECT_EQ(changed.find("third"), std::string::npos);
    EXPECT_NE(changed.find("\x1b[2;4H\x1b[?25h"), std::string::npos);
    frames.invalidate();
    EXPECT_NE(frames.update(screen, std::nullopt).find("third"), std::string::npos);

    EXPECT_EQ(TerminalOutput::clipboardSequence("curl -fsSL x | bash"),
              "\x1b]52;c;Y3VybCAtZnNTTCB4IHwgYmFzaA==\a");
}

TEST(TerminalScreen, AnUncaughtExceptionStillGivesTheTerminalBack) {
    const PseudoTerminal pty;
    const int status = pty.run([] {
        // Thrown on a thread of its own, where nothing catches it.
        if (TerminalScreen::take({}, Graphics::CellStyling::Coloured))
            std::thread([] { throw std::runtime_error("nobody catches this"); }).join();
        return 1;
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) << status;
    termios modes{};
    ASSERT_EQ(::tcgetattr(pty.terminal, &modes), 0);
    EXPECT_EQ(modes.c_lflag & (ICANON | ECHO), static_cast<tcflag_t>(ICANON | ECHO));
    // What the child wrote may reach this side in more than one read.
    std::string written;
    char chunk[4096];
    pollfd readable{pty.master, POLLIN, 0};
    while (written.find("\x1b[?1049l") == std::string::npos && ::poll(&readable, 1, 5000) > 0) {
        const ssize_t count = ::read(pty.master, chunk, sizeof chunk);
        if (count <= 0)
            break;
        written.append(chunk, static_cast<std::size_t>(count));
    }
    EXPECT_NE(written.find("\x1b[?1049l"), std::string::npos) << "the alternate screen is left";
}

TEST(TerminalScreen, CtrlCPastedIsTextAndTypedInterrupts) {
    const PseudoTerminal pty;
    const int status = pty.run([&pty] {
        static volatile std::sig_atomic_t interrupts = 0;
        ::signal(SIGINT, [](int) { interrupts = interrupts + 1; });
        std::string pasted;
        if (!TerminalScreen::take({[&](const KeyPress& key) { pasted += key.text; }, {}},
                                  Graphics::CellStyling::Coloured))
            return 100;
        const std::string_view paste = "\x1b[200~\x03\x1c\x1a\x1b[201~";
        if (::write(pty.master, paste.data(), paste.size()) != std::ssize(paste))
            return 101;
        Dispatch::RunLoop::main().runUntil([&] { return !pasted.empty() || interrupts > 0; }, 5);
        if (pasted != "\x03\x1c\x1a" || interrupts > 0)
            return 102;
        if (::write(pty.master, "\x03", 1) != 1)
            return 103;
        Dispatch::RunLoop::main().runUntil([] { return interrupts > 0; }, 5);
        return interrupts == 1 ? 0 : 104;
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "what failed";
}

TEST(TerminalScreen, ResizesBeforeARedrawMakeOneRedraw) {
    const PseudoTerminal pty;
    const int status = pty.run([&pty] {
        int redraws = 0;
        bool typed = false;
        if (!TerminalScreen::take({[&](const KeyPress&) { typed = true; }, [&] { ++redraws; }},
                                  Graphics::CellStyling::Coloured))
            return 100;
        for (int i = 0; i < 1000; ++i)
            ::raise(SIGWINCH);
        // Typed after every resize, the key reaches the main run loop after what they asked for.
        if (::write(pty.master, "x", 1) != 1)
            return 101;
        Dispatch::RunLoop::main().runUntil([&] { return typed; }, 10);
        return typed ? std::min(redraws, 99) : 102;
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1) << "redraws, or what failed";
}
