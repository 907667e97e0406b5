#include "Menu.h"

#include "Display.h"

#include <Dispatch/RunLoop.h>
#include <algorithm>
#include <stdexcept>

namespace AppKit {

std::shared_ptr<Menu> Menu::make(std::string title) {
    return std::shared_ptr<Menu>(new Menu(std::move(title)));
}

Menu::~Menu() {
    for (const auto& item : m_items)
        item->m_menu = nullptr;
}

std::shared_ptr<MenuItem> Menu::itemAt(int index) const {
    if (index < 0 || index >= numberOfItems())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

int Menu::indexOf(const MenuItem& item) const {
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&](const auto& candidate) {
        return candidate.get() == &item;
    });
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

std::shared_ptr<MenuItem> Menu::itemWithTitle(std::string_view title) const {
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [&](const auto& item) { return item->title() == title; });
    return found == m_items.end() ? nullptr : *found;
}

void Menu::addItem(std::shared_ptr<MenuItem> item) {
    insertItem(std::move(item), numberOfItems());
}

void Menu::insertItem(std::shared_ptr<MenuItem> item, int index) {
    if (!item)
        throw std::logic_error("a menu cannot hold a missing item");
    if (item->m_menu)
        throw std::logic_error("menu item \"" + item->title() + "\" already stands in a menu");
    index = std::clamp(index, 0, numberOfItems());
    item->m_menu = this;
    m_items.insert(m_items.begin() + index, item);
    Display::setNeedsDisplay();
    tellItemsObserver(*item);
}

void Menu::detach(MenuItem& item) {
    item.m_menu = nullptr;
    Display::setNeedsDisplay();
    tellItemsObserver(item);
}

void Menu::tellItemsObserver(const MenuItem& item) const {
    if (m_itemsObserver)
        m_itemsObserver(item);
}

void Menu::removeItem(const MenuItem& item) {
    removeItemAt(indexOf(item));
}

void Menu::removeItemAt(int index) {
    if (index < 0 || index >= numberOfItems())
        return;
    // Kept until it is detached: the menu may hold the last reference.
    const auto item = m_items[static_cast<std::size_t>(index)];
    m_items.erase(m_items.begin() + index);
    detach(*item);
}

void Menu::removeAllItems() {
    const auto removed = std::move(m_items);
    m_items.clear();
    for (const auto& item : removed)
        detach(*item);
}

void Menu::setAutoenablesItems(bool autoenables) {
    m_autoenables = autoenables;
    Display::setNeedsDisplay();
}

void Menu::open() {
    if (m_open)
        return;
    const auto told = delegate();
    if (told)
        told->menuNeedsUpdate(*this);
    m_open = true;
    Display::setNeedsDisplay();
    if (told)
        told->menuWillOpen(*this);
}

void Menu::close() {
    if (!m_open)
        return;
    m_open = false;
    Display::setNeedsDisplay();
    if (const auto told = delegate())
        told->menuDidClose(*this);
}

bool Menu::track(const std::function<bool()>& done, double timeout) {
    // The delegate may drop the last other reference while the loop runs.
    const auto self = shared_from_this();
    Dispatch::RunLoop::main().runUntil([&] { return !m_open || (done && done()); }, timeout,
                                       Dispatch::RunLoopMode::EventTracking);
    return m_open;
}

void Menu::popUp() {
    open();
    track();
    close();
}

} // namespace AppKit
