// The roots a host renders: its view, and each sheet or dialog presented from it.
#pragma once

#include "Resolver.h"

namespace SwiftUI {

// The host's view at the top of a tree: its views stacked as a column, with no line of its own
// in the text rendering.
View rootView(View content);

// What a presentation shows: a sheet's content, or a dialog with its title, message, buttons
// and Cancel, each button dismissing it.
View presentedView(const Presentation& presentation);

} // namespace SwiftUI
