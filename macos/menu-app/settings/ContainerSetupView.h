// The Add a Container window's content, bound to a `ContainerSetupModel`.
//
// A title and a sentence on what a container environment is, then what the
// model's phase calls for: the naming form (the label, the name the phone
// will show, Cancel and Add); a spinner while the tool runs; the tool's
// failure in red with Cancel and Try Again; or the setup itself, in two
// numbered steps (give the container its token, in the shape the user
// picks; run the command inside it) with a copy button for each text, the
// bridge's notes, and a line that follows the container's check-in. Every
// text from the bridge is shown as it came. `close` closes the window
// (Cancel and Done). The view also renders off-screen, bound to a model that
// has no window.
#pragma once

#include "settings/ContainerSetupModel.h"

#include <SwiftUI/SwiftUI.h>
#include <functional>
#include <string>

struct ContainerSetupView {
    SwiftUI::ObservedObject<ContainerSetupModel> model;
    std::function<void()> close;

    static constexpr double width = 640;

    SwiftUI::View body() const;

private:
    using View = SwiftUI::View;

    View naming() const;
    View steps(const ContainerSnippets& snippets) const;
    static View step(int number, std::string title, std::string detail);
    View code(std::string text, std::string snippet) const;
    View status(const ContainerSnippets& snippets) const;
    View closeButton(const char* title) const;
};
