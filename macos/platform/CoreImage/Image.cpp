#include "Image.h"

#include <stdexcept>

namespace CoreImage {

Image::Image(int width, int height, std::vector<std::uint8_t> pixels)
    : m_width(width), m_height(height), m_pixels(std::move(pixels)) {
    if (width < 0 || height < 0 ||
        m_pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw std::invalid_argument("an image's pixels must fill its size");
}

Image Image::transformed(double scaleX, double scaleY) const {
    Image scaled = *this;
    scaled.m_scaleX *= scaleX;
    scaled.m_scaleY *= scaleY;
    return scaled;
}

} // namespace CoreImage
