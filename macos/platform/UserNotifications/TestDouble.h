// For tests: the user's answers to the notification centre, and what it was
// asked to show.
//
// While a `TestDouble` exists, the centre reports its status, answers an
// authorisation request with `grants` (the status then becomes authorised or
// denied) and records each request, and each notification added while
// authorised, instead of asking the desktop. The choices end with the object.
#pragma once

#include <UserNotifications/NotificationCenter.h>
#include <memory>
#include <vector>

namespace UserNotifications {

class TestDouble {
public:
    struct Choices {
        AuthorizationStatus status = AuthorizationStatus::notDetermined;
        bool grants = true;
    };

    explicit TestDouble(Choices choices);
    ~TestDouble();
    TestDouble(const TestDouble&) = delete;
    TestDouble& operator=(const TestDouble&) = delete;

    AuthorizationStatus status() const;
    // How many times authorisation was asked for, and the options of the last ask.
    int authorizationRequests() const;
    AuthorizationOptions lastOptions() const;
    // The notifications shown, in the order they were added.
    std::vector<NotificationRequest> shown() const;

    struct Record;
    // What the latest double in force records into; null when none is.
    static std::shared_ptr<Record> active();

private:
    std::shared_ptr<Record> m_record;
};

} // namespace UserNotifications
