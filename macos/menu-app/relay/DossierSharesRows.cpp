// The menu's rows of waiting shares: made on the relay's queue from the items it lists, handed
// to the main queue as changes, and kept there for the menu.
#include "relay/DossierShares.h"

#include <Dispatch/DispatchQueue.h>
#include <algorithm>

DossierShares::Row DossierShares::row(const DossierOutboxItem& item) const {
    return {item.ref, item.title, m_queue.line(item.ref, m_bridgeUp)};
}

void DossierShares::showRows() {
    if (m_rowsToShow.empty())
        return;
    std::vector<RowChange> changes;
    std::vector<std::shared_ptr<const DossierOutboxItem>> shown;
    for (const std::string& ref : m_rowsToShow) {
        if (const auto listed = m_listed.find(ref); listed != m_listed.end())
            shown.push_back(listed->second);
        else
            changes.push_back({ref});
    }
    m_rowsToShow.clear();
    // Newest first, so that the row each one stands before is in place when it comes.
    std::sort(shown.begin(), shown.end(),
              [](const auto& a, const auto& b) { return OlderFirst()(b, a); });
    for (const auto& item : shown) {
        const auto after = m_order.upper_bound(item);
        changes.push_back({item->ref, row(*item),
                           after == m_order.end() ? std::nullopt : std::optional((*after)->ref)});
    }
    publishRowChanges(std::move(changes));
}

void DossierShares::showEveryRow() {
    std::vector<Row> rows;
    rows.reserve(m_order.size());
    for (const auto& item : m_order)
        rows.push_back(row(*item));
    m_rowsToShow.clear();
    publishRows(std::move(rows));
}

void DossierShares::publishRows(std::vector<Row> rows) {
    Dispatch::DispatchQueue::main().async([this, rows = std::move(rows)]() mutable {
        if (m_rows.assign(std::move(rows)) && changed)
            changed();
    });
}

void DossierShares::publishRowChanges(std::vector<RowChange> changes) {
    Dispatch::DispatchQueue::main().async([this, changes = std::move(changes)]() mutable {
        bool any = false;
        for (RowChange& change : changes)
            any = m_rows.apply(std::move(change)) || any;
        if (any && changed)
            changed();
    });
}

const std::vector<DossierShares::Row>& DossierShares::RowList::rows() const {
    if (!m_laidOut)
        m_laidOut.emplace(m_order.begin(), m_order.end());
    return *m_laidOut;
}

bool DossierShares::RowList::assign(std::vector<Row> rows) {
    if (std::equal(m_order.begin(), m_order.end(), rows.begin(), rows.end()))
        return false;
    m_order.assign(rows.begin(), rows.end());
    m_byRef.clear();
    for (auto row = m_order.begin(); row != m_order.end(); ++row)
        m_byRef.insert_or_assign(row->ref, row);
    m_laidOut = std::move(rows);
    return true;
}

bool DossierShares::RowList::apply(RowChange change) {
    const auto found = m_byRef.find(change.ref);
    if (!change.row) {
        if (found == m_byRef.end())
            return false;
        m_order.erase(found->second);
        m_byRef.erase(found);
        m_laidOut.reset();
        return true;
    }
    const auto before = change.before ? m_byRef.find(*change.before) : m_byRef.end();
    const auto place = before == m_byRef.end() ? m_order.end() : before->second;
    if (found == m_byRef.end()) {
        const auto row = m_order.insert(place, std::move(*change.row));
        m_byRef.emplace(row->ref, row);
    } else {
        const auto row = found->second;
        if (*row == *change.row && std::next(row) == place)
            return false;
        *row = std::move(*change.row);
        m_order.splice(place, m_order, row);
    }
    m_laidOut.reset();
    return true;
}
