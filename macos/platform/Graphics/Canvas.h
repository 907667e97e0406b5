// A bitmap to draw into, and its PNG encoding.
//
// A canvas is a 32-bit image of whole pixels, one per point, transparent until
// drawn on. Drawing goes through its Cairo context. Sizes are clamped to at
// least one pixel and at most `maxSide` pixels a side.
#pragma once

#include <Foundation/Data.h>
#include <Graphics/Color.h>
#include <Graphics/Geometry.h>
#include <filesystem>
#include <optional>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Graphics {

class Canvas {
public:
    static constexpr int maxSide = 16384;

    // A canvas of `size` rounded up to whole pixels.
    explicit Canvas(Size size);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context() const { return m_cairo; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    void fill(const Color& color);

    // The image as PNG, or nothing when encoding failed.
    std::optional<Foundation::Data> pngData() const;
    // Writes the PNG atomically; on failure returns false and sets `error` to a sentence.
    bool writePNG(const std::filesystem::path& path, std::string* error = nullptr) const;

private:
    int m_width = 1;
    int m_height = 1;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cairo = nullptr;
};

} // namespace Graphics
