#include "Image.h"

#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <map>

namespace AppKit {

struct Image::Pixels {
    cairo_surface_t* surface;
    explicit Pixels(cairo_surface_t* s) : surface(s) {}
    ~Pixels() { cairo_surface_destroy(surface); }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
};

namespace {

// Larger resources are not images this application ships.
constexpr std::size_t resourceLimit = 16 * 1024 * 1024;

struct PNGReader {
    const Foundation::Data& bytes;
    std::size_t at = 0;
};

cairo_status_t readPNG(void* closure, unsigned char* into, unsigned int length) {
    auto* reader = static_cast<PNGReader*>(closure);
    if (reader->bytes.size() - reader->at < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(into, reader->bytes.data() + reader->at, length);
    reader->at += length;
    return CAIRO_STATUS_SUCCESS;
}

std::shared_ptr<const Image::Pixels> loadResource(std::string_view name) {
    static auto* cache =
        new std::map<std::string, std::shared_ptr<const Image::Pixels>, std::less<>>;
    if (const auto found = cache->find(name); found != cache->end())
        return found->second;
    const auto path =
        Foundation::Bundle::main().path() / "Contents" / "Resources" / (std::string(name) + ".png");
    const auto bytes = Foundation::readFile(path, resourceLimit);
    if (!bytes)
        return nullptr;
    PNGReader reader{*bytes};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readPNG, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto pixels = std::make_shared<const Image::Pixels>(surface);
    cache->emplace(std::string(name), pixels);
    return pixels;
}

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
    auto pixels = loadResource(name);
    if (!pixels)
        return nullptr;
    const Size size{static_cast<double>(cairo_image_surface_get_width(pixels->surface)),
                    static_cast<double>(cairo_image_surface_get_height(pixels->surface))};
    std::shared_ptr<Image> image(new Image(Kind::Resource, std::string(name), size));
    image->m_pixels = std::move(pixels);
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
    if (m_kind == Kind::Symbol)
        return false;
    if (m_kind == Kind::Resource)
        return cairo_surface_write_to_png(m_pixels->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;

    const int width = static_cast<int>(std::lround(m_size.width));
    const int height = static_cast<int>(std::lround(m_size.height));
    if (width <= 0 || height <= 0)
        return false;
    cairo_surface_t* source = pictureSurface(*m_picture);
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* context = cairo_create(target);
    cairo_scale(context, m_picture->scaleX(), m_picture->scaleY());
    cairo_set_source_surface(context, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_NEAREST);
    cairo_paint(context);
    cairo_destroy(context);
    const bool written = cairo_surface_write_to_png(target, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(target);
    cairo_surface_destroy(source);
    return written;
}

} // namespace AppKit
