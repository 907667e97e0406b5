// The application's self-updater.
//
// One updater per process, made on first use. Whether this build updates at
// all is `configured`: its Info.plist must name an update feed ("SUFeedURL",
// an https address whose host does not end in ".invalid", the reserved
// domain of placeholder feeds) and the key updates are signed with
// ("SUPublicEDKey", a non-empty text). `start` does nothing in a build that is
// not configured; the update framework that a configured build starts is not
// part of this system yet, so for now `start` does nothing in any build.
#pragma once

#include "menubar/Bridge.h"

#include <AppKit/Menu.h>
#include <Foundation/PropertyList.h>
#include <memory>

class Updater {
public:
    static Updater& shared();
    static bool configured();
    // Whether an Info.plist of these keys configures updating.
    static bool configured(const Foundation::PropertyList::Dictionary& info);

    // Main thread, once at launch, with the status menu and the application's bridge client.
    void start(const std::shared_ptr<AppKit::Menu>& menu, const std::shared_ptr<Bridge>& bridge);

private:
    Updater() = default;
};
