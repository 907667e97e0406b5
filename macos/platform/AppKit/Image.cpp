#include "Image.h"

#include <Graphics/Canvas.h>
#include <cairo.h>
#include <cstdint>

namespace AppKit {

namespace {

// The picture's grey pixels as a surface of their own, one pixel each.
cairo_surface_t* pictureSurface(const CoreImage::Image& picture) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.pixelWidth(), picture.pixelHeight());
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < picture.pixelHeight(); ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < picture.pixelWidth(); ++x) {
            const std::uint32_t grey =
                picture.pixels()[static_cast<std::size_t>(y) * picture.pixelWidth() + x];
            row[x] = (grey << 16) | (grey << 8) | grey;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

std::shared_ptr<Image> Image::named(std::string_view name) {
    auto resource = Graphics::Image::named(name);
    if (!resource)
        return nullptr;
    std::shared_ptr<Image> image(new Image(Kind::Resource, std::string(name), resource->size()));
    image->m_resource = std::move(resource);
    return image;
}

std::shared_ptr<Image> Image::systemSymbol(std::string name,
                                           std::optional<std::string> accessibilityDescription) {
    std::shared_ptr<Image> image(new Image(Kind::Symbol, std::move(name), {}));
    image->m_accessibilityDescription = std::move(accessibilityDescription);
    return image;
}

std::shared_ptr<Image> Image::withPicture(CoreImage::Image picture) {
    const Size size{picture.width(), picture.height()};
    std::shared_ptr<Image> image(new Image(Kind::Picture, {}, size));
    image->m_picture = std::move(picture);
    return image;
}

bool Image::writePNG(const std::filesystem::path& path) const {
    if (m_kind == Kind::Symbol || m_size.width < 1 || m_size.height < 1)
        return false;
    Graphics::Canvas canvas(m_size);
    if (m_kind == Kind::Resource) {
        m_resource->draw(canvas.context(), {{0, 0}, m_size});
    } else {
        // Nearest-pixel scaling keeps a QR code's modules sharp.
        cairo_t* context = canvas.context();
        cairo_surface_t* source = pictureSurface(*m_picture);
        cairo_save(context);
        cairo_scale(context, m_picture->scaleX(), m_picture->scaleY());
        cairo_set_source_surface(context, source, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
        cairo_paint(context);
        cairo_restore(context);
        cairo_surface_destroy(source);
    }
    return canvas.writePNG(path);
}

} // namespace AppKit
