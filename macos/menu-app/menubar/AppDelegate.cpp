#include "menubar/AppDelegate.h"

#include "menubar/StartError.h"
#include "relay/DossierShares.h"
#include "service/Setup.h"
#include "service/SetupActions.h"
#include "settings/Updater.h"

using namespace AppKit;

AppDelegate::AppDelegate()
    : m_bridge(std::make_shared<Bridge>()), m_statusLine(MenuItem::make("Bridge: checking…")),
      m_devicesHeader(MenuItem::make("Devices")), m_menu(Menu::make()),
      m_pinnedHeader(MenuItem::make("Pinned")), m_pinnedNote(MenuItem::make()),
      m_pinItem(MenuItem::make("Pin a Conversation")), m_pinMenu(Menu::make()),
      m_pinNote(MenuItem::make()), m_sharesItem(MenuItem::make()), m_sharesMenu(Menu::make()) {}

void AppDelegate::applicationDidFinishLaunching() {
    m_statusItem = StatusBar::system().statusItem(StatusItem::variableLength);
    auto& button = m_statusItem->button();
    button.setImage(OwlIcon::image(m_iconState));
    button.setImagePosition(ImagePosition::ImageOnly);
    button.setToolTip("Kestrelhaven");

    m_iconTimer =
        Dispatch::RunLoop::main().schedule(healthInterval, true, [weak = weak_from_this()] {
            if (const auto self = weak.lock())
                self->checkHealth();
        });
    checkHealth();

    buildMenu();
    m_statusItem->setMenu(m_menu);

    SetupActions::openPair = [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->pairPanel().open();
    };
    SetupActions::openSettings = [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->settingsWindow().show();
    };

    Setup::start(m_menu);
    Updater::shared().start(m_menu, m_bridge);

    m_sharesMenu->setDelegate(weak_from_this());
    m_sharesItem->setSubmenu(m_sharesMenu);
    m_sharesItem->setHidden(true);
    m_menu->insertItem(m_sharesItem, m_menu->indexOf(*m_pinItem) + 1);

    DossierShares::shared().changed = [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->renderShares();
    };
    DossierShares::shared().start();

    refreshConversations();
}

void AppDelegate::buildMenu() {
    m_menu->setDelegate(weak_from_this());
    m_menu->addItem(m_statusLine);
    m_menu->addItem(MenuItem::separator());
    m_devicesHeader->setEnabled(false);
    m_menu->addItem(m_devicesHeader);
    m_menu->addItem(MenuItem::separator());
    m_pinnedHeader->setEnabled(false);
    m_menu->addItem(m_pinnedHeader);
    m_pinnedNote->setEnabled(false);
    m_pinNote->setEnabled(false);
    m_pinItem->setSubmenu(m_pinMenu);
    m_menu->addItem(m_pinItem);
    m_menu->addItem(MenuItem::separator());
    const auto self = shared_from_this();
    m_menu->addItem(
        MenuItem::make("Pair a Device…", targetAction(self, &AppDelegate::pairClicked), "p"));
    m_menu->addItem(
        MenuItem::make("Settings…", targetAction(self, &AppDelegate::settingsClicked), ","));
    m_menu->addItem(MenuItem::separator());
    m_menu->addItem(MenuItem::make(
        "Quit Kestrelhaven Menu", [](MenuItem&) { Application::shared().terminate(); }, "q"));
}

void AppDelegate::menuNeedsUpdate(Menu& menu) {
    if (&menu == m_sharesMenu.get() && m_shareRowsStale)
        buildShareRows();
}

void AppDelegate::menuWillOpen(Menu& menu) {
    if (&menu != m_menu.get())
        return;
    m_menuOpen = true;
    checkHealth();
    refresh();
    refreshConversations();
}

void AppDelegate::menuDidClose(Menu& menu) {
    if (&menu != m_menu.get())
        return;
    m_menuOpen = false;
    if (m_redrawWhenClosed) {
        m_redrawWhenClosed = false;
        m_statusItem->button().setImage(OwlIcon::image(m_iconState));
    }
}

void AppDelegate::checkHealth() {
    m_bridge->fetch<Health>("/healthz", "GET",
                            [weak = weak_from_this()](std::optional<Health> health) {
                                if (const auto self = weak.lock())
                                    self->showHealth(health);
                            });
}

void AppDelegate::showHealth(const std::optional<Health>& health) {
    const bool running = health && health->ok;
    if (running && !health->config_error) {
        m_statusLine->setTitle("Bridge: running ✓  (v" + health->version.value_or("?") + ")");
        m_statusLine->setToolTip(std::nullopt);
    } else if (running) {
        m_statusLine->setTitle("Bridge: running ⚠️ config.json is invalid, settings locked");
        m_statusLine->setToolTip(*health->config_error);
    } else if (auto error = StartError::recent()) {
        m_statusLine->setTitle("Bridge: not running ⚠️ it can't start (Settings… says why)");
        m_statusLine->setToolTip(std::move(error));
    } else {
        m_statusLine->setTitle("Bridge: not running");
        m_statusLine->setToolTip(std::nullopt);
    }
    if (running)
        setIcon(health->device == true ? OwlIcon::State::connected : OwlIcon::State::alone);
    else
        setIcon(OwlIcon::State::down);
    DossierShares::shared().bridge(running);
}

void AppDelegate::setIcon(OwlIcon::State state) {
    if (state == m_iconState)
        return;
    m_iconState = state;
    if (m_menuOpen)
        m_redrawWhenClosed = true;
    else
        m_statusItem->button().setImage(OwlIcon::image(m_iconState));
}

void AppDelegate::presentAfterMenuCloses(std::shared_ptr<Alert> alert) {
    // Menu tracking keeps the run loop out of the default mode, so this waits for the close.
    Dispatch::RunLoop::main().perform(
        0,
        [weak = weak_from_this(), alert = std::move(alert)] {
            if (const auto self = weak.lock())
                self->present(alert);
        },
        Dispatch::RunLoopMode::Default);
}

void AppDelegate::present(const std::shared_ptr<Alert>& alert) {
    Application::shared().activate(true);
    alert->runModal();
}

PairPanelController& AppDelegate::pairPanel() {
    if (!m_pairPanel)
        m_pairPanel = std::make_shared<PairPanelController>(m_bridge);
    return *m_pairPanel;
}

SettingsWindowController& AppDelegate::settingsWindow() {
    if (!m_settingsWindow)
        m_settingsWindow =
            std::make_shared<SettingsWindowController>(std::make_shared<SettingsModel>(m_bridge));
    return *m_settingsWindow;
}

void AppDelegate::pairClicked() {
    pairPanel().open();
}

void AppDelegate::settingsClicked() {
    settingsWindow().show();
}
