#include "TerminalMenu.h"

#include "TerminalPopUp.h"
#include "TerminalViews.h"

#include <algorithm>

namespace AppKit {

namespace {

using Graphics::CellCanvas;
using Graphics::CellLine;
using Graphics::CellRect;
using Graphics::CellStyle;

constexpr std::string_view highlightMark = "›";
constexpr std::string_view submenuMark = "▸";

bool choosable(const MenuItem& item) {
    return !item.isHidden() && !item.isSeparatorItem() && item.isEnabled();
}

std::vector<std::shared_ptr<MenuItem>> shownItems(const Menu& menu) {
    std::vector<std::shared_ptr<MenuItem>> shown;
    for (const auto& item : menu.items())
        if (!item->isHidden())
            shown.push_back(item);
    return shown;
}

CellLine title(const MenuItem& item, TerminalViews::TabStops stops = {}) {
    if (item.attributedTitle())
        return TerminalViews::line(*item.attributedTitle(), stops);
    return Graphics::lineOf(item.title());
}

// What stands at a row's right: the submenu's mark or the key that chooses the item.
std::string rightPart(const MenuItem& item) {
    return item.hasSubmenu() ? std::string(submenuMark) : item.keyEquivalent();
}

// The columns a row's title may take in a box `inner` columns wide.
int titleRoom(const MenuItem& item, int inner) {
    const std::string right = rightPart(item);
    return std::max(1, inner - 2 - (right.empty() ? 0 : Graphics::columnsOf(right) + 2));
}

// How near to bring the tab stops, the same for all rows so that their columns stay lined up: the
// nearest that lets the most rows fit whole. A row that still does not fit is cut where a part runs
// past its stop, and at its end.
double tabScale(const std::vector<std::shared_ptr<MenuItem>>& items, int inner) {
    constexpr double step = 0.05, least = 0.3;
    double best = 1;
    long bestFitting = -1;
    for (double scale = 1; scale >= least; scale -= step) {
        const long fitting = std::count_if(items.begin(), items.end(), [&](const auto& item) {
            return !item->isSeparatorItem() &&
                   title(*item, {scale}).columns <= titleRoom(*item, inner);
        });
        if (fitting > bestFitting) {
            best = scale;
            bestFitting = fitting;
        }
    }
    return best;
}

int naturalWidth(const std::vector<std::shared_ptr<MenuItem>>& items) {
    int widest = 0;
    for (const auto& item : items) {
        if (item->isSeparatorItem())
            continue;
        const std::string right = rightPart(*item);
        const int extra = right.empty() ? 0 : 2 + Graphics::columnsOf(right);
        widest = std::max(widest, title(*item).columns + extra);
    }
    // The highlight's mark before the title and a space after what stands at the right.
    return widest + 2;
}

} // namespace

TerminalMenu::TerminalMenu(std::shared_ptr<Menu> root) {
    root->open();
    m_levels.push_back({std::move(root), nullptr});
}

std::shared_ptr<MenuItem> TerminalMenu::highlighted() const {
    const Level& level = m_levels.back();
    // The highlighted row may have gone from the menu, or been disabled, since.
    if (!level.highlighted || level.highlighted->menu() != level.menu.get() ||
        !choosable(*level.highlighted))
        return nullptr;
    return level.highlighted;
}

void TerminalMenu::move(int step) {
    std::vector<std::shared_ptr<MenuItem>> rows;
    for (const auto& item : m_levels.back().menu->items())
        if (choosable(*item))
            rows.push_back(item);
    if (rows.empty())
        return;
    const auto current = std::find(rows.begin(), rows.end(), highlighted());
    const int last = static_cast<int>(rows.size()) - 1;
    const int next = current == rows.end()
                         ? (step > 0 ? 0 : last)
                         : std::clamp(static_cast<int>(current - rows.begin()) + step, 0, last);
    m_levels.back().highlighted = rows[static_cast<std::size_t>(next)];
}

bool TerminalMenu::openSubmenu() {
    const auto item = highlighted();
    if (!item || !item->hasSubmenu())
        return false;
    const auto submenu = item->submenu();
    submenu->open();
    m_levels.push_back({submenu, nullptr});
    move(1);
    return true;
}

bool TerminalMenu::chooseByKey(const std::string& key) {
    for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level) {
        for (const auto& item : level->menu->items()) {
            if (item->isHidden() || item->isSeparatorItem() || item->keyEquivalent() != key)
                continue;
            if (!item->isEnabled() || item->hasSubmenu())
                return false;
            m_chosen = item;
            return true;
        }
    }
    return false;
}

void TerminalMenu::close() {
    while (m_levels.size() > 1) {
        m_levels.back().menu->close();
        m_levels.pop_back();
    }
    m_levels.front().menu->close();
}

std::vector<std::string> TerminalMenu::keys() const {
    std::vector<std::string> keys{"↑/↓: move"};
    if (const auto item = highlighted())
        keys.emplace_back(item->hasSubmenu() ? "→, Return: open" : "Return: choose");
    keys.emplace_back(m_levels.size() > 1 ? "←, Esc: back" : "Esc: close");
    keys.emplace_back("the key at a row's right chooses it");
    return keys;
}

TerminalMenu::Outcome TerminalMenu::handle(const KeyPress& key) {
    using Key = KeyPress::Key;
    switch (key.key) {
    case Key::Up:
        move(-1);
        break;
    case Key::Down:
        move(1);
        break;
    case Key::Right:
        openSubmenu();
        break;
    case Key::Return:
        if (openSubmenu())
            break;
        if (const auto item = highlighted()) {
            m_chosen = item;
            return Outcome::Chosen;
        }
        break;
    case Key::Left:
    case Key::Escape:
        if (m_levels.size() > 1) {
            m_levels.back().menu->close();
            m_levels.pop_back();
        } else if (key.key == Key::Escape) {
            return Outcome::Closed;
        }
        break;
    case Key::Function:
        if (key.function == 10)
            return Outcome::Closed;
        break;
    case Key::Character:
        if (chooseByKey(key.text))
            return Outcome::Chosen;
        break;
    default:
        break;
    }
    return Outcome::Open;
}

std::vector<CellRect> TerminalMenu::draw(CellCanvas& screen, int right, int top, int bottom) const {
    std::vector<CellRect> boxes;
    CellRect parent{right, top, 0, 0};
    int parentRow = top;
    for (std::size_t depth = 0; depth < m_levels.size(); ++depth) {
        const Level& level = m_levels[depth];
        const auto items = shownItems(*level.menu);
        const int inner = std::clamp(naturalWidth(items), 1, std::max(1, screen.width() - 2));
        const int width = inner + 2;
        // Beside the row that opened it, its first row level with that one.
        Graphics::CellPoint at{0, parentRow - 1};
        std::optional<int> above;
        if (depth == 0) {
            at = {right - width, top};
        } else if (parent.x - width >= 0) {
            at.x = parent.x - width;
        } else if (parent.maxX() + width <= screen.width()) {
            at.x = parent.maxX();
        } else {
            // No room beside it: under the row that opened it, else over it, which stays in sight.
            at = {parent.x + 4, parentRow + 1};
            above = parentRow;
        }
        const auto lit = std::find(items.begin(), items.end(), level.highlighted);
        const int litIndex =
            lit == items.end() || !choosable(**lit) ? -1 : static_cast<int>(lit - items.begin());
        const int count = static_cast<int>(items.size());
        const TerminalPopUp::Placement placement = TerminalPopUp::place(
            {count, inner, at, above, litIndex < 0 ? std::nullopt : std::optional(litIndex)},
            {0, top, screen.width(), bottom - top});
        const CellRect& box = placement.box;
        const int visible = box.height - 2;
        const int first = placement.first;
        const double scale = tabScale(items, inner);
        TerminalPopUp::frame(screen, placement, count);

        int nextParentRow = box.y;
        for (int row = 0; row < visible && first + row < count; ++row) {
            const MenuItem& item = *items[static_cast<std::size_t>(first + row)];
            const int y = box.y + 1 + row;
            if (item.isSeparatorItem()) {
                screen.fill({box.x + 1, y, inner, 1}, {.dim = true}, "─");
                screen.text(box.x, y, "├", {});
                screen.text(box.maxX() - 1, y, "┤", {});
                continue;
            }
            const bool isLit = first + row == litIndex;
            if (isLit)
                nextParentRow = y;
            const std::string rightText = rightPart(item);
            const int rightColumns = Graphics::columnsOf(rightText);
            const CellRect rowRect{box.x + 1, y, inner, 1};
            if (isLit)
                screen.text(rowRect.x, y, highlightMark, {}, rowRect);
            const int room = titleRoom(item, inner);
            Graphics::drawLine(screen, rowRect.x + 1, y,
                               Graphics::fitted(title(item, {scale, true}), room), rowRect);
            if (!rightText.empty())
                screen.text(rowRect.maxX() - 1 - rightColumns, y, rightText, {.dim = true},
                            rowRect);
            screen.restyle(rowRect, [&](CellStyle& style) {
                style.dim = style.dim || !item.isEnabled();
                style.inverse = isLit;
            });
        }
        boxes.push_back(box);
        parent = box;
        parentRow = nextParentRow;
    }
    return boxes;
}

} // namespace AppKit
