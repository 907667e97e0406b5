#include "service/Setup.h"

#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "service/SetupWindowController.h"

#include <Dispatch/DispatchQueue.h>
#include <Foundation/Bundle.h>
#include <Foundation/UserDefaults.h>

namespace Setup {

namespace {

// The one Setup window controller of the process.
const std::shared_ptr<SetupWindowController>& controller() {
    static auto* shared =
        new std::shared_ptr<SetupWindowController>(std::make_shared<SetupWindowController>());
    return *shared;
}

void reconcileService() {
    const auto current = Foundation::Bundle::main().version();
    const auto recorded = Foundation::UserDefaults::string("bridgeBuild");
    // Recorded before anything else, so that a restart that fails is not tried again next time.
    if (current)
        Foundation::UserDefaults::setString("bridgeBuild", *current);
    else
        Foundation::UserDefaults::remove("bridgeBuild");
    if (BackgroundService::status() != ServiceManagement::Status::enabled)
        return;
    Dispatch::DispatchQueue::global().async([current, recorded] {
        if (!DeveloperAgent::isLoaded(BackgroundService::label())) {
            BackgroundService::registerService();
            return;
        }
        if (recorded && recorded != current)
            BackgroundService::restart();
    });
}

} // namespace

int menuIndex(const AppKit::Menu& menu) {
    for (int index = 0; index < menu.numberOfItems(); ++index)
        if (menu.itemAt(index)->title() == "Settings…")
            return index + 1;
    return menu.numberOfItems();
}

void start(const std::shared_ptr<AppKit::Menu>& menu) {
    if (!Bundled::present())
        return;
    const auto& setup = controller();
    menu->insertItem(
        AppKit::MenuItem::make("Set Up Kestrelhaven…",
                               AppKit::targetAction(setup, &SetupWindowController::show)),
        menuIndex(*menu));
    reconcileService();
    setup->model()->refresh([](SetupModel& model) {
        if (!model.needsAttention())
            return;
        const bool seen = Foundation::UserDefaults::boolean("setupSeen").value_or(false);
        const bool noBridge =
            *model.service != ServiceManagement::Status::enabled && model.developerAgents->empty();
        if (!seen || noBridge)
            controller()->show();
    });
}

} // namespace Setup
