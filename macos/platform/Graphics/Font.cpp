#include "PangoSupport.h"

#include <Graphics/Font.h>
#include <cmath>
#include <map>
#include <tuple>

namespace Graphics {

const char* familyName(Family family) {
    return family == Family::Monospace ? "DejaVu Sans Mono" : "DejaVu Sans";
}

FontMetrics metrics(const Font& font) {
    using Key = std::tuple<double, Weight, Family>;
    thread_local std::map<Key, FontMetrics> cache;
    Key key{font.size, font.weight, font.family};
    if (auto found = cache.find(key); found != cache.end()) {
        return found->second;
    }
    PangoContext* context = PangoSupport::context();
    auto description = PangoSupport::description(font);
    PangoFontMetrics* pangoMetrics = pango_context_get_metrics(context, description.get(), nullptr);
    FontMetrics result;
    result.ascent = double(pango_font_metrics_get_ascent(pangoMetrics)) / PANGO_SCALE;
    result.descent = double(pango_font_metrics_get_descent(pangoMetrics)) / PANGO_SCALE;
    pango_font_metrics_unref(pangoMetrics);

    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_text(layout, "Ag", -1);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    result.lineHeight = double(logical.height) / PANGO_SCALE;
    g_object_unref(layout);
    cache.emplace(key, result);
    return result;
}

} // namespace Graphics
