#include "MenuItem.h"

#include "Display.h"
#include "Menu.h"

#include <utility>

namespace AppKit {

std::shared_ptr<MenuItem> MenuItem::make(std::string title, Action action,
                                         std::string keyEquivalent) {
    std::shared_ptr<MenuItem> item(new MenuItem);
    item->m_title = std::move(title);
    item->m_action = std::move(action);
    item->m_keyEquivalent = std::move(keyEquivalent);
    return item;
}

std::shared_ptr<MenuItem> MenuItem::separator() {
    std::shared_ptr<MenuItem> item(new MenuItem);
    item->m_separator = true;
    item->m_enabled = false;
    return item;
}

void MenuItem::setTitle(std::string title) {
    m_title = std::move(title);
    Display::setNeedsDisplay();
}

const std::optional<AttributedString>& MenuItem::attributedTitle() const {
    if (m_makeAttributedTitle)
        m_attributedTitle = std::exchange(m_makeAttributedTitle, {})();
    return m_attributedTitle;
}

void MenuItem::setAttributedTitle(std::optional<AttributedString> title) {
    m_makeAttributedTitle = {};
    m_attributedTitle = std::move(title);
    Display::setNeedsDisplay();
}

void MenuItem::setAttributedTitle(std::function<AttributedString()> make) {
    m_makeAttributedTitle = std::move(make);
    m_attributedTitle.reset();
    Display::setNeedsDisplay();
}

void MenuItem::setAction(Action action) {
    m_action = std::move(action);
    Display::setNeedsDisplay();
}

bool MenuItem::performAction() {
    if (!m_action || !isEnabled())
        return false;
    // The action may change or drop this item, its own callable included.
    const auto self = shared_from_this();
    const Action action = m_action;
    action(*this);
    return true;
}

bool MenuItem::isEnabled() const {
    if (m_separator)
        return false;
    if (m_menu && m_menu->autoenablesItems())
        return hasAction() || hasSubmenu();
    return m_enabled;
}

void MenuItem::setEnabled(bool enabled) {
    m_enabled = enabled;
    Display::setNeedsDisplay();
}

void MenuItem::setHidden(bool hidden) {
    m_hidden = hidden;
    Display::setNeedsDisplay();
}

void MenuItem::setSubmenu(std::shared_ptr<Menu> submenu) {
    m_submenu = std::move(submenu);
    Display::setNeedsDisplay();
}

void MenuItem::setToolTip(std::optional<std::string> toolTip) {
    m_toolTip = std::move(toolTip);
    Display::setNeedsDisplay();
}

} // namespace AppKit
