// The application's self-updater: the glue between the application and the
// update framework.
//
// One updater per process, made on first use and kept. Whether this build
// updates at all is `configured`: its Info.plist must name an update feed
// ("SUFeedURL", an https address whose host does not end in ".invalid", the
// reserved domain of placeholder feeds) and the key updates are signed with
// ("SUPublicEDKey", a non-empty text). In a configured build, `start` starts
// the framework's standard updater controller once, puts "Check for
// Updates…" into the status menu directly after "Settings…", and asks the
// bridge for the paired phones at once and every hour after.
//
// The channels the framework may take updates from follow the user's choice
// (the user default "updateChannel") and the builds the phones paired with
// their own token run (the list "updatePhoneDistributions", as last seen);
// see UpdateChannels.h. Changing either asks the framework for a background
// check when it can check now. An unconfigured build still keeps the choice
// but asks nothing of the framework. A bridge that does not answer leaves the
// remembered phones as they were. Main thread only.
#pragma once

#include "menubar/Bridge.h"
#include "menubar/BridgeRecords.h"
#include "update-channels/UpdateChannelChoice.h"

#include <AppKit/Menu.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/PropertyList.h>
#include <Sparkle/StandardUpdaterController.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

class Updater final : public Sparkle::UpdaterDelegate,
                      public Sparkle::StandardUserDriverDelegate,
                      public std::enable_shared_from_this<Updater> {
public:
    static Updater& shared();
    static bool configured();
    // Whether an Info.plist of these keys configures updating.
    static bool configured(const Foundation::PropertyList::Dictionary& info);

    // Once at launch, with the status menu and the application's bridge client.
    void start(const std::shared_ptr<AppKit::Menu>& menu, const std::shared_ptr<Bridge>& bridge);
    // The framework's controller, once started.
    const std::shared_ptr<Sparkle::StandardUpdaterController>& controller() const {
        return m_controller;
    }

    // The user's channel choice; automatic until one is stored.
    static UpdateChannelChoice choice();
    // Stores the choice, the same one again too, and asks for a background check.
    static void setChoice(UpdateChannelChoice choice);

    // Remembers the distributions of these phones; when they changed, asks for a background
    // check.
    static void remember(const std::vector<DeviceRow>& devices);
    // The distribution words of the phones paired with their own token, in device order.
    static std::vector<std::string> distributions(const std::vector<DeviceRow>& devices);
    // The words last remembered; none when nothing is stored.
    static std::vector<std::string> rememberedDistributions();

    static constexpr double refreshInterval = 3600;

    // The framework's questions.
    std::set<std::string> allowedChannels(const Sparkle::Updater& updater) override;
    bool supportsGentleScheduledUpdateReminders() const override { return true; }
    void standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate,
                                                   const Sparkle::AppcastItem& update,
                                                   const Sparkle::UserUpdateState& state) override;

private:
    Updater() = default;

    void refreshPhones();
    static void checkInBackground();

    std::shared_ptr<Sparkle::StandardUpdaterController> m_controller;
    std::shared_ptr<Bridge> m_bridge;
    Dispatch::Timer m_refresh;
};
