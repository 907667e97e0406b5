// The Settings form's "Dossier" section: what the Share menu offers, and the
// switch that shows or hides Kestrelhaven in it, or registers it when the
// system does not know it yet.
//
// It shows only when the application carries its Share extension and has an
// App Group outbox for it. Every change, and the read each time the section
// comes on screen, runs through `run`: the step and a fresh read of the
// extension's state on a global queue, the controls disabled meanwhile, then
// the state read shown. So the switch shows what the system reports, never
// just what the user asked for; a refused change simply reads back as before.
#pragma once

#include "relay/ShareExtension.h"

#include <SwiftUI/HostingController.h>
#include <SwiftUI/SwiftUI.h>
#include <functional>
#include <optional>

struct ShareMenuSection {
    // The extension's state as last read; none before the first read.
    SwiftUI::State<std::optional<ShareExtension::State>> state{};
    // A step and the read after it are under way.
    SwiftUI::State<bool> busy{false};

    SwiftUI::View body() const;
    // Runs `step` and then reads the state, off the main thread.
    void run(std::function<void()> step) const;

    // Whether the section in `host` shows a state it has read, with no step under way, or is
    // absent: a picture of it then shows the switch as the system has it.
    static bool settled(SwiftUI::HostingController& host);
};
