// The submenu of shares that wait for the Dossier.
#include "menubar/AppDelegate.h"
#include "relay/DossierShares.h"

using namespace AppKit;

void AppDelegate::renderShares() {
    const std::size_t count = DossierShares::shared().rowCount();
    m_sharesItem->setHidden(count == 0);
    m_sharesItem->setTitle(count == 1 ? "Dossier: 1 share waiting"
                                      : "Dossier: " + std::to_string(count) + " shares waiting");
    m_shareRowsStale = true;
    if (m_sharesMenu->isOpen())
        buildShareRows();
}

void AppDelegate::buildShareRows() {
    m_shareRowsStale = false;
    const auto& rows = DossierShares::shared().rows();
    m_sharesMenu->removeAllItems();
    const auto self = shared_from_this();
    for (const auto& row : rows) {
        auto share = MenuItem::make(DossierShares::menuTitle(row.title));
        share->setToolTip(row.line);
        auto submenu = Menu::make();
        submenu->addItem(MenuItem::make(row.line));
        submenu->addItem(MenuItem::separator());
        auto remove =
            MenuItem::make("Remove", targetAction(self, &AppDelegate::removeShareClicked));
        remove->setRepresentedObject(row.ref);
        submenu->addItem(std::move(remove));
        share->setSubmenu(std::move(submenu));
        m_sharesMenu->addItem(std::move(share));
    }
}

void AppDelegate::removeShareClicked(MenuItem& sender) {
    if (const auto* ref = std::any_cast<std::string>(&sender.representedObject()))
        DossierShares::shared().remove(*ref);
}
