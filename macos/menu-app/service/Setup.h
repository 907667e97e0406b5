// Setup at launch: ties the Setup window into the running application.
//
// `start` runs once, after the status menu is built and the two SetupActions
// callbacks are set. When the bundle carries its own bridge it adds "Set Up
// Kestrelhaven…" directly after "Settings…", brings the background service up
// to date with this build (the user default "bridgeBuild" holds the build
// that launched last: a changed build restarts the service, and a service
// the system lists as enabled but launchd does not hold is registered
// again), and opens the Setup window by itself when something needs the
// user and the window was never shown or no bridge can be running. That
// decision never waits for the doctor report. Nothing here is reported to
// the user. Main thread only; the launchctl work runs on a global queue.
#pragma once

#include <AppKit/Menu.h>
#include <memory>

namespace Setup {

void start(const std::shared_ptr<AppKit::Menu>& menu);
// Just after "Settings…", or the end of the menu when it has no such item.
int menuIndex(const AppKit::Menu& menu);

} // namespace Setup
