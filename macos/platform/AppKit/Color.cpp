#include "Color.h"

namespace AppKit {

Color Color::label() {
    return {"labelColor", 0, 0, 0, 0.85};
}

Color Color::secondaryLabel() {
    return {"secondaryLabelColor", 0, 0, 0, 0.5};
}

Color Color::systemGreen() {
    return {"systemGreen", 52 / 255.0, 199 / 255.0, 89 / 255.0, 1};
}

Color Color::systemOrange() {
    return {"systemOrange", 1, 149 / 255.0, 0, 1};
}

Color Color::systemCyan() {
    return {"systemCyan", 50 / 255.0, 173 / 255.0, 230 / 255.0, 1};
}

Color Color::systemGray() {
    return {"systemGray", 142 / 255.0, 142 / 255.0, 147 / 255.0, 1};
}

} // namespace AppKit
