#include "TextMeasurement.h"

#include <Foundation/Data.h>
#include <memory>
#include <pango/pangocairo.h>

namespace AppKit {

namespace {

PangoContext* context() {
    static PangoContext* shared = [] {
        PangoContext* made = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_resolution(made, 72);
        // Unhinted outlines and metrics, as the platform lays text out: widths then do not depend
        // on a pixel grid, and measuring reads only the fonts' metrics.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(made, options);
        cairo_font_options_destroy(options);
        return made;
    }();
    return shared;
}

PangoWeight pangoWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::Regular:
        return PANGO_WEIGHT_NORMAL;
    case FontWeight::Medium:
        return PANGO_WEIGHT_MEDIUM;
    case FontWeight::Semibold:
        return PANGO_WEIGHT_SEMIBOLD;
    case FontWeight::Bold:
        return PANGO_WEIGHT_BOLD;
    }
    return PANGO_WEIGHT_NORMAL;
}

template <class T, void (*Free)(T*)> struct Freer {
    void operator()(T* object) const { Free(object); }
};

void unrefLayout(PangoLayout* layout) {
    g_object_unref(layout);
}

} // namespace

double textWidth(std::string_view text, const Font& font) {
    const std::unique_ptr<PangoLayout, Freer<PangoLayout, unrefLayout>> layout(
        pango_layout_new(context()));
    const std::unique_ptr<PangoFontDescription,
                          Freer<PangoFontDescription, pango_font_description_free>>
        description(pango_font_description_new());
    pango_font_description_set_family(description.get(), "Sans");
    pango_font_description_set_weight(description.get(), pangoWeight(font.weight()));
    pango_font_description_set_absolute_size(description.get(), font.pointSize() * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), description.get());
    if (font.hasMonospacedDigits()) {
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_font_features_new("tnum 1"));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    }
    const std::string valid = Foundation::decodeUTF8Lossy(text);
    pango_layout_set_text(layout.get(), valid.data(), static_cast<int>(valid.size()));
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return static_cast<double>(logical.width) / PANGO_SCALE;
}

} // namespace AppKit
