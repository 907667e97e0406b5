#include "View.h"

#include "Display.h"

namespace AppKit {

void View::setHidden(bool hidden) {
    m_hidden = hidden;
    Display::setNeedsDisplay();
}

void StackView::addArrangedSubview(std::shared_ptr<View> view) {
    m_arranged.push_back(std::move(view));
    Display::setNeedsDisplay();
}

TextField::TextField(std::string text, LineBreakMode mode, int maximumLines)
    : m_text(std::move(text)), m_lineBreakMode(mode), m_maximumLines(maximumLines) {}

std::shared_ptr<TextField> TextField::label(std::string text) {
    return std::make_shared<TextField>(std::move(text), LineBreakMode::Clipping, 1);
}

std::shared_ptr<TextField> TextField::wrappingLabel(std::string text) {
    return std::make_shared<TextField>(std::move(text), LineBreakMode::WordWrapping, 0);
}

void TextField::setStringValue(std::string text) {
    m_text = std::move(text);
    Display::setNeedsDisplay();
}

void TextField::setFont(Font font) {
    m_font = font;
    Display::setNeedsDisplay();
}

void TextField::setTextColor(Color color) {
    m_color = std::move(color);
    Display::setNeedsDisplay();
}

void TextField::setAlignment(TextAlignment alignment) {
    m_alignment = alignment;
    Display::setNeedsDisplay();
}

void TextField::setLineBreakMode(LineBreakMode mode) {
    m_lineBreakMode = mode;
    Display::setNeedsDisplay();
}

void TextField::setMaximumNumberOfLines(int lines) {
    m_maximumLines = lines;
    Display::setNeedsDisplay();
}

void TextField::setPreferredMaxLayoutWidth(double width) {
    m_maxWidth = width;
    Display::setNeedsDisplay();
}

void ImageView::setImage(std::shared_ptr<Image> image) {
    m_image = std::move(image);
    Display::setNeedsDisplay();
}

} // namespace AppKit
