// An open menu on a terminal: the menus opened from it, a highlighted row in
// each, the keys that move over them and choose, and their drawing as
// dropdown boxes.
//
// ↑ and ↓ move the highlight over the rows that can be chosen (separators,
// headers and disabled rows are passed over); → or Return opens the
// highlighted row's submenu (through `Menu::open`, so its delegate brings it
// up to date first) and ← or Esc closes the deepest one; Return chooses.
// While the menu is open an item answers to its key equivalent, typed as it
// is ("p" for ⌘P), so rows that come and go never change which key chooses
// what; a disabled item takes no key. Rows too wide for the screen are cut
// with "…". Making one opens the root menu; `close` closes every menu still
// open, which ends the root's tracking.
#pragma once

#include <AppKit/KeyPress.h>
#include <AppKit/Menu.h>
#include <Graphics/Cells.h>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class TerminalMenu {
public:
    enum class Outcome { Open, Closed, Chosen };

    explicit TerminalMenu(std::shared_ptr<Menu> root);

    Outcome handle(const KeyPress& key);
    // The item chosen, once `handle` said so.
    const std::shared_ptr<MenuItem>& chosen() const { return m_chosen; }
    // The highlighted item of the deepest open menu, if any.
    std::shared_ptr<MenuItem> highlighted() const;
    // Closes the menus still open, the deepest first.
    void close();
    // The keys that apply now, for the screen's line of keys.
    std::vector<std::string> keys() const;

    // Draws the menus over `screen`: the root with its right edge at column `right` from row
    // `top` down, each submenu beside the row that opened it, none below row `bottom`. Returns
    // their boxes, frames included, the root's first.
    std::vector<Graphics::CellRect> draw(Graphics::CellCanvas& screen, int right, int top,
                                         int bottom) const;

private:
    struct Level {
        std::shared_ptr<Menu> menu;
        std::shared_ptr<MenuItem> highlighted;
    };

    void move(int step);
    bool openSubmenu();
    bool chooseByKey(const std::string& key);

    std::vector<Level> m_levels;
    std::shared_ptr<MenuItem> m_chosen;
};

} // namespace AppKit
