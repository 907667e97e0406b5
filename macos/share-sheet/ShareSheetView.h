// The share sheet: a fixed 460 × 430 panel with a heading, a content area
// that follows the model's phase (a loading indicator, the draft with its
// preview, title field and tag chips, or a notice of why nothing can be
// added), a divider, and a button row (Cancel and Add, a progress line while
// adding, or the result line). It holds no state but the new-tag field's
// focus, and acts only through the model's operations.
#pragma once

#include "ShareSheetModel.h"

#include <SwiftUI/SwiftUI.h>

struct ShareSheetView {
    SwiftUI::ObservedObject<ShareSheetModel> model;
    SwiftUI::FocusState newTagFocused{};

    static constexpr SwiftUI::Size size{460, 430};

    SwiftUI::View body() const;

private:
    SwiftUI::View content() const;
    SwiftUI::View buttons() const;
    SwiftUI::View form(const ShareDraft& draft) const;
    SwiftUI::View tagChips() const;
};
