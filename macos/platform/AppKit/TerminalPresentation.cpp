#include "TerminalPresentation.h"

#include "Application.h"
#include "Display.h"
#include "StatusBar.h"
#include "TerminalOutput.h"
#include "TerminalScreen.h"
#include "TerminalViews.h"

#include <Dispatch/RunLoop.h>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace AppKit::TerminalPresentation {

namespace {

using Graphics::CellCanvas;
using Graphics::CellLine;
using Graphics::CellRect;
using Key = KeyPress::Key;

constexpr double forever = std::numeric_limits<double>::infinity();

std::shared_ptr<StatusItem> statusItem() {
    const auto items = StatusBar::system().items();
    return items.empty() ? nullptr : items.front();
}

std::shared_ptr<Menu> statusMenu() {
    for (const auto& item : StatusBar::system().items())
        if (item->menu())
            return item->menu();
    return nullptr;
}

HostedView* hostedView(const std::shared_ptr<Window>& window) {
    return window ? dynamic_cast<HostedView*>(window->contentView().get()) : nullptr;
}

// The hints that fit whole in `width` columns, in their order; those that do not are left out.
std::string hintRow(const std::vector<std::string>& hints, int width) {
    std::string row;
    int columns = 0;
    for (const std::string& hint : hints) {
        const std::string shown = row.empty() ? hint : " · " + hint;
        const int wanted = Graphics::columnsOf(shown);
        if (columns + wanted > width)
            continue;
        row += shown;
        columns += wanted;
    }
    return row;
}

bool isFunction(const KeyPress& key, int number) {
    return key.key == Key::Function && key.function == number;
}

} // namespace

TerminalWindow& Presentation::windowState(const std::shared_ptr<Window>& window) {
    std::erase_if(m_windows, [](const auto& entry) { return entry.first.expired(); });
    for (auto& [shown, state] : m_windows)
        if (shown.lock() == window)
            return state;
    return m_windows.emplace_back(window, TerminalWindow{}).second;
}

void Presentation::handle(const KeyPress& key) {
    if (!m_alerts.empty()) {
        ShownAlert& front = m_alerts.back();
        if (!front.answer && front.drawn)
            front.answer = front.box.handle(key);
        return;
    }
    if (isFunction(key, 1)) {
        // With no tip to show, F1 would switch tips on unseen.
        if (toolTip())
            m_toolTips = !m_toolTips;
        return;
    }
    if (m_menu) {
        if (m_menu->handle(key) != TerminalMenu::Outcome::Open)
            m_menu->close();
        return;
    }
    handleInWindow(key);
}

void Presentation::handleInWindow(const KeyPress& key) {
    auto& application = Application::shared();
    const auto front = application.keyWindow();
    // Owners compare even when the window aimed at has gone.
    const bool aimed = !m_aimedWindow.owner_before(front) && !front.owner_before(m_aimedWindow);
    if (!isFunction(key, 10) && !aimed)
        return;
    handleAimed(key, front);
    m_aimedWindow = application.keyWindow();
}

void Presentation::handleAimed(const KeyPress& key, const std::shared_ptr<Window>& front) {
    auto& application = Application::shared();
    if (isFunction(key, 10) || (key.key == Key::Return && !front)) {
        openMenu();
    } else if (isFunction(key, 6)) {
        if (const auto windows = application.windows(); windows.size() > 1)
            windows.front()->makeKeyAndOrderFront();
    } else if (key.key == Key::Control && key.text == "w") {
        // A sheet goes first, as its cancel button would take it: a window never hides with one.
        auto* hosted = hostedView(front);
        if (front && !(hosted && hosted->cancelPresentation()))
            front->close();
    } else if (key.key == Key::PageUp || key.key == Key::PageDown) {
        if (front)
            windowState(front).page(key.key == Key::PageDown ? 1 : -1);
    } else if (front) {
        auto* hosted = hostedView(front);
        const bool taken = hosted && hosted->handleKey(key);
        if (taken)
            windowState(front).viewTookKey();
        if (!taken && key.key == Key::Escape && front->isPanel()) {
            // Escape that no cancel button took closes a panel, as the platform's panels do.
            front->close();
        } else if (!hosted && (key.key == Key::Up || key.key == Key::Down)) {
            // A window without controls has nothing else for the arrows to do.
            windowState(front).scroll(key.key == Key::Down ? 1 : -1);
        }
    }
}

// Runs while the menu is open, as a click on the status item does: the main run loop tracks it,
// and the chosen item's action runs after the menu has closed.
void Presentation::openMenu() {
    const auto root = statusMenu();
    if (!root || m_menu)
        return;
    m_menu.emplace(root);
    Display::setNeedsDisplay();
    root->track();
    m_menu->close();
    const auto chosen = m_menu->chosen();
    m_menu.reset();
    Display::setNeedsDisplay();
    if (chosen)
        chosen->performAction();
}

ModalResponse Presentation::present(const Alert& alert) {
    const auto shown = m_alerts.insert(m_alerts.end(), {TerminalAlert(alert), std::nullopt});
    Display::setNeedsDisplay();
    Dispatch::RunLoop::main().runUntil([&] { return shown->answer.has_value(); }, forever,
                                       Dispatch::RunLoopMode::EventTracking);
    const ModalResponse answer = *shown->answer;
    m_alerts.erase(shown);
    Display::setNeedsDisplay();
    return answer;
}

void Presentation::drawBar(CellCanvas& screen) const {
    screen.fill({0, 0, screen.width(), 1}, {.inverse = true});
    const auto item = statusItem();
    const auto& image = item->button().image();
    std::string shown;
    if (image && image->accessibilityDescription())
        shown = *image->accessibilityDescription();
    else if (image)
        shown = "[" + image->name() + "]";
    if (shown.empty() && item->button().toolTip())
        shown = *item->button().toolTip();
    const CellLine line = Graphics::fitted(Graphics::lineOf(shown + " ▾", {.inverse = true}),
                                           std::max(1, screen.width() - 2));
    Graphics::drawLine(screen, screen.width() - 1 - line.columns, 0, line);
}

std::optional<std::string> Presentation::toolTip() const {
    if (m_menu) {
        if (const auto item = m_menu->highlighted())
            return item->toolTip();
    } else if (const auto front = Application::shared().keyWindow()) {
        const TerminalWindow* shown = shownState(front);
        return shown ? shown->hints().toolTip : std::nullopt;
    }
    const auto item = statusItem();
    return item ? item->button().toolTip() : std::nullopt;
}

void Presentation::drawToolTip(CellCanvas& screen, int top, int bottom,
                               const std::vector<CellRect>& menus) const {
    const auto tip = toolTip();
    if (!tip)
        return;
    std::vector<CellRect> areas{{0, top, screen.width(), bottom - top}};
    if (!menus.empty()) {
        // A tip over a menu's frame would read as one of its rows, or hide where it ends.
        CellRect all = menus.front();
        for (const CellRect& box : menus) {
            const int right = std::max(all.maxX(), box.maxX());
            const int lowest = std::max(all.maxY(), box.maxY());
            all.x = std::min(all.x, box.x);
            all.y = std::min(all.y, box.y);
            all.width = right - all.x;
            all.height = lowest - all.y;
        }
        const CellRect& last = menus.back();
        areas = {{0, all.maxY(), screen.width(), bottom - all.maxY()},
                 {0, top, all.x, bottom - top},
                 {last.x + 1, last.y + 1, last.width - 2, last.height - 2}};
    }
    for (std::size_t index = 0; index < areas.size(); ++index) {
        const CellRect& area = areas[index];
        const int lines = std::min(4, area.height - 2);
        if (area.width < 8 || lines < 1)
            continue;
        const auto layout =
            Graphics::layOutCells({{{*tip, {}}}, std::min(area.width - 4, 60), lines});
        // A tip cut short waits for an area that holds it whole, unless none is left.
        if (layout.truncated && index + 1 < areas.size())
            continue;
        const int height = static_cast<int>(layout.lines.size()) + 2;
        const CellRect box{area.maxX() - layout.columns - 4, area.maxY() - height,
                           layout.columns + 4, height};
        TerminalViews::frame(screen, box, Graphics::lineOf("Tool tip", {.dim = true}));
        for (std::size_t row = 0; row < layout.lines.size(); ++row)
            Graphics::drawLine(screen, box.x + 2, box.y + 1 + static_cast<int>(row),
                               layout.lines[row]);
        return;
    }
}

const TerminalWindow* Presentation::shownState(const std::shared_ptr<Window>& window) const {
    const auto found = std::find_if(m_windows.begin(), m_windows.end(), [&](const auto& entry) {
        return entry.first.lock() == window;
    });
    return found == m_windows.end() ? nullptr : &found->second;
}

// What has the focus first: the alert, else the menu, else the front window's view (alone when
// a dialog is in front of it); then the window's own keys, then the application's.
std::vector<std::string> Presentation::keys() const {
    if (!m_alerts.empty())
        return m_alerts.back().box.keys();
    std::vector<std::string> keys;
    const auto& application = Application::shared();
    const auto front = application.keyWindow();
    if (m_menu) {
        keys = m_menu->keys();
    } else if (!front) {
        if (statusMenu())
            keys.emplace_back("Return, F10: menu");
    } else {
        const TerminalWindow* shown = shownState(front);
        if (shown) {
            keys = shown->hints().keys;
            if (shown->hints().modal)
                return keys;
        }
        if (shown && shown->scrolls())
            keys.emplace_back(hostedView(front) ? "PgUp/PgDn: scroll" : "↑/↓, PgUp/PgDn: scroll");
        if (statusMenu())
            keys.emplace_back("F10: menu");
        if (application.windows().size() > 1)
            keys.emplace_back("F6: next window");
        keys.emplace_back("Ctrl-W: close");
    }
    if (toolTip())
        keys.emplace_back(m_toolTips ? "F1: hide tool tip" : "F1: tool tip");
    keys.emplace_back("Ctrl-Z: suspend");
    keys.emplace_back("Ctrl-C: quit");
    return keys;
}

Presentation::Frame Presentation::draw(int width, int height) {
    Frame frame{CellCanvas(width, height), std::nullopt};
    CellCanvas& screen = frame.canvas;
    int top = 0;
    if (statusItem()) {
        drawBar(screen);
        top = 1;
    }
    const int bottom = height - 1;

    const auto windows = Application::shared().windows();
    // A window that closed opens afresh, where the user scrolled it forgotten.
    std::erase_if(m_windows, [&](const auto& entry) {
        return std::find(windows.begin(), windows.end(), entry.first.lock()) == windows.end();
    });
    if (windows.size() > 1) {
        std::string others = "Also open:";
        for (auto window = windows.rbegin() + 1; window != windows.rend(); ++window)
            others += (window == windows.rbegin() + 1 ? " " : " · ") +
                      ((*window)->title().empty() ? "untitled" : (*window)->title());
        Graphics::drawLine(screen, 1, top,
                           Graphics::fitted(Graphics::lineOf(others, {.dim = true}), width - 2));
        ++top;
    }
    m_aimedWindow = windows.empty() ? std::weak_ptr<Window>() : windows.back();
    if (!windows.empty())
        frame.cursor = windowState(windows.back())
                           .draw(*windows.back(), screen, {0, top, width, bottom - top}, m_styled);
    std::vector<CellRect> menus;
    if (m_menu) {
        menus = m_menu->draw(screen, width, std::min(top, 1), bottom);
        frame.cursor.reset();
    }
    if (m_toolTips)
        drawToolTip(screen, std::min(top, 1), bottom, menus);
    for (ShownAlert& alert : m_alerts) {
        alert.box.draw(screen);
        alert.drawn = true;
        frame.cursor.reset();
    }
    Graphics::drawLine(screen, 0, bottom, Graphics::lineOf(hintRow(keys(), width), {.dim = true}));
    return frame;
}

bool install() {
    const Graphics::CellStyling styling =
        TerminalOutput::styling(std::getenv("NO_COLOR"), std::getenv("TERM"));
    // Never destroyed: the terminal's events may reach it while the process exits.
    static auto* presentation = new Presentation(styling != Graphics::CellStyling::Plain);
    const auto redraw = [] {
        const auto size = TerminalScreen::size();
        const auto frame = presentation->draw(size.columns, size.rows);
        TerminalScreen::show(frame.canvas, frame.cursor);
    };
    const bool taken = TerminalScreen::take({[](const KeyPress& key) {
                                                 presentation->handle(key);
                                                 Display::setNeedsDisplay();
                                             },
                                             redraw},
                                            styling);
    if (!taken)
        return false;
    Alert::setPresenter([](const Alert& alert) { return presentation->present(alert); });
    Display::setRedraw(redraw);
    Display::setNeedsDisplay();
    return true;
}

} // namespace AppKit::TerminalPresentation
