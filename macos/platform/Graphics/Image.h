// Bitmap images read from PNG data, and the application's named images.
//
// An image is immutable once read and may be drawn any number of times, scaled
// into any rectangle. Reading a file is bounded and never blocks on a FIFO.
// A named image is the PNG file `<name>.png` in the main bundle's
// Contents/Resources, read once per name and shared by every user.
#pragma once

#include <Foundation/Data.h>
#include <Graphics/Geometry.h>
#include <filesystem>
#include <memory>
#include <string_view>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Graphics {

class Image {
public:
    static constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

    // The decoded image, or nothing when the bytes are not a PNG image.
    static std::shared_ptr<const Image> fromPNG(Foundation::Bytes bytes);
    // The image in a PNG file, or nothing when it is missing, too large or not a PNG image.
    static std::shared_ptr<const Image> readPNG(const std::filesystem::path& path);
    // The bundle's image of that name; nothing when there is none or the name is not a plain
    // file name. Safe from any thread.
    static std::shared_ptr<const Image> named(std::string_view name);

    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // The size in pixels, which is its size in points.
    Size size() const { return m_size; }
    // Draws the whole image scaled into `box`.
    void draw(cairo_t* cairo, Rect box) const;

private:
    explicit Image(cairo_surface_t* surface);
    cairo_surface_t* m_surface;
    Size m_size;
};

} // namespace Graphics
