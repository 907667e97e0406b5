#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <Graphics/Image.h>
#include <cairo.h>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace Graphics {

namespace {

struct Reader {
    Foundation::Bytes bytes;
    std::size_t offset = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* into, unsigned int length) {
    auto* reader = static_cast<Reader*>(closure);
    if (reader->bytes.size() - reader->offset < length) {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(into, reader->bytes.data() + reader->offset, length);
    reader->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::shared_ptr<const Image> Image::fromPNG(Foundation::Bytes bytes) {
    Reader reader{bytes};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::shared_ptr<const Image>(new Image(surface));
}

std::shared_ptr<const Image> Image::readPNG(const std::filesystem::path& path) {
    auto data = Foundation::readFile(path, maxFileSize);
    if (!data) {
        return nullptr;
    }
    return fromPNG(*data);
}

std::shared_ptr<const Image> Image::named(std::string_view name) {
    static std::mutex lock;
    // Kept for the life of the process, like the bundle they come from.
    static auto* cache = new std::map<std::string, std::shared_ptr<const Image>, std::less<>>;
    std::lock_guard guard(lock);
    if (const auto found = cache->find(name); found != cache->end()) {
        return found->second;
    }
    std::shared_ptr<const Image> image;
    if (!name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos) {
        image = readPNG(Foundation::Bundle::main().path() / "Contents" / "Resources" /
                        (std::string(name) + ".png"));
    }
    cache->emplace(std::string(name), image);
    return image;
}

Image::Image(cairo_surface_t* surface)
    : m_surface(surface), m_size{double(cairo_image_surface_get_width(surface)),
                                 double(cairo_image_surface_get_height(surface))} {}

Image::~Image() {
    cairo_surface_destroy(m_surface);
}

void Image::draw(cairo_t* cairo, Rect box) const {
    if (m_size.width <= 0 || m_size.height <= 0 || box.width() <= 0 || box.height() <= 0) {
        return;
    }
    cairo_save(cairo);
    cairo_translate(cairo, box.minX(), box.minY());
    cairo_scale(cairo, box.width() / m_size.width, box.height() / m_size.height);
    cairo_set_source_surface(cairo, m_surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_GOOD);
    cairo_rectangle(cairo, 0, 0, m_size.width, m_size.height);
    cairo_fill(cairo);
    cairo_restore(cairo);
}

} // namespace Graphics
