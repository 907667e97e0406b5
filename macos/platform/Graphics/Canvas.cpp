#include <Foundation/FileIO.h>
#include <Graphics/Canvas.h>
#include <algorithm>
#include <cairo.h>
#include <cmath>

namespace Graphics {

namespace {

int side(double points) {
    if (!(points >= 1)) {
        return 1;
    }
    return int(std::min(std::ceil(points), double(Canvas::maxSide)));
}

cairo_status_t appendBytes(void* closure, const unsigned char* bytes, unsigned int length) {
    auto* data = static_cast<Foundation::Data*>(closure);
    data->insert(data->end(), bytes, bytes + length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

Canvas::Canvas(Size size) : m_width(side(size.width)), m_height(side(size.height)) {
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height);
    m_cairo = cairo_create(m_surface);
}

Canvas::~Canvas() {
    cairo_destroy(m_cairo);
    cairo_surface_destroy(m_surface);
}

void Canvas::fill(const Color& color) {
    cairo_save(m_cairo);
    cairo_set_operator(m_cairo, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(m_cairo, color.red, color.green, color.blue, color.alpha);
    cairo_paint(m_cairo);
    cairo_restore(m_cairo);
}

std::optional<Foundation::Data> Canvas::pngData() const {
    cairo_surface_flush(m_surface);
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS ||
        cairo_status(m_cairo) != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    Foundation::Data data;
    if (cairo_surface_write_to_png_stream(m_surface, appendBytes, &data) != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return data;
}

bool Canvas::writePNG(const std::filesystem::path& path, std::string* error) const {
    auto data = pngData();
    if (!data) {
        if (error) {
            *error = "The image could not be encoded as PNG.";
        }
        return false;
    }
    return Foundation::writeFileAtomically(path, *data, 0644, error);
}

} // namespace Graphics
