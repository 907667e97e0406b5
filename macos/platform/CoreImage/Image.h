// A Core Image picture: a grid of grey pixels and the scale it is drawn at.
//
// Filters produce an image of whole pixels at scale 1; transforming it only
// changes the scale, and the pixels are resampled when something draws it
// (the AppKit layer's image representation). The extent is the drawn size.
#pragma once

#include <cstdint>
#include <vector>

namespace CoreImage {

class Image {
public:
    // `pixels` holds `width` × `height` grey levels, row by row, 0 black and 255 white.
    Image(int width, int height, std::vector<std::uint8_t> pixels);

    int pixelWidth() const { return m_width; }
    int pixelHeight() const { return m_height; }
    const std::vector<std::uint8_t>& pixels() const { return m_pixels; }

    double scaleX() const { return m_scaleX; }
    double scaleY() const { return m_scaleY; }
    double width() const { return m_width * m_scaleX; }
    double height() const { return m_height * m_scaleY; }

    Image transformed(double scaleX, double scaleY) const;

private:
    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_pixels;
    double m_scaleX = 1;
    double m_scaleY = 1;
};

} // namespace CoreImage
