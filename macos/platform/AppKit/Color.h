// The named colours of the platform that this system uses.
//
// A colour is known by its name; the components are the light appearance's,
// for anything that draws it.
#pragma once

#include <string>

namespace AppKit {

struct Color {
    std::string name;
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color label();
    static Color secondaryLabel();
    static Color systemGreen();
    static Color systemOrange();
    static Color systemCyan();
    static Color systemGray();

    bool operator==(const Color& other) const { return name == other.name; }
};

} // namespace AppKit
