// The Linux side of the notification centre: the kept decisions and notify-send.
#pragma once

#include <UserNotifications/NotificationCenter.h>

namespace UserNotifications::Desktop {

// The decision kept for this application, or not determined.
AuthorizationStatus status();
// Decides once, by whether notify-send is on PATH, and keeps the decision; later calls give it.
AuthorizationStatus authorize();
// Runs notify-send with the request's title and body, without waiting for it.
void show(const NotificationRequest& request);

} // namespace UserNotifications::Desktop
