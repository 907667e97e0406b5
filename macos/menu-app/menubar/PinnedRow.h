// One pinned conversation's menu items: its row in the status menu and the
// row's submenu of Resume, Open in Terminal, Sleep and Unpin.
//
// A row is made once per pinned session and reused while the session stays
// pinned; `show` rewrites its texts, states and represented objects from the
// latest reply. The submenu enables its items as `show` says, not by their
// actions.
#pragma once

#include "menubar/ConversationRecords.h"

#include <AppKit/AttributedString.h>
#include <AppKit/Menu.h>
#include <functional>
#include <memory>

// What receives the actions of a pinned row's submenu.
class ConversationActions {
public:
    virtual ~ConversationActions() = default;
    virtual void resumeClicked(AppKit::MenuItem& sender) = 0;
    virtual void terminalClicked(AppKit::MenuItem& sender) = 0;
    virtual void sleepClicked(AppKit::MenuItem& sender) = 0;
    virtual void unpinClicked(AppKit::MenuItem& sender) = 0;
};

class PinnedRow {
public:
    // The target is held weakly, as a menu item holds its target.
    explicit PinnedRow(const std::shared_ptr<ConversationActions>& target);

    // `title` makes the row's attributed title when the menu first shows it.
    void show(const Conversation& conversation, std::function<AppKit::AttributedString()> title);

    std::shared_ptr<AppKit::MenuItem> item;
    std::shared_ptr<AppKit::MenuItem> resume;
    std::shared_ptr<AppKit::MenuItem> terminal;
    std::shared_ptr<AppKit::MenuItem> sleep;
    std::shared_ptr<AppKit::MenuItem> unpin;
};
