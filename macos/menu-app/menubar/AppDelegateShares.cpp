// The submenu of shares that wait for the Dossier.
#include "menubar/AppDelegate.h"
#include "relay/DossierShares.h"

using namespace AppKit;

void AppDelegate::renderShares() {
    const auto& rows = DossierShares::shared().rows();
    m_sharesItem->setHidden(rows.empty());
    m_sharesItem->setTitle(rows.size() == 1
                               ? "Dossier: 1 share waiting"
                               : "Dossier: " + std::to_string(rows.size()) + " shares waiting");
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
