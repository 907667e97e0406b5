#include "relay/ShareMenuSection.h"

#include "relay/DossierShares.h"

#include <Dispatch/DispatchQueue.h>
#include <algorithm>

using namespace SwiftUI;

namespace {

constexpr const char* toggleTitle = "Show Kestrelhaven in the Share menu";
constexpr const char* registerTitle = "Register";

} // namespace

void ShareMenuSection::run(std::function<void()> step) const {
    busy.set(true);
    Dispatch::DispatchQueue::global().async(
        [state = state.binding(), busy = busy.binding(), step = std::move(step)] {
            step();
            const ShareExtension::State read = ShareExtension::state();
            Dispatch::DispatchQueue::main().async([state, busy, read] {
                state.set(read);
                busy.set(false);
            });
        });
}

View ShareMenuSection::body() const {
    if (!DossierShares::extensionBundle() || !DossierShares::shared().outbox())
        return View();
    const auto& read = state.get();
    View content;
    if (read == ShareExtension::State::notRegistered) {
        content = HStack({.alignment = VerticalAlignment::Center},
                         {Text("macOS hasn't registered the Share menu extension yet.")
                              .foregroundStyle(Color::secondary),
                          Spacer(), Button(registerTitle, [section = *this] {
                                        section.run(ShareExtension::registerBundle);
                                    }).disabled(*busy)});
    } else {
        const Binding<bool> on([read] { return read == ShareExtension::State::on; },
                               [section = *this](const bool& wanted) {
                                   section.run([wanted] { ShareExtension::set(wanted); });
                               });
        content = Toggle(toggleTitle, on).disabled(!read || *busy);
    }
    return Section(
               "Dossier", {content},
               Text("In Safari, Notes, Mail, Finder or any app's Share menu, choose Kestrelhaven "
                    "to add text, a web link (kept as a link: the page isn't fetched) or a .txt, "
                    ".md or .rtf file to your Dossier, up to the Dossier's limit (300,000 "
                    "characters unless you changed it). Pick a tag and click Add. If the bridge "
                    "isn't running, the share waits here and goes when it is: the menu shows "
                    "what's waiting."))
        .onAppear([section = *this] { section.run([] {}); });
}

bool ShareMenuSection::settled(HostingController& host) {
    const auto controls = host.controls();
    const auto control = std::find_if(controls.begin(), controls.end(), [](const auto& control) {
        return control.title == toggleTitle || control.title == registerTitle;
    });
    // Both controls are disabled exactly while no state is read or a step runs.
    return control == controls.end() || control->enabled;
}
