// The font system behind text layout (used by this layer's own files).
//
// Each thread gets its own context at one pixel per point, with hinting off so
// that a text measures the same wherever it is drawn, and with a renderer for
// the inline objects of text runs.
#pragma once

#include <Graphics/Font.h>
#include <memory>
#include <pango/pangocairo.h>

namespace Graphics::PangoSupport {

PangoContext* context();

struct DescriptionFree {
    void operator()(PangoFontDescription* description) const {
        pango_font_description_free(description);
    }
};
using Description = std::unique_ptr<PangoFontDescription, DescriptionFree>;

Description description(const Font& font);

} // namespace Graphics::PangoSupport
