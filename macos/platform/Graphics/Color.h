// A colour with alpha, each channel from 0 to 1.
#pragma once

namespace Graphics {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    // A colour from 0–255 channels.
    static constexpr Color rgb(int red, int green, int blue, double alpha = 1) {
        return {red / 255.0, green / 255.0, blue / 255.0, alpha};
    }
    constexpr Color withAlpha(double value) const { return {red, green, blue, value}; }
    constexpr Color multiplyingAlpha(double factor) const {
        return {red, green, blue, alpha * factor};
    }
    bool operator==(const Color&) const = default;
};

} // namespace Graphics
