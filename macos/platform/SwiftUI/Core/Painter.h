// Drawing elements into a Cairo context, with the few shapes controls are made of.
#pragma once

#include "Element.h"

#include <Graphics/Color.h>
#include <Graphics/TextLayout.h>

typedef struct _cairo cairo_t;

namespace SwiftUI {

class Painter {
public:
    explicit Painter(cairo_t* cairo) : m_cairo(cairo) {}
    cairo_t* cairo() const { return m_cairo; }

    void draw(const Element& element);
    void drawChildren(const Element& element);

    void fillRoundedRect(Rect rect, double radius, const Graphics::Color& color);
    // Strokes inside the rectangle's edge.
    void strokeRoundedRect(Rect rect, double radius, const Graphics::Color& color,
                           double lineWidth = 1);
    void fillEllipse(Rect rect, const Graphics::Color& color);
    void line(Point from, Point to, const Graphics::Color& color, double width = 1);
    void text(const Graphics::TextLayout& layout, Point origin, const Graphics::Color& color);

    // Runs `body` with its drawing faded, as disabled controls are; plain when not `dimmed`.
    template <typename Body> void dimmed(bool dimmed, Body&& body) {
        if (!dimmed) {
            body();
            return;
        }
        beginGroup();
        body();
        endGroup(disabledOpacity);
    }
    // Runs `body` with drawing clipped to `rect`.
    template <typename Body> void clipped(Rect rect, Body&& body) {
        beginClip(rect);
        body();
        endClip();
    }

    static constexpr double disabledOpacity = 0.45;

private:
    void roundedRectPath(Rect rect, double radius);
    void beginGroup();
    void endGroup(double opacity);
    void beginClip(Rect rect);
    void endClip();

    cairo_t* m_cairo;
};

} // namespace SwiftUI
