// The Settings form's last section: one button that opens the uninstall
// sheet. The section owns the sheet's model for as long as it is shown, and
// the sheet's presentation follows the model's `showing`.
#pragma once

#include "uninstall/UninstallModel.h"

#include <SwiftUI/SwiftUI.h>
#include <memory>

struct UninstallSection {
    SwiftUI::StateObject<UninstallModel> model{[] { return std::make_shared<UninstallModel>(); }};

    SwiftUI::View body() const;
};
