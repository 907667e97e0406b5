// Draws the status-bar images into the bundle's resources at build time: a
// lion's head in black on transparent, as menu-bar template images are.
// "lion-alone" looks ahead, "lion-connected" has a signal arc beside it and
// "lion-sleep" has its eyes closed; "lion-inline" is "lion-alone" sized for a
// line of text. Usage: status-images <folder>.
#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int side = 36;
// The height of a line of footnote text.
constexpr int inlineSide = 14;
constexpr double pi = 3.14159265358979323846;

enum class Look { Alone, Connected, Sleep };

void head(cairo_t* cr) {
    // The mane: a ring of points around the face.
    const double cx = side / 2.0, cy = side / 2.0 + 1;
    cairo_new_path(cr);
    for (int i = 0; i < 24; ++i) {
        const double angle = i * pi / 12;
        const double radius = i % 2 == 0 ? 15.5 : 12.5;
        const double x = cx + radius * std::cos(angle), y = cy + radius * std::sin(angle);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    // The face, cut out of the mane, and its features drawn back in.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, cx, cy, 9.5, 0, 2 * pi);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_move_to(cr, cx - 2.5, cy + 3);
    cairo_line_to(cr, cx + 2.5, cy + 3);
    cairo_line_to(cr, cx, cy + 5.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void eyes(cairo_t* cr, bool open) {
    const double cx = side / 2.0, cy = side / 2.0 - 1;
    for (const double dx : {-4.0, 4.0}) {
        if (open) {
            cairo_arc(cr, cx + dx, cy, 1.8, 0, 2 * pi);
            cairo_fill(cr);
        } else {
            cairo_set_line_width(cr, 1.5);
            cairo_move_to(cr, cx + dx - 2.2, cy);
            cairo_line_to(cr, cx + dx + 2.2, cy);
            cairo_stroke(cr);
        }
    }
}

bool draw(const std::string& path, Look look, int size = side) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, double(size) / side, double(size) / side);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    head(cr);
    eyes(cr, look != Look::Sleep);
    if (look == Look::Connected) {
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, side - 4, 4, 3, 0, 2 * pi);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: status-images <folder>\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const bool drawn = draw(folder + "/lion-alone.png", Look::Alone) &&
                       draw(folder + "/lion-connected.png", Look::Connected) &&
                       draw(folder + "/lion-sleep.png", Look::Sleep) &&
                       draw(folder + "/lion-inline.png", Look::Alone, inlineSide);
    if (!drawn)
        std::fputs("status-images: couldn't write the images\n", stderr);
    return drawn ? 0 : 1;
}
