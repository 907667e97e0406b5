#include "Core/CellPainter.h"
#include "Core/ImageSupport.h"
#include "Core/Markdown.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Image.h>
#include <SwiftUI/Text.h>
#include <cmath>
#include <unicode/unistr.h>

namespace SwiftUI {

namespace {

struct Run {
    std::string text{};
    bool code = false;
    std::optional<Font> font{};
    std::optional<Font::Weight> weight{};
    std::optional<Color> color{};
    std::optional<double> kerning{};
    std::optional<ImageSource> image{};
};

std::string cased(const std::string& text, const Environment& environment) {
    if (!environment.textCase) {
        return text;
    }
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    if (*environment.textCase == TextCase::Uppercase) {
        unicode.toUpper();
    } else {
        unicode.toLower();
    }
    std::string result;
    unicode.toUTF8String(result);
    return result;
}

class TextNode final : public Node {
public:
    explicit TextNode(std::vector<Run> runs) : m_runs(std::move(runs)) {}
    const std::vector<Run>& runs() const { return m_runs; }

    Font font(const Run& run, const Environment& environment) const {
        Font base = run.font.value_or(environment.font.value_or(Font::body));
        Font result =
            base.weight(run.weight.value_or(environment.fontWeight.value_or(base.fontWeight())));
        if (run.code) {
            result = Font::system(result.size(), result.fontWeight(), Font::Design::Monospaced);
        }
        return result;
    }
    Color color(const Run& run, const Environment& environment) const {
        return run.color.value_or(environment.resolvedForeground());
    }

    StyledText styled(const Environment& environment, ProposedViewSize proposal) const {
        StyledText result;
        for (const Run& run : m_runs) {
            TextPiece piece{.font = font(run, environment),
                            .color = color(run, environment),
                            .kerning = run.kerning.value_or(0),
                            .image = run.image};
            if (!run.image) {
                piece.text = cased(run.text, environment);
            }
            result.pieces.push_back(std::move(piece));
        }
        if (proposal.width && std::isfinite(*proposal.width)) {
            result.width = proposal.width;
        }
        if (proposal.height && std::isfinite(*proposal.height)) {
            result.maxHeight = proposal.height;
        }
        result.maxLines = environment.lineLimit.value_or(0);
        result.alignment = environment.multilineTextAlignment;
        return result;
    }

    // The text as shown; with `markup`, code spans in backticks and images by name.
    std::string string(const Environment& environment, bool markup) const {
        std::string result;
        for (const Run& run : m_runs) {
            if (run.image) {
                if (markup) {
                    result += (run.image->symbol ? "[symbol:" : "[image:") + run.image->name + "]";
                }
            } else if (run.code && markup) {
                result += "`" + cased(run.text, environment) + "`";
            } else {
                result += cased(run.text, environment);
            }
        }
        return result;
    }

    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        return metrics().text(styled(element.env(), proposal)).size;
    }
    std::optional<double> firstBaseline(const Element& element,
                                        ProposedViewSize proposal) const override {
        return metrics().text(styled(element.env(), proposal)).firstBaseline;
    }
    void describe(const Element& element, Description& description) const override {
        auto line = description.line(element, "Text");
        line.quoted(string(element.env(), true));
        describeTextStyle(element, line);
    }
    void draw(const Element& element, Painter& painter) const override {
        // Laid out as measured, for the same lines; the widest line starts at the frame's edge.
        Graphics::TextLayout layout(pointParagraph(styled(element.env(), element.proposal)));
        painter.text(layout, {element.frame.minX() - layout.contentOffset(), element.frame.minY()},
                     element.env().resolvedForeground().resolved());
    }
    void drawCells(const Element& element, CellPainter& painter) const override {
        painter.paragraph(styled(element.env(), element.proposal), element.frame);
    }

    void describeStyle(const Element& element, Description::Line& line) const {
        const Environment& environment = element.env();
        const Run& first = m_runs.front();
        if (auto explicitFont = first.font ? first.font : environment.font;
            explicitFont && !(*explicitFont == Font::body)) {
            line.value("font", explicitFont->description());
        }
        if (Font::Weight weight = font(first, environment).fontWeight();
            weight != Font::Weight::Regular) {
            line.value("weight", weightName(weight));
        }
        if (Color shown = color(first, environment); !(shown == Color::primary)) {
            line.value("color", shown.description());
        }
        if (environment.lineLimit) {
            line.value("lines", std::to_string(*environment.lineLimit));
        }
        if (environment.multilineTextAlignment != TextAlignment::Leading) {
            line.value("align", environment.multilineTextAlignment == TextAlignment::Center
                                    ? "center"
                                    : "trailing");
        }
        if (environment.textCase) {
            line.flag(*environment.textCase == TextCase::Uppercase ? "uppercase" : "lowercase");
        }
        if (first.kerning) {
            line.value("kerning", shortNumber(*first.kerning));
        }
        if (environment.textSelectable) {
            line.flag("selectable");
        }
    }

private:
    std::vector<Run> m_runs;
};

std::vector<Run> runsOf(const View& view) {
    return static_cast<const TextNode&>(*view.node()).runs();
}

template <typename Change> std::shared_ptr<const Node> changed(const View& view, Change change) {
    auto runs = runsOf(view);
    for (Run& run : runs) {
        change(run);
    }
    return std::make_shared<TextNode>(std::move(runs));
}

std::shared_ptr<const Node> plain(std::string text) {
    return std::make_shared<TextNode>(std::vector<Run>{Run{.text = std::move(text)}});
}

std::shared_ptr<const Node> markdown(std::string_view key) {
    std::vector<Run> runs;
    for (auto& span : Markdown::parse(key)) {
        runs.push_back(Run{.text = std::move(span.text), .code = span.code});
    }
    return std::make_shared<TextNode>(std::move(runs));
}

} // namespace

Text::Text(const char* key) : View(markdown(key ? key : "")) {}

Text::Text(std::string verbatim) : View(plain(std::move(verbatim))) {}

Text::Text(std::shared_ptr<const Node> node) : View(std::move(node)) {}

Text::Text(const Image& image)
    : View(std::make_shared<TextNode>(
          std::vector<Run>{Run{.image = imageSourceOf(image).value_or(ImageSource{})}})) {}

Text Text::verbatim(std::string text) {
    return Text(std::move(text));
}

Text Text::font(Font font) const {
    return Text(changed(*this, [&](Run& run) { run.font = run.font.value_or(font); }));
}

Text Text::bold(bool active) const {
    return active ? fontWeight(Font::Weight::Bold) : *this;
}

Text Text::fontWeight(Font::Weight weight) const {
    return Text(changed(*this, [&](Run& run) { run.weight = run.weight.value_or(weight); }));
}

Text Text::foregroundStyle(Color style) const {
    return Text(changed(*this, [&](Run& run) { run.color = run.color.value_or(style); }));
}

Text Text::kerning(double kerning) const {
    return Text(changed(*this, [&](Run& run) { run.kerning = run.kerning.value_or(kerning); }));
}

Text operator+(const Text& first, const Text& second) {
    auto runs = runsOf(first);
    auto more = runsOf(second);
    runs.insert(runs.end(), more.begin(), more.end());
    return Text(std::shared_ptr<const Node>(std::make_shared<TextNode>(std::move(runs))));
}

const char* weightName(Font::Weight weight) {
    switch (weight) {
    case Font::Weight::Regular:
        return "regular";
    case Font::Weight::Medium:
        return "medium";
    case Font::Weight::Semibold:
        return "semibold";
    case Font::Weight::Bold:
        return "bold";
    }
    return "regular";
}

std::optional<std::string> textOf(const Element& element) {
    if (auto* node = dynamic_cast<const TextNode*>(element.node.get())) {
        return node->string(element.env(), false);
    }
    return std::nullopt;
}

std::vector<std::string> textsIn(const Element& element) {
    std::vector<std::string> texts;
    if (auto text = textOf(element)) {
        texts.push_back(*text);
    }
    for (const auto& child : element.children) {
        auto inner = textsIn(*child);
        texts.insert(texts.end(), inner.begin(), inner.end());
    }
    return texts;
}

std::string joinedText(const Element& element) {
    std::string result;
    for (const auto& text : textsIn(element)) {
        result += (result.empty() ? "" : " ") + text;
    }
    return result;
}

void describeTextStyle(const Element& element, Description::Line& line) {
    if (auto* node = dynamic_cast<const TextNode*>(element.node.get())) {
        node->describeStyle(element, line);
    }
}

} // namespace SwiftUI
