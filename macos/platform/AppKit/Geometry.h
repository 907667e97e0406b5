// Sizes and insets in points.
#pragma once

#include <Graphics/Geometry.h>

namespace AppKit {

using Graphics::Size;

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

} // namespace AppKit
