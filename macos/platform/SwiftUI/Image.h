// Images: system symbols and named images of the application bundle.
//
// A symbol is drawn at the size of the font in force and in the foreground
// colour, and sits on the text baseline like a character. A named image is the
// PNG file `<name>.png` in the main bundle's Resources folder, at one point per
// pixel; a missing file takes no room. Inline in text on a terminal, where a
// picture cannot sit in a line, a named image shows as its label, the words
// that stand for it (its name in brackets when it has none).
#pragma once

#include <SwiftUI/View.h>
#include <string>

namespace SwiftUI {

struct ImageSource;

class Image : public View {
public:
    explicit Image(std::string name);
    Image(std::string name, std::string label);
    static Image systemName(std::string name);

private:
    explicit Image(ImageSource source);
};

} // namespace SwiftUI
