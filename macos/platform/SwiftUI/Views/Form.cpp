#include "Core/CellPainter.h"
#include "Core/Description.h"
#include "Core/Metrics.h"
#include "Core/Painter.h"
#include "Core/Resolver.h"
#include "Core/StackLayout.h"
#include "Core/TextSupport.h"

#include <SwiftUI/Containers.h>
#include <algorithm>
#include <cmath>

namespace SwiftUI {

namespace {

constexpr double formPadding = 20;
constexpr double sectionSpacing = 20;
constexpr double captionGap = 6;
constexpr double rowPaddingH = 10;
constexpr double rowPaddingV = 7;
constexpr double minimumRowHeight = 22;
constexpr double boxRadius = 6;
constexpr Graphics::Color boxFill{1, 1, 1, 1};
constexpr Graphics::Color boxBorder{0, 0, 0, 0.08};

constexpr StackSpec column{.axis = Axis::Vertical, .horizontal = HorizontalAlignment::Leading};

struct SectionParts {
    bool header = false;
    bool footer = false;
};

// Outside a form a section is a column of its parts.
class SectionNode final : public StackedNode {
public:
    SectionNode(std::vector<View> content, std::optional<View> header, std::optional<View> footer)
        : StackedNode(column), m_content(std::move(content)), m_header(std::move(header)),
          m_footer(std::move(footer)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        SectionParts parts;
        auto caption = [&](const std::optional<View>& view, const char* part, Font font) {
            if (!view) {
                return false;
            }
            auto environment = modified(scope.environment, [&](Environment& e) {
                e.inFormRow = false;
                e.font = e.font.value_or(font);
                if (font == Font::subheadline) {
                    e.foreground = e.foreground.value_or(Color::secondary);
                }
            });
            auto resolved = resolver.resolveOne(*view, scope.child(part).with(environment));
            if (!resolved) {
                return false;
            }
            element->children.push_back(std::move(resolved));
            return true;
        };
        parts.header = caption(m_header, "header", Font::headline);
        auto rows = resolver.resolveAll(m_content, scope);
        for (auto& row : rows) {
            element->children.push_back(std::move(row));
        }
        parts.footer = caption(m_footer, "footer", Font::subheadline);
        element->data = parts;
        out.push_back(std::move(element));
    }
    void describe(const Element& element, Description& description) const override {
        auto parts = std::any_cast<SectionParts>(element.data);
        auto line = description.line(element, "Section");
        std::size_t first = 0, end = element.children.size();
        if (parts.header) {
            line.quoted(joinedText(*element.children[first++]));
        }
        if (parts.footer) {
            --end;
        }
        description.nested([&] {
            for (std::size_t i = first; i < end; ++i) {
                description.element(*element.children[i]);
            }
            if (parts.footer) {
                description.heading("Footer");
                description.nested([&] { description.element(*element.children.back()); });
            }
        });
    }

private:
    std::vector<View> m_content;
    std::optional<View> m_header;
    std::optional<View> m_footer;
};

// One box of the form with what stands above and below it.
struct Group {
    Element* header = nullptr;
    std::vector<Element*> rows;
    Element* footer = nullptr;
};

std::vector<Group> groupsOf(const Element& form) {
    std::vector<Group> groups;
    bool loose = false;
    for (const auto& child : form.children) {
        if (auto* parts = std::any_cast<SectionParts>(&child->data);
            parts && dynamic_cast<const SectionNode*>(child->node.get())) {
            Group group;
            std::size_t first = 0, end = child->children.size();
            if (parts->header) {
                group.header = child->children[first++].get();
            }
            if (parts->footer) {
                group.footer = child->children[--end].get();
            }
            for (std::size_t i = first; i < end; ++i) {
                group.rows.push_back(child->children[i].get());
            }
            groups.push_back(std::move(group));
            loose = false;
        } else {
            if (!loose) {
                groups.emplace_back();
                loose = true;
            }
            groups.back().rows.push_back(child.get());
        }
    }
    return groups;
}

struct Placed {
    Element* element;
    Rect frame;
    ProposedViewSize proposal;
};

struct FormLayout {
    std::vector<Placed> placed;
    std::vector<Rect> boxes;
    std::vector<double> separators;
    std::vector<std::pair<double, double>> separatorSpans;
    Size content;
};

class FormNode final : public Node {
public:
    explicit FormNode(std::vector<View> content) : m_content(std::move(content)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        auto element = makeElement(scope);
        auto inner = modified(scope.environment, [](Environment& environment) {
            environment.inFormRow = true;
            environment.stackAxis.reset();
        });
        element->children = resolver.resolveAll(m_content, scope.with(inner));
        out.push_back(std::move(element));
    }
    Size sizeThatFits(const Element& element, ProposedViewSize proposal) const override {
        Size content = layout(element, proposal.width).content;
        if (proposal.height && std::isfinite(*proposal.height)) {
            return {content.width, *proposal.height};
        }
        return content;
    }
    void placeChildren(Element& element) const override {
        for (const Placed& p : layout(element, element.frame.width()).placed) {
            Rect frame = p.frame;
            frame.origin = {element.frame.minX() + frame.minX(),
                            element.frame.minY() + frame.minY()};
            place(*p.element, frame, p.proposal);
        }
        // Sections themselves only group; they span their rows.
        for (auto& child : element.children) {
            if (dynamic_cast<const SectionNode*>(child->node.get()) && !child->children.empty()) {
                child->frame = child->children.front()->frame;
            }
        }
    }
    void describe(const Element& element, Description& description) const override {
        description.line(element, "Form")
            .flag(element.env().formStyle == FormStyle::Grouped ? "grouped" : "automatic");
        description.children(element);
    }
    void draw(const Element& element, Painter& painter) const override {
        FormLayout l = layout(element, element.frame.width());
        const Point origin = element.frame.origin;
        painter.clipped(element.frame, [&] {
            for (const Rect& box : l.boxes) {
                Rect frame{{origin.x + box.minX(), origin.y + box.minY()}, box.size};
                painter.fillRoundedRect(frame, boxRadius, boxFill);
                painter.strokeRoundedRect(frame, boxRadius, boxBorder);
            }
            for (std::size_t i = 0; i < l.separators.size(); ++i) {
                double y = origin.y + l.separators[i] + 0.5;
                painter.line({origin.x + l.separatorSpans[i].first, y},
                             {origin.x + l.separatorSpans[i].second, y},
                             Color::separator.resolved(), 1);
            }
            for (const Placed& p : l.placed) {
                painter.draw(*p.element);
            }
        });
    }
    // Sections show by their headers and footers; the boxes and separators are left out.
    void drawCells(const Element& element, CellPainter& painter) const override {
        painter.clipped(element.frame, [&] { painter.drawChildren(element); });
    }

private:
    // The form's lengths in the units of the metric in force.
    struct Lengths {
        double paddingH, paddingV, sectionSpacing, captionGap, rowPaddingH, rowPaddingV,
            minimumRowHeight, separator;
    };
    static Lengths lengthsInForce() {
        const Metrics& m = metrics();
        return {m.horizontal(formPadding),    m.vertical(formPadding),
                m.vertical(sectionSpacing),   m.vertical(captionGap),
                m.horizontal(rowPaddingH),    m.vertical(rowPaddingV),
                m.vertical(minimumRowHeight), m.vertical(1)};
    }
    static FormLayout layout(const Element& element, std::optional<double> width) {
        auto groups = groupsOf(element);
        const Lengths lengths = lengthsInForce();
        double contentWidth = width ? std::max(0.0, *width - 2 * lengths.paddingH)
                                    : idealWidth(groups, lengths.rowPaddingH);
        double rowWidth = std::max(0.0, contentWidth - 2 * lengths.rowPaddingH);
        FormLayout l;
        double y = lengths.paddingV;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            Group& group = groups[g];
            if (g > 0) {
                y += lengths.sectionSpacing;
            }
            ProposedViewSize captionProposal{rowWidth, std::nullopt};
            if (group.header) {
                Size size = measure(*group.header, captionProposal);
                l.placed.push_back({group.header,
                                    {{lengths.paddingH + lengths.rowPaddingH, y}, size},
                                    captionProposal});
                y += size.height + lengths.captionGap;
            }
            double boxTop = y;
            for (std::size_t r = 0; r < group.rows.size(); ++r) {
                if (r > 0) {
                    l.separators.push_back(y);
                    l.separatorSpans.emplace_back(lengths.paddingH + lengths.rowPaddingH,
                                                  lengths.paddingH + contentWidth -
                                                      lengths.rowPaddingH);
                    y += lengths.separator;
                }
                ProposedViewSize proposal{rowWidth, std::nullopt};
                Size size = measure(*group.rows[r], proposal);
                double height = std::max(size.height, lengths.minimumRowHeight);
                double top = y + lengths.rowPaddingV + std::round((height - size.height) / 2);
                l.placed.push_back({group.rows[r],
                                    {{lengths.paddingH + lengths.rowPaddingH, top}, size},
                                    proposal});
                y += height + 2 * lengths.rowPaddingV;
            }
            l.boxes.push_back({{lengths.paddingH, boxTop}, {contentWidth, y - boxTop}});
            if (group.footer) {
                y += lengths.captionGap;
                Size size = measure(*group.footer, captionProposal);
                l.placed.push_back({group.footer,
                                    {{lengths.paddingH + lengths.rowPaddingH, y}, size},
                                    captionProposal});
                y += size.height;
            }
        }
        l.content = {contentWidth + 2 * lengths.paddingH, y + lengths.paddingV};
        return l;
    }
    static double idealWidth(const std::vector<Group>& groups, double rowPaddingH) {
        double width = 0;
        for (const Group& group : groups) {
            for (const Element* row : group.rows) {
                width = std::max(width, measure(*row, {}).width + 2 * rowPaddingH);
            }
        }
        return width;
    }

    std::vector<View> m_content;
};

} // namespace

Form::Form(std::vector<View> content) : View(std::make_shared<FormNode>(std::move(content))) {}

Section::Section(std::vector<View> content, std::optional<View> header, std::optional<View> footer)
    : View(std::make_shared<SectionNode>(std::move(content), std::move(header),
                                         std::move(footer))) {}

Section::Section(Text header, std::vector<View> content, std::optional<View> footer)
    : Section(std::move(content), View(std::move(header)), std::move(footer)) {}

} // namespace SwiftUI
