#include "PangoSupport.h"

#include <Graphics/TextLayout.h>

namespace Graphics::PangoSupport {

namespace {

void renderInlineObject(cairo_t* cairo, PangoAttrShape* shape, gboolean pathOnly, gpointer) {
    if (pathOnly || !shape->data) {
        return;
    }
    const auto& object = *static_cast<const InlineObject*>(shape->data);
    if (!object.draw) {
        return;
    }
    double x = 0, y = 0;
    cairo_get_current_point(cairo, &x, &y);
    const PangoRectangle& logical = shape->logical_rect;
    Rect box{{x + double(logical.x) / PANGO_SCALE, y + double(logical.y) / PANGO_SCALE},
             {double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE}};
    cairo_save(cairo);
    cairo_new_path(cairo);
    object.draw(cairo, box);
    cairo_restore(cairo);
}

struct ThreadContext {
    ThreadContext() {
        fontMap = pango_cairo_font_map_new();
        context = pango_font_map_create_context(fontMap);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context, 72);
        pango_context_set_round_glyph_positions(context, FALSE);
        pango_cairo_context_set_shape_renderer(context, renderInlineObject, nullptr, nullptr);
    }
    ~ThreadContext() {
        g_object_unref(context);
        g_object_unref(fontMap);
    }
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;

    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
};

PangoWeight pangoWeight(Weight weight) {
    switch (weight) {
    case Weight::Regular:
        return PANGO_WEIGHT_NORMAL;
    case Weight::Medium:
        return PANGO_WEIGHT_MEDIUM;
    case Weight::Semibold:
        return PANGO_WEIGHT_SEMIBOLD;
    case Weight::Bold:
        return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

} // namespace

PangoContext* context() {
    thread_local ThreadContext threadContext;
    return threadContext.context;
}

Description description(const Font& font) {
    Description result(pango_font_description_new());
    pango_font_description_set_family(result.get(), familyName(font.family));
    pango_font_description_set_absolute_size(result.get(), font.size * PANGO_SCALE);
    pango_font_description_set_weight(result.get(), pangoWeight(font.weight));
    return result;
}

} // namespace Graphics::PangoSupport
