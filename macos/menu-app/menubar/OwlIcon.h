// The status-bar image for each state of the bridge.
//
// Each state has its image among the application's resources, with an
// accessibility description that says the state in words. When the image is
// missing, the system symbol "pawprint.fill" stands in for every state, with
// the same description.
#pragma once

#include <AppKit/Image.h>
#include <memory>

namespace OwlIcon {

enum class State { unknown, alone, connected, down };

// Never null.
std::shared_ptr<AppKit::Image> image(State state);

} // namespace OwlIcon
