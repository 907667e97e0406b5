// The application on a terminal, for interactive runs.
//
// When standard input and output are both terminals, `install` takes the
// terminal over (see TerminalScreen.h) and presents there what the headless
// objects hold, full screen: a bar with the status item at the top, the
// front window framed with its title below it (the others named in one
// line), the status item's menu as a dropdown over them, an alert as a box
// in the middle, and a line of the keys that apply at the bottom. Without
// terminals it does nothing.
//
// Keys go to the open alert, else to the open menu, else to the
// application's own keys, which answer whatever has focus: F10 opens the
// menu (Return too while no window is open), F6 brings the next window to
// the front, Ctrl-W closes the front window (its sheet first, as the sheet's
// cancel button would), PgUp and PgDn scroll it (↑ and ↓ too in a window
// without controls; see TerminalWindow.h for how long the view stays there, and
// a window that closes opens afresh), F1 shows or hides the tool tip of what
// has the focus, when it has one, clear of the frames of open menus.
// Every other key goes to the front window's hosted view; Escape that the view
// has no cancel button for closes a panel. Ctrl-C quits and Ctrl-Z suspends,
// as the terminal's own signals. A key acts only where the screen last showed
// it would: one that finds another window in front than was drawn or left by
// the user's own keys, or an alert not drawn yet, does nothing. The line of keys lists the keys of
// what has the focus first, whole hints only, as many as fit; an alert or a dialog lists only its
// own.
//
// On a terminal that shows no styles, the focused control in a window is
// marked with characters, as the menu's row and the alert's button always
// are.
//
// `Presentation` is all of that apart from any terminal: tests hand it key
// presses and read what it draws at a given size.
#pragma once

#include <AppKit/Alert.h>
#include <AppKit/KeyPress.h>
#include <AppKit/TerminalAlert.h>
#include <AppKit/TerminalMenu.h>
#include <AppKit/TerminalWindow.h>
#include <Graphics/Cells.h>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace AppKit::TerminalPresentation {

class Presentation {
public:
    struct Frame {
        Graphics::CellCanvas canvas;
        // Where typing goes, when a text field has the focus and nothing covers it.
        std::optional<Graphics::CellPoint> cursor;
    };

    // `styled` says whether the terminal shows styles, inverse among them.
    explicit Presentation(bool styled = true) : m_styled(styled) {}

    Frame draw(int width, int height);
    void handle(const KeyPress& key);
    // Shows the alert until a key answers it, running the main run loop meanwhile.
    ModalResponse present(const Alert& alert);

private:
    struct ShownAlert {
        TerminalAlert box;
        std::optional<ModalResponse> answer;
        // Keys typed before the alert was drawn were meant for what stood there before.
        bool drawn = false;
    };

    void openMenu();
    void handleInWindow(const KeyPress& key);
    void handleAimed(const KeyPress& key, const std::shared_ptr<Window>& front);
    TerminalWindow& windowState(const std::shared_ptr<Window>& window);
    const TerminalWindow* shownState(const std::shared_ptr<Window>& window) const;
    std::vector<std::string> keys() const;
    // The tool tip of what has the focus: the menu's highlighted item, the front window's
    // focused control, or the status item when the menu bar has the focus.
    std::optional<std::string> toolTip() const;
    void drawBar(Graphics::CellCanvas& screen) const;
    // Draws the tool tip at the bottom right of the rows from `top` to `bottom`, clear of the
    // open menus' `menus` boxes: below them or beside them, else over the rows of the last.
    void drawToolTip(Graphics::CellCanvas& screen, int top, int bottom,
                     const std::vector<Graphics::CellRect>& menus) const;

    std::optional<TerminalMenu> m_menu;
    // Innermost last: an alert may come while another waits for its answer.
    std::list<ShownAlert> m_alerts;
    std::vector<std::pair<std::weak_ptr<Window>, TerminalWindow>> m_windows;
    // The front window as last drawn or as the user's last key left it: keys for windows go to
    // no other one, since a window that came or went unseen is not where the user aimed them.
    std::weak_ptr<Window> m_aimedWindow;
    bool m_toolTips = false;
    bool m_styled;
};

// True when the presentation took over the terminal.
bool install();

} // namespace AppKit::TerminalPresentation
