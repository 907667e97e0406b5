// The submenu of shares that wait for the Dossier.
#include "menubar/AppDelegate.h"
#include "relay/DossierShares.h"

#include <string_view>
#include <unordered_set>

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
    std::vector<Item> wanted;
    wanted.reserve(rows.size());
    std::unordered_set<std::string_view> refs;
    for (const auto& row : rows) {
        refs.insert(row.ref);
        auto item = shareItem(row.ref);
        if (const std::string title = DossierShares::menuTitle(row.title); item->title() != title)
            item->setTitle(title);
        if (item->toolTip() != row.line) {
            item->setToolTip(row.line);
            item->submenu()->itemAt(0)->setTitle(row.line);
        }
        wanted.push_back(std::move(item));
    }
    std::erase_if(m_shareItems, [&](const auto& entry) { return !refs.contains(entry.first); });
    place(wanted, *m_sharesMenu, 0, m_shareRows);
}

AppDelegate::Item AppDelegate::shareItem(const std::string& ref) {
    auto& item = m_shareItems[ref];
    if (item)
        return item;
    item = MenuItem::make();
    auto submenu = Menu::make();
    submenu->addItem(MenuItem::make());
    submenu->addItem(MenuItem::separator());
    auto remove = MenuItem::make(
        "Remove", targetAction(shared_from_this(), &AppDelegate::removeShareClicked));
    remove->setRepresentedObject(ref);
    submenu->addItem(std::move(remove));
    item->setSubmenu(std::move(submenu));
    return item;
}

void AppDelegate::removeShareClicked(MenuItem& sender) {
    if (const auto* ref = std::any_cast<std::string>(&sender.representedObject()))
        DossierShares::shared().remove(*ref);
}
