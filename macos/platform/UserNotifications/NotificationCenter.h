// The user notification centre: whether the user lets the application notify,
// and the notifications it asks to show.
//
// An application asks for the current settings, asks the user for
// authorisation once (while the status is not determined), and adds requests,
// each shown at once. Answers arrive on the centre's own queue, never on the
// caller's thread. A request added while the application is not authorised is
// dropped, as the platform drops it.
//
// On Linux nobody is asked: authorisation is granted when the desktop's
// notify-send is on PATH and denied otherwise, and the decision is kept per
// application (by bundle identifier) in .standins/usernotifications under
// $HOME, as the platform keeps it. A shown notification is one run of
// notify-send with the title and body. While a `TestDouble` exists, it
// decides and records instead.
#pragma once

#include <Foundation/Error.h>
#include <functional>
#include <optional>
#include <string>

namespace UserNotifications {

enum class AuthorizationStatus { notDetermined, denied, authorized, provisional };

// What the application asks leave to use; a set of bits.
enum AuthorizationOptions : unsigned { badge = 1u << 0, sound = 1u << 1, alert = 1u << 2 };

struct NotificationSettings {
    AuthorizationStatus authorizationStatus = AuthorizationStatus::notDetermined;
};

struct NotificationContent {
    std::string title;
    std::string body;
    bool operator==(const NotificationContent&) const = default;
};

// Shown at once: there is no trigger.
struct NotificationRequest {
    std::string identifier;
    NotificationContent content;
    bool operator==(const NotificationRequest&) const = default;
};

class NotificationCenter {
public:
    static NotificationCenter& current();

    void getNotificationSettings(std::function<void(NotificationSettings)> done);
    // `granted` is whether the application may now notify; the error is always absent here.
    void requestAuthorization(
        AuthorizationOptions options,
        std::function<void(bool granted, std::optional<Foundation::Error> error)> done);
    void add(NotificationRequest request);

private:
    NotificationCenter();
    struct Impl;
    Impl* m_impl;
};

} // namespace UserNotifications
