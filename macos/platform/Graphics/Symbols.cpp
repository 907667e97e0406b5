#include <Graphics/Symbols.h>
#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <numbers>

namespace Graphics {

namespace {

// Every drawing works in a unit square, (0, 0) top-left to (1, 1) bottom-right.
constexpr double thin = 0.085;
constexpr double pi = std::numbers::pi;

void circle(cairo_t* c, double radius) {
    cairo_new_sub_path(c);
    cairo_arc(c, 0.5, 0.5, radius, 0, 2 * pi);
}

void ring(cairo_t* c) {
    circle(c, 0.5 - thin / 2);
    cairo_set_line_width(c, thin);
    cairo_stroke(c);
}

void stroke(cairo_t* c, double width) {
    cairo_set_line_width(c, width);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(c);
}

void dot(cairo_t* c, double x, double y, double radius) {
    cairo_new_sub_path(c);
    cairo_arc(c, x, y, radius, 0, 2 * pi);
    cairo_fill(c);
}

void check(cairo_t* c, double scale, double width) {
    auto at = [scale](double v) { return 0.5 + (v - 0.5) * scale; };
    cairo_move_to(c, at(0.27), at(0.52));
    cairo_line_to(c, at(0.43), at(0.68));
    cairo_line_to(c, at(0.73), at(0.33));
    stroke(c, width);
}

void exclamation(cairo_t* c, double top, double bottom, double width) {
    cairo_move_to(c, 0.5, top);
    cairo_line_to(c, 0.5, bottom);
    stroke(c, width);
    dot(c, 0.5, bottom + 0.14, width * 0.62);
}

// Draws `body` solid and cuts `mark` out of it.
template <typename Body, typename Mark> void knockout(cairo_t* c, Body body, Mark mark) {
    cairo_push_group(c);
    body();
    cairo_set_operator(c, CAIRO_OPERATOR_CLEAR);
    mark();
    cairo_pop_group_to_source(c);
    cairo_paint(c);
}

void polygon(cairo_t* c, int corners, double radius, double rotation) {
    for (int i = 0; i < corners; ++i) {
        double angle = rotation + 2 * pi * i / corners;
        double x = 0.5 + radius * std::cos(angle), y = 0.5 + radius * std::sin(angle);
        i == 0 ? cairo_move_to(c, x, y) : cairo_line_to(c, x, y);
    }
    cairo_close_path(c);
}

void lockBody(cairo_t* c, double x, double y, double w, double h, double shackle) {
    cairo_rectangle(c, x, y, w, h);
    cairo_fill(c);
    cairo_new_sub_path(c);
    double r = w * 0.3;
    cairo_arc(c, x + w / 2, y, r, pi, 0);
    cairo_move_to(c, x + w / 2 - r, y);
    cairo_line_to(c, x + w / 2 - r, y + h * 0.2);
    cairo_move_to(c, x + w / 2 + r, y);
    cairo_line_to(c, x + w / 2 + r, y + h * 0.2);
    cairo_set_line_width(c, shackle);
    cairo_stroke(c);
}

using Draw = void (*)(cairo_t*);

struct Symbol {
    std::string_view name;
    // The character that stands for it in a terminal's cell.
    std::string_view glyph;
    Draw draw;
};

const Symbol symbols[] = {
    {"checkmark.circle.fill", "✓",
     [](cairo_t* c) {
         knockout(
             c,
             [c] {
                 circle(c, 0.48);
                 cairo_fill(c);
             },
             [c] { check(c, 1, 0.11); });
     }},
    {"circle", "○", [](cairo_t* c) { ring(c); }},
    {"exclamationmark.triangle.fill", "!",
     [](cairo_t* c) {
         knockout(
             c,
             [c] {
                 cairo_move_to(c, 0.5, 0.06);
                 cairo_line_to(c, 0.97, 0.9);
                 cairo_line_to(c, 0.03, 0.9);
                 cairo_close_path(c);
                 cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
                 cairo_set_line_width(c, 0.08);
                 cairo_stroke_preserve(c);
                 cairo_fill(c);
             },
             [c] { exclamation(c, 0.34, 0.6, 0.1); });
     }},
    {"xmark.octagon.fill", "✗",
     [](cairo_t* c) {
         knockout(
             c,
             [c] {
                 polygon(c, 8, 0.5, pi / 8);
                 cairo_fill(c);
             },
             [c] {
                 cairo_move_to(c, 0.33, 0.33);
                 cairo_line_to(c, 0.67, 0.67);
                 cairo_move_to(c, 0.67, 0.33);
                 cairo_line_to(c, 0.33, 0.67);
                 stroke(c, 0.11);
             });
     }},
    {"info.circle", "ⓘ",
     [](cairo_t* c) {
         ring(c);
         dot(c, 0.5, 0.3, 0.06);
         cairo_move_to(c, 0.5, 0.45);
         cairo_line_to(c, 0.5, 0.73);
         stroke(c, 0.1);
     }},
    {"ellipsis.circle", "…",
     [](cairo_t* c) {
         ring(c);
         for (double x : {0.3, 0.5, 0.7}) {
             dot(c, x, 0.5, 0.055);
         }
     }},
    {"checkmark.seal.fill", "✓",
     [](cairo_t* c) {
         knockout(
             c,
             [c] {
                 for (int i = 0; i < 24; ++i) {
                     double angle = 2 * pi * i / 24, r = i % 2 ? 0.43 : 0.5;
                     double x = 0.5 + r * std::cos(angle), y = 0.5 + r * std::sin(angle);
                     i == 0 ? cairo_move_to(c, x, y) : cairo_line_to(c, x, y);
                 }
                 cairo_close_path(c);
                 cairo_fill(c);
             },
             [c] { check(c, 0.9, 0.1); });
     }},
    {"list.bullet.circle", "≡",
     [](cairo_t* c) {
         ring(c);
         for (double y : {0.34, 0.5, 0.66}) {
             dot(c, 0.32, y, 0.045);
             cairo_move_to(c, 0.43, y);
             cairo_line_to(c, 0.72, y);
             stroke(c, 0.07);
         }
     }},
    {"clock.fill", "◷",
     [](cairo_t* c) {
         knockout(
             c,
             [c] {
                 circle(c, 0.48);
                 cairo_fill(c);
             },
             [c] {
                 cairo_move_to(c, 0.5, 0.22);
                 cairo_line_to(c, 0.5, 0.52);
                 cairo_line_to(c, 0.7, 0.62);
                 stroke(c, 0.09);
             });
     }},
    {"exclamationmark.circle", "!",
     [](cairo_t* c) {
         ring(c);
         exclamation(c, 0.24, 0.56, 0.1);
     }},
    {"globe", "⊕",
     [](cairo_t* c) {
         ring(c);
         cairo_save(c);
         cairo_translate(c, 0.5, 0.5);
         cairo_scale(c, 0.45, 1);
         cairo_arc(c, 0, 0, 0.46, 0, 2 * pi);
         cairo_restore(c);
         cairo_move_to(c, 0.5, 0.04);
         cairo_line_to(c, 0.5, 0.96);
         cairo_move_to(c, 0.04, 0.5);
         cairo_line_to(c, 0.96, 0.5);
         cairo_move_to(c, 0.14, 0.28);
         cairo_line_to(c, 0.86, 0.28);
         cairo_move_to(c, 0.14, 0.72);
         cairo_line_to(c, 0.86, 0.72);
         stroke(c, 0.06);
     }},
    {"doc.text", "▤",
     [](cairo_t* c) {
         cairo_move_to(c, 0.18, 0.04);
         cairo_line_to(c, 0.6, 0.04);
         cairo_line_to(c, 0.84, 0.28);
         cairo_line_to(c, 0.84, 0.96);
         cairo_line_to(c, 0.18, 0.96);
         cairo_close_path(c);
         cairo_move_to(c, 0.6, 0.04);
         cairo_line_to(c, 0.6, 0.28);
         cairo_line_to(c, 0.84, 0.28);
         for (double y : {0.5, 0.64, 0.78}) {
             cairo_move_to(c, 0.32, y);
             cairo_line_to(c, 0.7, y);
         }
         stroke(c, 0.07);
     }},
    {"text.alignleft", "≡",
     [](cairo_t* c) {
         const double lengths[] = {0.84, 0.6, 0.84, 0.5};
         for (int i = 0; i < 4; ++i) {
             double y = 0.2 + 0.2 * i;
             cairo_move_to(c, 0.08, y);
             cairo_line_to(c, 0.08 + lengths[i], y);
         }
         stroke(c, 0.09);
     }},
    {"checkmark", "✓", [](cairo_t* c) { check(c, 1.35, 0.13); }},
    {"plus", "+",
     [](cairo_t* c) {
         cairo_move_to(c, 0.5, 0.12);
         cairo_line_to(c, 0.5, 0.88);
         cairo_move_to(c, 0.12, 0.5);
         cairo_line_to(c, 0.88, 0.5);
         stroke(c, 0.12);
     }},
    {"minus.circle", "⊖",
     [](cairo_t* c) {
         ring(c);
         cairo_move_to(c, 0.28, 0.5);
         cairo_line_to(c, 0.72, 0.5);
         stroke(c, 0.1);
     }},
    {"lock.fill", "▣", [](cairo_t* c) { lockBody(c, 0.18, 0.44, 0.64, 0.52, 0.1); }},
    {"lock.shield", "◈",
     [](cairo_t* c) {
         cairo_move_to(c, 0.5, 0.04);
         cairo_line_to(c, 0.9, 0.18);
         cairo_curve_to(c, 0.9, 0.62, 0.72, 0.84, 0.5, 0.96);
         cairo_curve_to(c, 0.28, 0.84, 0.1, 0.62, 0.1, 0.18);
         cairo_close_path(c);
         stroke(c, 0.07);
         lockBody(c, 0.36, 0.46, 0.28, 0.24, 0.055);
     }},
};

const Symbol* find(std::string_view name) {
    for (const Symbol& symbol : symbols) {
        if (symbol.name == name) {
            return &symbol;
        }
    }
    return nullptr;
}

} // namespace

bool isKnownSymbol(std::string_view name) {
    return find(name) != nullptr;
}

bool drawSymbol(cairo_t* cairo, std::string_view name, Rect box, const Color& color) {
    double side = std::min(box.width(), box.height());
    if (side <= 0) {
        return isKnownSymbol(name);
    }
    cairo_save(cairo);
    cairo_translate(cairo, box.minX() + (box.width() - side) / 2,
                    box.minY() + (box.height() - side) / 2);
    cairo_scale(cairo, side, side);
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
    cairo_new_path(cairo);
    const Symbol* symbol = find(name);
    if (symbol) {
        symbol->draw(cairo);
    } else {
        cairo_rectangle(cairo, 0.1, 0.1, 0.8, 0.8);
        cairo_move_to(cairo, 0.1, 0.1);
        cairo_line_to(cairo, 0.9, 0.9);
        stroke(cairo, thin);
    }
    cairo_restore(cairo);
    return symbol != nullptr;
}

std::string_view symbolGlyph(std::string_view name) {
    const Symbol* symbol = find(name);
    return symbol ? symbol->glyph : "⊠";
}

} // namespace Graphics
