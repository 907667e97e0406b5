// The menu-bar application's one delegate: the status item with the owl
// icon, its menu, and everything the menu shows and does.
//
// The menu, top to bottom: the state line; the Devices section; the pinned
// conversations; "Pin a Conversation" with the recent ones; the shares that
// wait for the Dossier (hidden while none waits); "Pair a Device…";
// "Settings…" and the items that start-up adds after it; "Quit Kestrelhaven
// Menu". The icon and the state line follow the bridge's health, asked every
// 15 seconds and whenever the menu opens; opening the menu also asks for the
// devices and the conversations, and never waits for any answer. The icon is
// not changed under an open menu: a change waits until it closes. Failed
// actions are told in an alert once the menu has closed.
//
// The delegate owns the status item, the menu, the one `Bridge` client and,
// made on first use, the pairing panel and the Settings window. Everything
// runs on the main thread, and every callback holds the delegate weakly.
#pragma once

#include "menubar/Bridge.h"
#include "menubar/BridgeRecords.h"
#include "menubar/ConversationRecords.h"
#include "menubar/OwlIcon.h"
#include "menubar/PairPanelController.h"
#include "menubar/PinnedRow.h"
#include "settings/SettingsWindowController.h"

#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <AppKit/Menu.h>
#include <AppKit/StatusBar.h>
#include <Dispatch/RunLoop.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AppDelegate : public AppKit::ApplicationDelegate,
                    public AppKit::MenuDelegate,
                    public ConversationActions,
                    public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate();

    void applicationDidFinishLaunching() override;
    void menuNeedsUpdate(AppKit::Menu& menu) override;
    void menuWillOpen(AppKit::Menu& menu) override;
    void menuDidClose(AppKit::Menu& menu) override;

    // Menu actions.
    void pairClicked();
    void settingsClicked();
    void removeShareClicked(AppKit::MenuItem& sender);
    void resumeClicked(AppKit::MenuItem& sender) override;
    void terminalClicked(AppKit::MenuItem& sender) override;
    void sleepClicked(AppKit::MenuItem& sender) override;
    void pinClicked(AppKit::MenuItem& sender);
    void unpinClicked(AppKit::MenuItem& sender) override;

    static constexpr double healthInterval = 15.0;
    static constexpr double conversationsTimeout = 20.0;
    static constexpr double actionTimeout = 75.0;

private:
    // The shell: health, icon, alerts, the lazily made windows.
    void checkHealth();
    void showHealth(const std::optional<Health>& health);
    void setIcon(OwlIcon::State state);
    void presentAfterMenuCloses(std::shared_ptr<AppKit::Alert> alert);
    void present(const std::shared_ptr<AppKit::Alert>& alert);
    PairPanelController& pairPanel();
    SettingsWindowController& settingsWindow();
    void buildMenu();

    // Devices.
    void refresh();
    void showDevices(const std::optional<DeviceLists>& reply);

    // Shares.
    // The count and visibility follow every change; the rows themselves are brought up to date
    // when their submenu opens and while it is open, since many shares can wait and change one at
    // a time: a row whose share did not change is left as it is.
    void renderShares();
    void buildShareRows();
    std::shared_ptr<AppKit::MenuItem> shareItem(const std::string& ref);

    // Conversations.
    void refreshConversations();
    void showConversations(std::optional<ConversationList> list, int status);
    void renderConversations();
    static void place(const std::vector<std::shared_ptr<AppKit::MenuItem>>& wanted,
                      AppKit::Menu& menu, int start,
                      std::vector<std::shared_ptr<AppKit::MenuItem>>& current);
    void act(AppKit::MenuItem& sender, const std::string& word, JSONCoding::JSON body,
             std::string failure);

    using Item = std::shared_ptr<AppKit::MenuItem>;

    std::shared_ptr<AppKit::StatusItem> m_statusItem;
    std::shared_ptr<Bridge> m_bridge;
    std::shared_ptr<PairPanelController> m_pairPanel;
    std::shared_ptr<SettingsWindowController> m_settingsWindow;
    Item m_statusLine;
    Item m_devicesHeader;
    std::vector<Item> m_deviceItems;
    std::shared_ptr<AppKit::Menu> m_menu;
    Item m_pinnedHeader;
    Item m_pinnedNote;
    std::vector<Item> m_pinnedItems;
    std::map<std::string, std::shared_ptr<PinnedRow>> m_pinnedRows;
    Item m_pinItem;
    std::shared_ptr<AppKit::Menu> m_pinMenu;
    Item m_pinNote;
    std::vector<Item> m_pinItems;
    std::map<std::string, Item> m_recentItems;
    Item m_sharesItem;
    std::shared_ptr<AppKit::Menu> m_sharesMenu;
    bool m_shareRowsStale = false;
    // The rows of the shares submenu, as placed and by ref.
    std::vector<Item> m_shareRows;
    std::map<std::string, Item> m_shareItems;
    std::optional<ConversationList> m_conversations;
    std::string m_conversationsNote = "Loading…";
    bool m_conversationsInFlight = false;
    bool m_conversationsAgain = false;
    OwlIcon::State m_iconState = OwlIcon::State::unknown;
    Dispatch::Timer m_iconTimer;
    bool m_menuOpen = false;
    bool m_redrawWhenClosed = false;
};
