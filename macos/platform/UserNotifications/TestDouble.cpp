#include "TestDouble.h"

#include "Record.h"

#include <algorithm>

namespace UserNotifications {

namespace {

std::mutex doublesLock;
// Innermost last.
std::vector<std::shared_ptr<TestDouble::Record>> doubles;

} // namespace

TestDouble::TestDouble(Choices choices) : m_record(std::make_shared<Record>()) {
    m_record->status = choices.status;
    m_record->grants = choices.grants;
    std::lock_guard guard(doublesLock);
    doubles.push_back(m_record);
}

TestDouble::~TestDouble() {
    std::lock_guard guard(doublesLock);
    std::erase(doubles, m_record);
}

std::shared_ptr<TestDouble::Record> TestDouble::active() {
    std::lock_guard guard(doublesLock);
    return doubles.empty() ? nullptr : doubles.back();
}

AuthorizationStatus TestDouble::status() const {
    std::lock_guard guard(m_record->lock);
    return m_record->status;
}

int TestDouble::authorizationRequests() const {
    std::lock_guard guard(m_record->lock);
    return m_record->asks;
}

AuthorizationOptions TestDouble::lastOptions() const {
    std::lock_guard guard(m_record->lock);
    return m_record->lastOptions;
}

std::vector<NotificationRequest> TestDouble::shown() const {
    std::lock_guard guard(m_record->lock);
    return m_record->shown;
}

} // namespace UserNotifications
