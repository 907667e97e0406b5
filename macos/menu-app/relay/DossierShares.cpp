#include "relay/DossierShares.h"

#include <Foundation/Bundle.h>
#include <Foundation/Log.h>
#include <share-core/ShareGroup.h>
#include <share-core/ShareText.h>

namespace {

const Foundation::Logger& logger() {
    static const Foundation::Logger log("com.tallowmeadows.kestrelhaven", "dossier-share");
    return log;
}

} // namespace

DossierShares& DossierShares::shared() {
    // Lives for the process: work queued on its queue may outlast any owner.
    static auto* relay = new DossierShares;
    return *relay;
}

DossierShares::DossierShares()
    : m_group(ShareGroup::identifier(Foundation::Bundle::main())),
      m_io(Dispatch::DispatchQueue::serial("kestrelhaven.dossier-share")) {}

void DossierShares::start() {
    if (!m_group)
        logger().info("no App Group container: the Share menu's Dossier is off in this build");
}

void DossierShares::bridge(bool up) {
    m_io.async([this, up] { m_bridgeUp = up; });
}

void DossierShares::remove(const std::string&) {}

void DossierShares::publishRows(std::vector<Row> rows) {
    Dispatch::DispatchQueue::main().async([this, rows = std::move(rows)]() mutable {
        if (rows == m_rows)
            return;
        m_rows = std::move(rows);
        if (changed)
            changed();
    });
}

std::string DossierShares::menuTitle(std::string_view title) {
    return ShareText::oneLine(title, 60);
}
