#include "PangoSupport.h"

#include <Foundation/Data.h>
#include <Graphics/TextLayout.h>
#include <algorithm>
#include <utility>

namespace Graphics {

namespace {

constexpr const char* objectReplacement = "\xEF\xBF\xBC";

int pangoUnits(double points) {
    return int(points * PANGO_SCALE + 0.5);
}

guint16 channel(double value) {
    return guint16(std::clamp(value, 0.0, 1.0) * 65535 + 0.5);
}

gpointer copyObject(gconstpointer data) {
    return new InlineObject(*static_cast<const InlineObject*>(data));
}

void destroyObject(gpointer data) {
    delete static_cast<InlineObject*>(data);
}

void insert(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
    attribute->start_index = guint(start);
    attribute->end_index = guint(end);
    pango_attr_list_insert(list, attribute);
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::Leading:
        return PANGO_ALIGN_LEFT;
    case TextAlignment::Center:
        return PANGO_ALIGN_CENTER;
    case TextAlignment::Trailing:
        return PANGO_ALIGN_RIGHT;
    }
    return PANGO_ALIGN_LEFT;
}

// How many of the layout's lines end within `height` (at least one).
int linesWithin(PangoLayout* layout, double height) {
    int count = 0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        if (double(logical.y + logical.height) / PANGO_SCALE > height + 0.01) {
            break;
        }
        ++count;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return std::max(count, 1);
}

} // namespace

TextLayout::TextLayout(const Paragraph& paragraph) {
    m_layout = pango_layout_new(PangoSupport::context());
    std::string text;
    PangoAttrList* attributes = pango_attr_list_new();
    for (const TextRun& run : paragraph.runs) {
        std::size_t start = text.size();
        // Pango refuses text that is not UTF-8; such text is shown with replacement characters.
        text += run.object ? std::string(objectReplacement) : Foundation::decodeUTF8Lossy(run.text);
        std::size_t end = text.size();
        if (start == end) {
            continue;
        }
        auto description = PangoSupport::description(run.font);
        insert(attributes, pango_attr_font_desc_new(description.get()), start, end);
        if (run.color) {
            insert(attributes,
                   pango_attr_foreground_new(channel(run.color->red), channel(run.color->green),
                                             channel(run.color->blue)),
                   start, end);
            insert(attributes, pango_attr_foreground_alpha_new(channel(run.color->alpha)), start,
                   end);
        }
        if (run.font.monospacedDigits) {
            insert(attributes, pango_attr_font_features_new("tnum 1"), start, end);
        }
        if (run.letterSpacing != 0) {
            insert(attributes, pango_attr_letter_spacing_new(pangoUnits(run.letterSpacing)), start,
                   end);
        }
        if (run.object) {
            const Size& size = run.object->size;
            PangoRectangle logical{0, pangoUnits(run.object->descent - size.height),
                                   pangoUnits(size.width), pangoUnits(size.height)};
            insert(attributes,
                   pango_attr_shape_new_with_data(&logical, &logical, new InlineObject(*run.object),
                                                  copyObject, destroyObject),
                   start, end);
        }
    }
    // The first run's font also sets the height of an empty paragraph.
    auto base =
        PangoSupport::description(paragraph.runs.empty() ? Font{} : paragraph.runs.front().font);
    pango_layout_set_font_description(m_layout, base.get());
    pango_layout_set_text(m_layout, text.data(), int(text.size()));
    pango_layout_set_attributes(m_layout, attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_alignment(m_layout, pangoAlignment(paragraph.alignment));
    if (paragraph.width) {
        // Letter spacing after a line's last character does not count against the width.
        double trailing = 0;
        for (const TextRun& run : paragraph.runs) {
            trailing = std::max(trailing, run.letterSpacing);
        }
        pango_layout_set_width(m_layout, std::max(0, pangoUnits(*paragraph.width + trailing)));
        pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
    }
    if (!paragraph.tabStops.empty()) {
        PangoTabArray* tabs = pango_tab_array_new(int(paragraph.tabStops.size()), FALSE);
        for (std::size_t i = 0; i < paragraph.tabStops.size(); ++i) {
            pango_tab_array_set_tab(tabs, int(i), PANGO_TAB_LEFT,
                                    pangoUnits(paragraph.tabStops[i]));
        }
        pango_layout_set_tabs(m_layout, tabs);
        pango_tab_array_free(tabs);
    }

    int lines = pango_layout_get_line_count(m_layout);
    int keep = lines;
    if (paragraph.maxLines > 0) {
        keep = std::min(keep, paragraph.maxLines);
    }
    if (paragraph.maxHeight) {
        keep = std::min(keep, linesWithin(m_layout, *paragraph.maxHeight));
    }
    if (keep < lines) {
        if (!paragraph.width) {
            // Ellipsizing needs a width: lines then break only where the text breaks them.
            PangoRectangle logical;
            pango_layout_get_extents(m_layout, nullptr, &logical);
            pango_layout_set_width(m_layout, logical.width);
        }
        pango_layout_set_height(m_layout, -keep);
        pango_layout_set_ellipsize(m_layout, PANGO_ELLIPSIZE_END);
    } else if (paragraph.maxLines == 1 && paragraph.width) {
        // One line that is too wide is cut rather than wrapped.
        pango_layout_set_height(m_layout, -1);
        pango_layout_set_ellipsize(m_layout, PANGO_ELLIPSIZE_END);
    }
    measure();
    m_truncated = m_truncated || keep < lines;
}

TextLayout::~TextLayout() {
    if (m_layout) {
        g_object_unref(m_layout);
    }
}

TextLayout::TextLayout(TextLayout&& other) noexcept
    : m_layout(std::exchange(other.m_layout, nullptr)), m_size(other.m_size),
      m_contentOffset(other.m_contentOffset), m_firstBaseline(other.m_firstBaseline),
      m_lineCount(other.m_lineCount), m_truncated(other.m_truncated) {}

TextLayout& TextLayout::operator=(TextLayout&& other) noexcept {
    if (this != &other) {
        if (m_layout) {
            g_object_unref(m_layout);
        }
        m_layout = std::exchange(other.m_layout, nullptr);
        m_size = other.m_size;
        m_contentOffset = other.m_contentOffset;
        m_firstBaseline = other.m_firstBaseline;
        m_lineCount = other.m_lineCount;
        m_truncated = other.m_truncated;
    }
    return *this;
}

void TextLayout::measure() {
    PangoRectangle logical;
    pango_layout_get_extents(m_layout, nullptr, &logical);
    m_size = {double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE};
    m_contentOffset = double(logical.x) / PANGO_SCALE;
    m_firstBaseline = double(pango_layout_get_baseline(m_layout)) / PANGO_SCALE;
    m_lineCount = pango_layout_get_line_count(m_layout);
    m_truncated = pango_layout_is_ellipsized(m_layout);
}

void TextLayout::draw(cairo_t* cairo, Point origin, const Color& color) const {
    cairo_save(cairo);
    cairo_set_source_rgba(cairo, color.red, color.green, color.blue, color.alpha);
    cairo_move_to(cairo, origin.x, origin.y);
    pango_cairo_show_layout(cairo, m_layout);
    cairo_restore(cairo);
}

} // namespace Graphics
