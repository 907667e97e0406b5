// Images: system symbols and named images of the application bundle.
//
// A symbol is drawn at the size of the font in force and in the foreground
// colour, and sits on the text baseline like a character. A named image is the
// PNG file `<name>.png` in the main bundle's Resources folder, at one point per
// pixel; a missing file takes no room.
#pragma once

#include <SwiftUI/View.h>
#include <string>

namespace SwiftUI {

class Image : public View {
public:
    explicit Image(std::string name);
    static Image systemName(std::string name);

private:
    Image(std::string name, bool symbol);
};

} // namespace SwiftUI
