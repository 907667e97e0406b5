// Fonts: the system font at a size and weight, its monospaced-digit variant,
// and the menu font.
//
// A font is a plain value; `resolved` gives the face text is measured and set
// in. The menu font's default size is 14 points, the system font's 13.
#pragma once

#include <Graphics/Font.h>

namespace AppKit {

using FontWeight = Graphics::Weight;

class Font {
public:
    static constexpr double systemFontSize = 13;
    static constexpr double menuFontSize = 14;

    static Font systemFont(double size, FontWeight weight = FontWeight::Regular);
    // Digits of one width, so that columns of numbers line up.
    static Font monospacedDigitSystemFont(double size, FontWeight weight);
    // A size of 0 is the menu font's default size.
    static Font menuFont(double size = 0);

    double pointSize() const { return m_pointSize; }
    FontWeight weight() const { return m_weight; }
    bool hasMonospacedDigits() const { return m_monospacedDigits; }
    Graphics::Font resolved() const {
        return {m_pointSize, m_weight, Graphics::Family::Sans, m_monospacedDigits};
    }

    bool operator==(const Font&) const = default;

private:
    Font(double pointSize, FontWeight weight, bool monospacedDigits)
        : m_pointSize(pointSize), m_weight(weight), m_monospacedDigits(monospacedDigits) {}

    double m_pointSize;
    FontWeight m_weight;
    bool m_monospacedDigits;
};

} // namespace AppKit
