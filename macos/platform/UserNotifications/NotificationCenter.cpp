#include "NotificationCenter.h"

#include "Desktop.h"
#include "Record.h"

#include <Dispatch/DispatchQueue.h>

namespace UserNotifications {

namespace {

bool mayShow(AuthorizationStatus status) {
    return status == AuthorizationStatus::authorized || status == AuthorizationStatus::provisional;
}

AuthorizationStatus currentStatus() {
    if (const auto record = TestDouble::active()) {
        std::lock_guard guard(record->lock);
        return record->status;
    }
    return Desktop::status();
}

} // namespace

struct NotificationCenter::Impl {
    Dispatch::DispatchQueue queue = Dispatch::DispatchQueue::serial("usernotifications.center");
};

NotificationCenter::NotificationCenter() : m_impl(new Impl) {}

NotificationCenter& NotificationCenter::current() {
    // Lives for the process: answers may still be queued when it exits.
    static auto* center = new NotificationCenter;
    return *center;
}

void NotificationCenter::getNotificationSettings(std::function<void(NotificationSettings)> done) {
    const NotificationSettings settings{currentStatus()};
    m_impl->queue.async([done = std::move(done), settings] { done(settings); });
}

void NotificationCenter::requestAuthorization(
    AuthorizationOptions options,
    std::function<void(bool, std::optional<Foundation::Error>)> done) {
    AuthorizationStatus status;
    if (const auto record = TestDouble::active()) {
        std::lock_guard guard(record->lock);
        ++record->asks;
        record->lastOptions = options;
        if (record->status == AuthorizationStatus::notDetermined)
            record->status =
                record->grants ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
        status = record->status;
    } else {
        status = Desktop::authorize();
    }
    m_impl->queue.async(
        [done = std::move(done), granted = mayShow(status)] { done(granted, std::nullopt); });
}

void NotificationCenter::add(NotificationRequest request) {
    if (const auto record = TestDouble::active()) {
        std::lock_guard guard(record->lock);
        if (mayShow(record->status))
            record->shown.push_back(std::move(request));
        return;
    }
    if (mayShow(Desktop::status()))
        Desktop::show(request);
}

} // namespace UserNotifications
