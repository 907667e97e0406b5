// Menus: ordered items, a delegate told when the menu opens and closes, and
// the tracking of an open menu.
//
// While a menu is open the user is tracking it, and the main run loop runs in
// event-tracking mode: timers and delayed work of the default mode wait until
// it closes, while main-queue work and work of every mode goes on. `open`
// asks the delegate to bring the items up to date (`menuNeedsUpdate`), then
// tells it `menuWillOpen`; `track` runs the loop that way while the
// menu stays open; `close` tells the delegate `menuDidClose` and ends a
// `track` in progress. `popUp` is all three, as a click on a status item is.
//
// Inserting an item that already stands in a menu is a programming error and
// throws std::logic_error. Indexes out of range are clamped on insert and
// ignored on removal.
#pragma once

#include <AppKit/MenuItem.h>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    // Before the menu opens: a menu whose items are costly to keep current builds them here.
    virtual void menuNeedsUpdate(Menu&) {}
    virtual void menuWillOpen(Menu& menu) = 0;
    virtual void menuDidClose(Menu& menu) = 0;
};

class Menu : public std::enable_shared_from_this<Menu> {
public:
    static std::shared_ptr<Menu> make(std::string title = {});
    ~Menu();

    const std::string& title() const { return m_title; }

    const std::vector<std::shared_ptr<MenuItem>>& items() const { return m_items; }
    int numberOfItems() const { return static_cast<int>(m_items.size()); }
    std::shared_ptr<MenuItem> itemAt(int index) const;
    // -1 when the item is not in this menu.
    int indexOf(const MenuItem& item) const;
    // The first item with exactly this title, or nothing.
    std::shared_ptr<MenuItem> itemWithTitle(std::string_view title) const;

    void addItem(std::shared_ptr<MenuItem> item);
    void insertItem(std::shared_ptr<MenuItem> item, int index);
    void removeItem(const MenuItem& item);
    void removeItemAt(int index);
    void removeAllItems();
    // Told of each item just inserted or removed, as the platform tells observers of a menu's
    // added and removed items; one observer at a time, none when empty.
    void setItemsObserver(std::function<void(const MenuItem& item)> observer) {
        m_itemsObserver = std::move(observer);
    }

    bool autoenablesItems() const { return m_autoenables; }
    void setAutoenablesItems(bool autoenables);

    std::shared_ptr<MenuDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<MenuDelegate> delegate) { m_delegate = std::move(delegate); }

    void open();
    void close();
    bool isOpen() const { return m_open; }
    // While the menu is open, runs the main run loop in event-tracking mode until `done` holds
    // or `timeout` seconds pass; returns whether the menu is still open.
    bool track(const std::function<bool()>& done = {},
               double timeout = std::numeric_limits<double>::infinity());
    void popUp();

private:
    explicit Menu(std::string title) : m_title(std::move(title)) {}
    void detach(MenuItem& item);
    void tellItemsObserver(const MenuItem& item) const;

    std::string m_title;
    std::vector<std::shared_ptr<MenuItem>> m_items;
    bool m_autoenables = true;
    bool m_open = false;
    std::weak_ptr<MenuDelegate> m_delegate;
    std::function<void(const MenuItem&)> m_itemsObserver;
};

} // namespace AppKit
