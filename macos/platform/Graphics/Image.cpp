#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <Graphics/Image.h>
#include <algorithm>
#include <cairo.h>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
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

std::uint32_t bigEndian(Foundation::Bytes bytes, std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
           std::uint32_t(bytes[at + 2]) << 8 | std::uint32_t(bytes[at + 3]);
}

// The width and height in the header chunk that must open a PNG after its signature.
std::optional<Size> headerSize(Foundation::Bytes bytes) {
    static constexpr std::uint8_t opening[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                               0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    constexpr std::size_t headerEnd = sizeof opening + 8;
    if (bytes.size() < headerEnd ||
        !std::equal(std::begin(opening), std::end(opening), bytes.begin())) {
        return std::nullopt;
    }
    const std::uint32_t width = bigEndian(bytes, sizeof opening);
    const std::uint32_t height = bigEndian(bytes, sizeof opening + 4);
    if (width == 0 || height == 0) {
        return std::nullopt;
    }
    return Size{double(width), double(height)};
}

} // namespace

std::shared_ptr<const Image> Image::fromPNG(Foundation::Bytes bytes) {
    const auto size = headerSize(bytes);
    if (!size) {
        return nullptr;
    }
    return std::shared_ptr<const Image>(
        new Image(Foundation::Data(bytes.begin(), bytes.end()), *size));
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

Image::~Image() {
    if (m_surface) {
        cairo_surface_destroy(m_surface);
    }
}

cairo_surface_t* Image::surface() const {
    std::call_once(m_decoding, [this] {
        Reader reader{m_png};
        cairo_surface_t* decoded = cairo_image_surface_create_from_png_stream(readBytes, &reader);
        if (cairo_surface_status(decoded) == CAIRO_STATUS_SUCCESS) {
            m_surface = decoded;
        } else {
            cairo_surface_destroy(decoded);
        }
    });
    return m_surface;
}

bool Image::isDark(Point point) const {
    cairo_surface_t* pixels = surface();
    if (!pixels) {
        return false;
    }
    const cairo_format_t format = cairo_image_surface_get_format(pixels);
    const int width = cairo_image_surface_get_width(pixels);
    const int height = cairo_image_surface_get_height(pixels);
    const int x = int(point.x), y = int(point.y);
    if ((format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) || x < 0 || y < 0 ||
        x >= width || y >= height) {
        return false;
    }
    cairo_surface_flush(pixels);
    const unsigned char* row =
        cairo_image_surface_get_data(pixels) +
        static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(pixels);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
    // Premultiplied channels over white.
    const double alpha = format == CAIRO_FORMAT_ARGB32 ? ((pixel >> 24) & 0xFF) / 255.0 : 1.0;
    const auto channel = [&](int shift) { return ((pixel >> shift) & 0xFF) / 255.0 + 1 - alpha; };
    const double luminance = 0.2126 * channel(16) + 0.7152 * channel(8) + 0.0722 * channel(0);
    return luminance < 0.5;
}

void Image::draw(cairo_t* cairo, Rect box) const {
    if (box.width() <= 0 || box.height() <= 0) {
        return;
    }
    cairo_surface_t* pixels = surface();
    if (!pixels) {
        return;
    }
    cairo_save(cairo);
    cairo_translate(cairo, box.minX(), box.minY());
    cairo_scale(cairo, box.width() / m_size.width, box.height() / m_size.height);
    cairo_set_source_surface(cairo, pixels, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cairo), CAIRO_FILTER_GOOD);
    cairo_rectangle(cairo, 0, 0, m_size.width, m_size.height);
    cairo_fill(cairo);
    cairo_restore(cairo);
}

} // namespace Graphics
