#include "TerminalAlert.h"

#include "TerminalViews.h"

#include <algorithm>

namespace AppKit {

namespace {

using Graphics::CellCanvas;
using Graphics::CellRect;
using Graphics::CellStyle;

constexpr int widest = 64;

std::string buttonText(const std::string& title, bool focused) {
    return focused ? "[›" + title + "‹]" : "[ " + title + " ]";
}

} // namespace

TerminalAlert::TerminalAlert(const Alert& alert)
    : m_message(alert.messageText()), m_informative(alert.informativeText()),
      m_buttons(alert.buttons()) {}

std::optional<std::size_t> TerminalAlert::button(std::string_view title) const {
    const auto found = std::find(m_buttons.begin(), m_buttons.end(), title);
    if (found == m_buttons.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - m_buttons.begin());
}

std::optional<ModalResponse> TerminalAlert::handle(const KeyPress& key) {
    using Key = KeyPress::Key;
    const auto answer = [](std::size_t index) {
        return alertFirstButtonReturn + static_cast<ModalResponse>(index);
    };
    const std::size_t count = m_buttons.size();
    switch (key.key) {
    case Key::Return:
        return answer(m_focused);
    case Key::Escape:
        if (const auto cancel = button("Cancel"))
            return answer(*cancel);
        break;
    case Key::Tab:
    case Key::Right:
        m_focused = (m_focused + 1) % count;
        break;
    case Key::BackTab:
    case Key::Left:
        m_focused = (m_focused + count - 1) % count;
        break;
    case Key::Character:
        if (key.text == " ")
            return answer(m_focused);
        if (key.text == "d")
            if (const auto dontSave = button("Don't Save"))
                return answer(*dontSave);
        break;
    default:
        break;
    }
    return std::nullopt;
}

void TerminalAlert::draw(CellCanvas& screen) const {
    const int room = std::max(10, std::min(widest, screen.width() - 4));
    const auto message = Graphics::layOutCells({{{m_message, {.bold = true}}}, room, 0});
    const auto informative = Graphics::layOutCells({{{m_informative, {}}}, room, 0});

    // The buttons in order, right-aligned, on as many rows as they need.
    std::vector<std::vector<std::size_t>> buttonRows(1);
    int rowColumns = 0, buttonsColumns = 0;
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const int columns = Graphics::columnsOf(buttonText(m_buttons[i], i == m_focused));
        if (!buttonRows.back().empty() && rowColumns + 1 + columns > room) {
            buttonRows.emplace_back();
            rowColumns = 0;
        }
        rowColumns += (buttonRows.back().empty() ? 0 : 1) + columns;
        buttonRows.back().push_back(i);
        buttonsColumns = std::max(buttonsColumns, rowColumns);
    }
    const int inner =
        std::min(room, std::max({message.columns, informative.columns, buttonsColumns, 24}));
    const bool hasInformative = !m_informative.empty();
    const int height = 2 + 1 + static_cast<int>(message.lines.size()) +
                       (hasInformative ? 1 + static_cast<int>(informative.lines.size()) : 0) + 1 +
                       static_cast<int>(buttonRows.size()) + 1;
    const CellRect box{std::max(0, (screen.width() - inner - 4) / 2),
                       std::max(0, (screen.height() - height) / 2), inner + 4, height};
    TerminalViews::frame(screen, box);
    const CellRect text{box.x + 2, box.y + 1, inner, box.height - 2};
    int y = box.y + 2;
    for (const auto& line : message.lines)
        Graphics::drawLine(screen, text.x, y++, line, text);
    if (hasInformative) {
        ++y;
        for (const auto& line : informative.lines)
            Graphics::drawLine(screen, text.x, y++, line, text);
    }
    ++y;
    for (const auto& row : buttonRows) {
        int columns = -1;
        for (const std::size_t i : row)
            columns += 1 + Graphics::columnsOf(buttonText(m_buttons[i], i == m_focused));
        int x = text.maxX() - columns;
        for (const std::size_t i : row) {
            const bool focused = i == m_focused;
            x = screen.text(x, y, buttonText(m_buttons[i], focused),
                            {.bold = focused, .inverse = focused}, text) +
                1;
        }
        ++y;
    }
}

std::vector<std::string> TerminalAlert::keys() const {
    std::vector<std::string> keys{"Return: " + m_buttons[m_focused]};
    if (button("Cancel"))
        keys.emplace_back("Esc: Cancel");
    if (button("Don't Save"))
        keys.emplace_back("d: Don't Save");
    if (m_buttons.size() > 1)
        keys.emplace_back("Tab, ←/→: another button");
    return keys;
}

} // namespace AppKit
