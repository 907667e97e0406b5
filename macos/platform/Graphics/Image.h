// Bitmap images read from PNG data, and the application's named images.
//
// An image is immutable once read and may be drawn any number of times, scaled
// into any rectangle. Its size comes from the PNG's header; its pixels are
// decoded when it is first drawn, so an image that is only shown by name (a
// status item on a terminal) never loads the drawing stack. A PNG damaged past
// its header draws nothing. Reading a file is bounded and never blocks on a
// FIFO. A named image is the PNG file `<name>.png` in the main bundle's
// Contents/Resources, read once per name and shared by every user.
#pragma once

#include <Foundation/Data.h>
#include <Graphics/Geometry.h>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Graphics {

class Image {
public:
    static constexpr std::size_t maxFileSize = 16 * 1024 * 1024;

    // The image, or nothing when the bytes do not open with a PNG signature and a header that
    // gives a size.
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
    // Draws the whole image scaled into `box`. Safe from any thread.
    void draw(cairo_t* cairo, Rect box) const;
    // Whether the pixel at `point` looks dark over white; false outside the image or when it
    // does not decode.
    bool isDark(Point point) const;

private:
    Image(Foundation::Data png, Size size) : m_png(std::move(png)), m_size(size) {}
    // The decoded pixels; null when they do not decode.
    cairo_surface_t* surface() const;

    Foundation::Data m_png;
    Size m_size;
    mutable std::once_flag m_decoding;
    mutable cairo_surface_t* m_surface = nullptr;
};

} // namespace Graphics
