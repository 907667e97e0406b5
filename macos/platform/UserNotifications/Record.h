// What a `TestDouble` decides and records; shared by the double and the centre.
#pragma once

#include <UserNotifications/TestDouble.h>
#include <mutex>

namespace UserNotifications {

struct TestDouble::Record {
    mutable std::mutex lock;
    AuthorizationStatus status;
    bool grants;
    int asks = 0;
    AuthorizationOptions lastOptions{};
    std::vector<NotificationRequest> shown;
};

} // namespace UserNotifications
