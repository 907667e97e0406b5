#include "Font.h"

namespace AppKit {

Font Font::systemFont(double size, FontWeight weight) {
    return Font(size, weight, false);
}

Font Font::monospacedDigitSystemFont(double size, FontWeight weight) {
    return Font(size, weight, true);
}

Font Font::menuFont(double size) {
    return Font(size > 0 ? size : menuFontSize, FontWeight::Regular, false);
}

} // namespace AppKit
