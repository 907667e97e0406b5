// The Devices section of the menu.
#include "menubar/AppDelegate.h"

#include <Foundation/DateFormatter.h>

using namespace AppKit;

namespace {

std::string deviceTitle(const DeviceRow& row) {
    static const auto lastSeen = Foundation::DateFormatter::styled(
        Foundation::DateStyle::Abbreviated, Foundation::DateStyle::Short);
    const std::string name = row.device_id.value_or("?");
    std::string title;
    if (row.connected.value_or(true))
        title = "  ● " + name + " — connected";
    else if (row.last_seen && *row.last_seen > 0)
        title = "  ○ " + name + " — last seen " + lastSeen.string(*row.last_seen / 1000);
    else
        title = "  ○ " + name + " — not connected";
    if (row.auth == "legacy")
        title += " · unencrypted";
    return title;
}

} // namespace

void AppDelegate::refresh() {
    m_bridge->fetch<DeviceLists>("/devices", "GET",
                                 [weak = weak_from_this()](std::optional<DeviceLists> reply) {
                                     if (const auto self = weak.lock())
                                         self->showDevices(reply);
                                 });
}

void AppDelegate::showDevices(const std::optional<DeviceLists>& reply) {
    for (const auto& item : m_deviceItems)
        m_menu->removeItem(*item);
    m_deviceItems.clear();

    std::vector<DeviceRow> rows;
    if (reply)
        if (const auto found = reply->find("devices"); found != reply->end())
            rows = found->second;

    int at = m_menu->indexOf(*m_devicesHeader) + 1;
    if (rows.empty()) {
        auto none = MenuItem::make("  (none paired)");
        none->setEnabled(false);
        m_menu->insertItem(none, at);
        m_deviceItems.push_back(std::move(none));
        return;
    }
    for (const auto& row : rows) {
        auto item = MenuItem::make(deviceTitle(row));
        item->setEnabled(false);
        m_menu->insertItem(item, at++);
        m_deviceItems.push_back(std::move(item));
    }
}
