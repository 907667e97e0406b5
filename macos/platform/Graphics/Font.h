// Font descriptions and their line metrics.
//
// Every text is set in one of two families of the DejaVu fonts: sans for
// ordinary text and monospace for code. Sizes are in points, which are pixels
// here; weights between regular and bold take the nearest face the system has.
#pragma once

#include <string>

namespace Graphics {

enum class Weight { Regular, Medium, Semibold, Bold };
enum class Family { Sans, Monospace };

struct Font {
    double size = 13;
    Weight weight = Weight::Regular;
    Family family = Family::Sans;
    // Digits of one width, so that columns of numbers line up.
    bool monospacedDigits = false;
    bool operator==(const Font&) const = default;
};

struct FontMetrics {
    double ascent = 0;
    double descent = 0;
    // The height of one line of text in this font, as a text layout sets it.
    double lineHeight = 0;
};

FontMetrics metrics(const Font& font);

// The font's family name as the font system knows it.
const char* familyName(Family family);

} // namespace Graphics
