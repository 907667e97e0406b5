// The uninstall sheet: a confirmation page that lists what an uninstall
// would remove and offers to delete the data too, then a finished page with
// the outcome of every step, what is left to do by hand, and where the record
// is kept. Texts from the engine are shown exactly as they came.
#pragma once

#include "uninstall/UninstallModel.h"

#include <SwiftUI/SwiftUI.h>
#include <vector>

struct UninstallSheet {
    SwiftUI::ObservedObject<UninstallModel> model{nullptr};

    static constexpr double width = 520;

    SwiftUI::View body() const;

    // "Kestrelhaven is uninstalled", or "Uninstalled, with <n> problem(s)" for the failed steps.
    static std::string finishedTitle(const std::vector<UninstallStep>& steps);

private:
    using View = SwiftUI::View;

    View confirmation() const;
    View finished(const std::vector<UninstallStep>& steps) const;
};
