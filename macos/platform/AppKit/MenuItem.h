// A menu item: a title (plain or attributed), an action, a key equivalent,
// a submenu, a tool tip and a represented object.
//
// The action is a callable that receives the item as its sender; it stands
// for the platform's target and selector, and `targetAction` makes one that
// holds its target weakly, as a menu item holds its target. An item stands
// in at most one menu at a time.
//
// Whether an item is enabled depends on its menu: in a menu that enables its
// items automatically (the default), an item is enabled when it has an action
// or a submenu, whatever was set; elsewhere it is enabled as set.
#pragma once

#include <AppKit/AttributedString.h>
#include <any>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace AppKit {

class Menu;

namespace KeyModifier {
constexpr unsigned command = 1;
constexpr unsigned option = 2;
constexpr unsigned control = 4;
constexpr unsigned shift = 8;
} // namespace KeyModifier

class MenuItem : public std::enable_shared_from_this<MenuItem> {
public:
    using Action = std::function<void(MenuItem& sender)>;

    static std::shared_ptr<MenuItem> make(std::string title = {}, Action action = {},
                                          std::string keyEquivalent = {});
    static std::shared_ptr<MenuItem> separator();

    bool isSeparatorItem() const { return m_separator; }

    const std::string& title() const { return m_title; }
    void setTitle(std::string title);
    // What the menu shows when set; the plain title still names the item.
    const std::optional<AttributedString>& attributedTitle() const;
    void setAttributedTitle(std::optional<AttributedString> title);
    // The same, made when first read: a title laid out by measuring text costs nothing until a
    // menu is drawn or asked for it.
    void setAttributedTitle(std::function<AttributedString()> make);

    bool hasAction() const { return static_cast<bool>(m_action); }
    void setAction(Action action);
    // Runs the action with this item as sender when the item is enabled; true when it ran.
    bool performAction();

    const std::string& keyEquivalent() const { return m_keyEquivalent; }
    void setKeyEquivalent(std::string key) { m_keyEquivalent = std::move(key); }
    unsigned keyEquivalentModifiers() const { return m_modifiers; }
    void setKeyEquivalentModifiers(unsigned modifiers) { m_modifiers = modifiers; }

    bool isEnabled() const;
    void setEnabled(bool enabled);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    const std::shared_ptr<Menu>& submenu() const { return m_submenu; }
    void setSubmenu(std::shared_ptr<Menu> submenu);
    bool hasSubmenu() const { return m_submenu != nullptr; }

    const std::any& representedObject() const { return m_representedObject; }
    void setRepresentedObject(std::any object) { m_representedObject = std::move(object); }

    const std::optional<std::string>& toolTip() const { return m_toolTip; }
    void setToolTip(std::optional<std::string> toolTip);

    // The menu the item stands in, if any.
    Menu* menu() const { return m_menu; }

private:
    friend class Menu;
    MenuItem() = default;

    std::string m_title;
    mutable std::optional<AttributedString> m_attributedTitle;
    mutable std::function<AttributedString()> m_makeAttributedTitle;
    Action m_action;
    std::string m_keyEquivalent;
    unsigned m_modifiers = KeyModifier::command;
    bool m_enabled = true;
    bool m_hidden = false;
    bool m_separator = false;
    std::shared_ptr<Menu> m_submenu;
    std::any m_representedObject;
    std::optional<std::string> m_toolTip;
    Menu* m_menu = nullptr;
};

// An action that calls `method` on `target` while the target lives, and does nothing after.
template <class T>
MenuItem::Action targetAction(const std::shared_ptr<T>& target, void (T::*method)(MenuItem&)) {
    return [weak = std::weak_ptr<T>(target), method](MenuItem& sender) {
        if (const auto strong = weak.lock())
            ((*strong).*method)(sender);
    };
}

template <class T>
MenuItem::Action targetAction(const std::shared_ptr<T>& target, void (T::*method)()) {
    return [weak = std::weak_ptr<T>(target), method](MenuItem&) {
        if (const auto strong = weak.lock())
            ((*strong).*method)();
    };
}

} // namespace AppKit
