#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/ImageSupport.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"
#include "Core/TextSupport.h"

#include <Graphics/Symbols.h>
#include <SwiftUI/Image.h>
#include <cmath>

namespace SwiftUI {

namespace {

// How far above the baseline a symbol's centre sits, as a fraction of the font size:
// the middle of a capital letter.
constexpr double symbolCentre = 0.36;

class ImageNode final : public Node {
public:
    explicit ImageNode(ImageSource source) : m_source(std::move(source)) {}
    const ImageSource& source() const { return m_source; }

    Size sizeThatFits(const Element& element, ProposedViewSize) const override {
        if (m_source.symbol) {
            return metrics().symbolSize(element.env().resolvedFont());
        }
        auto image = Graphics::Image::named(m_source.name);
        return image ? metrics().imageSize(image->size()) : Size{};
    }
    std::optional<double> firstBaseline(const Element& element, ProposedViewSize) const override {
        if (m_source.symbol) {
            return metrics().symbolBaseline(element.env().resolvedFont());
        }
        return std::nullopt;
    }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Image");
        if (!m_source.symbol) {
            line.value("name", m_source.name);
            return;
        }
        line.value("symbol", m_source.name);
        const Environment& environment = element.env();
        if (environment.font && !(*environment.font == Font::body)) {
            line.value("font", environment.font->description());
        }
        if (auto weight = environment.resolvedFont().fontWeight();
            weight != Font::Weight::Regular) {
            line.value("weight", weightName(weight));
        }
        if (!(environment.resolvedForeground() == Color::primary)) {
            line.value("color", environment.resolvedForeground().description());
        }
    }
    void draw(const Element& element, Painter& painter) const override {
        if (m_source.symbol) {
            drawSymbol(painter.cairo(), m_source.name, element.frame, element.env().resolvedFont(),
                       element.env().resolvedForeground().resolved());
        } else if (auto image = Graphics::Image::named(m_source.name)) {
            image->draw(painter.cairo(), element.frame);
        }
    }
    // A symbol is its character in the foreground colour; a named image is drawn in half blocks,
    // black on white so that a code in it still reads.
    void drawCells(const Element& element, CellPainter& painter) const override {
        const Graphics::CellRect box = CellPainter::cells(element.frame);
        if (m_source.symbol) {
            const Environment& environment = element.env();
            painter.text(box.x, box.y, Graphics::symbolGlyph(m_source.name),
                         cellStyle(environment.resolvedForeground(),
                                   environment.resolvedFont().fontWeight()));
            return;
        }
        auto image = Graphics::Image::named(m_source.name);
        if (!image || box.isEmpty()) {
            return;
        }
        const Size pixels = image->size();
        for (int row = 0; row < box.height; ++row) {
            for (int column = 0; column < box.width; ++column) {
                // Each cell shows two pixels, one over the other, sampled at their centres.
                const auto dark = [&](int half) {
                    return image->isDark(
                        {(column + 0.5) * pixels.width / box.width,
                         (2 * row + half + 0.5) * pixels.height / (2 * box.height)});
                };
                painter.text(box.x + column, box.y + row, Graphics::halfBlock(dark(0), dark(1)),
                             Graphics::pictureStyle);
            }
        }
    }

private:
    ImageSource m_source;
};

} // namespace

Image::Image(std::string name) : Image(ImageSource{std::move(name)}) {}

Image::Image(std::string name, std::string label)
    : Image(ImageSource{std::move(name), false, std::move(label)}) {}

Image::Image(ImageSource source) : View(std::make_shared<ImageNode>(std::move(source))) {}

Image Image::systemName(std::string name) {
    return Image(ImageSource{std::move(name), true});
}

std::optional<ImageSource> imageSourceOf(const View& view) {
    if (auto* node = dynamic_cast<const ImageNode*>(view.node().get())) {
        return node->source();
    }
    return std::nullopt;
}

Size symbolSize(const Font& font) {
    auto metrics = Graphics::metrics(font.resolved());
    return {std::ceil(font.size() * 1.2), std::ceil(metrics.lineHeight)};
}

double symbolBaseline(const Font& font) {
    return Graphics::metrics(font.resolved()).ascent;
}

void drawSymbol(cairo_t* cairo, const std::string& name, Rect box, const Font& font,
                const Graphics::Color& color) {
    double side = font.size();
    double centreY = box.minY() + symbolBaseline(font) - symbolCentre * font.size();
    Rect glyph{{box.minX() + (box.width() - side) / 2, centreY - side / 2}, {side, side}};
    Graphics::drawSymbol(cairo, name, glyph, color);
}

Graphics::InlineObject inlineImage(const ImageSource& source, const Font& font,
                                   const Graphics::Color& color) {
    auto metrics = Graphics::metrics(font.resolved());
    if (source.symbol) {
        Size size = symbolSize(font);
        return {size, size.height - symbolBaseline(font),
                [source, font, color](cairo_t* cairo, Rect box) {
                    drawSymbol(cairo, source.name, box, font, color);
                }};
    }
    auto image = Graphics::Image::named(source.name);
    if (!image || image->size().height <= 0) {
        return {{0, 0}, 0, nullptr};
    }
    double height = metrics.lineHeight;
    double width = image->size().width * height / image->size().height;
    return {{width, height}, metrics.descent, [image](cairo_t* cairo, Rect box) {
                image->draw(cairo, box);
            }};
}

} // namespace SwiftUI
