#include "TerminalText.h"

#include <Foundation/Unicode.h>
#include <cmath>

namespace AppKit::TerminalText {

namespace {

constexpr double pointsPerColumn = 7;
constexpr std::size_t textColumns = 56;
constexpr std::string_view reset = "\x1b[0m";
constexpr std::string_view dim = "\x1b[2m";
constexpr std::string_view bold = "\x1b[1m";

std::string colourEscape(const Color& color) {
    if (color == Color::systemGreen())
        return "\x1b[32m";
    if (color == Color::systemOrange())
        return "\x1b[33m";
    if (color == Color::systemCyan())
        return "\x1b[36m";
    if (color == Color::systemGray())
        return "\x1b[90m";
    if (color == Color::secondaryLabel())
        return std::string(dim);
    return {};
}

std::string styleEscape(const TextAttributes& attributes) {
    std::string escape;
    if (attributes.font && attributes.font->weight() != FontWeight::Regular)
        escape += bold;
    if (attributes.foregroundColor)
        escape += colourEscape(*attributes.foregroundColor);
    return escape;
}

std::string styled(std::string_view escape, std::string_view text) {
    if (escape.empty())
        return std::string(text);
    return std::string(escape) + std::string(text) + std::string(reset);
}

struct Cell {
    std::string glyph;
    std::string style;
    bool tab = false;
};

// Greedy word wrap at `columns` characters, each line printable; a word longer than a line stands
// alone.
std::vector<std::string> wrapped(std::string_view text, std::size_t columns) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line;
        std::size_t length = 0;
        std::size_t at = start;
        while (at < end) {
            std::size_t space = text.find(' ', at);
            if (space == std::string_view::npos || space > end)
                space = end;
            const std::string word = printable(text.substr(at, space - at));
            const std::size_t wordLength = Foundation::Unicode::characterCount(word);
            if (length > 0 && length + 1 + wordLength > columns) {
                lines.push_back(std::move(line));
                line.clear();
                length = 0;
            }
            if (length > 0) {
                line += ' ';
                ++length;
            }
            line += word;
            length += wordLength;
            at = space + 1;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string centred(const std::string& line, std::size_t columns) {
    const std::size_t length = Foundation::Unicode::characterCount(line);
    return length >= columns ? line : std::string((columns - length) / 2, ' ') + line;
}

bool dark(const CoreImage::Image& picture, int x, int y) {
    if (x < 0 || y < 0 || x >= picture.pixelWidth() || y >= picture.pixelHeight())
        return false;
    return picture.pixels()[static_cast<std::size_t>(y) * picture.pixelWidth() + x] < 128;
}

// The picture at one module per two columns and two modules per line, with a margin, black on
// white so that it scans on a dark terminal too.
std::vector<std::string> blocks(const CoreImage::Image& picture) {
    constexpr int margin = 2;
    std::vector<std::string> lines;
    for (int y = -margin; y < picture.pixelHeight() + margin; y += 2) {
        std::string line = "\x1b[30;47m";
        for (int x = -margin; x < picture.pixelWidth() + margin; ++x) {
            const bool top = dark(picture, x, y), bottom = dark(picture, x, y + 1);
            const char* glyph = top && bottom ? "██" : top ? "▀▀" : bottom ? "▄▄" : "  ";
            line += glyph;
        }
        lines.push_back(line + std::string(reset));
    }
    return lines;
}

// `centre`: the stack holding the view centres what it arranges.
void viewLines(const View& view, std::size_t columns, bool centre,
               std::vector<std::string>& lines) {
    if (view.isHidden())
        return;
    if (const auto* stack = dynamic_cast<const StackView*>(&view)) {
        for (const auto& child : stack->arrangedSubviews())
            viewLines(*child, columns, stack->alignment() == StackAlignment::CenterX, lines);
        return;
    }
    if (const auto* label = dynamic_cast<const TextField*>(&view)) {
        const double width = label->preferredMaxLayoutWidth();
        const std::size_t wrap =
            width > 0 ? static_cast<std::size_t>(width / pointsPerColumn) : columns;
        const std::string escape = styleEscape({label->font(), label->textColor(), {}});
        auto pieces = label->lineBreakMode() == LineBreakMode::WordWrapping
                          ? wrapped(label->stringValue(), wrap)
                          : std::vector<std::string>{printable(label->stringValue())};
        if (label->maximumNumberOfLines() > 0 &&
            pieces.size() > static_cast<std::size_t>(label->maximumNumberOfLines()))
            pieces.resize(static_cast<std::size_t>(label->maximumNumberOfLines()));
        for (const auto& piece : pieces) {
            const bool centreIt = centre || label->alignment() == TextAlignment::Center;
            lines.push_back(styled(escape, centreIt ? centred(piece, columns) : piece));
        }
        return;
    }
    if (const auto* hosted = dynamic_cast<const HostedView*>(&view)) {
        for (const auto& line : hosted->textLines())
            lines.push_back(printable(line));
        return;
    }
    if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
        const auto& image = imageView->image();
        if (!image) {
            lines.push_back(std::string(dim) + "[no image]" + std::string(reset));
        } else if (image->picture()) {
            for (const auto& line : blocks(*image->picture()))
                lines.push_back(line);
        } else {
            lines.push_back(std::string(dim) + "[" + printable(image->name()) + "]" +
                            std::string(reset));
        }
    }
}

} // namespace

std::string printable(std::string_view text) {
    std::u32string scalars = Foundation::Unicode::scalars(text);
    for (char32_t& scalar : scalars) {
        if (scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F))
            scalar = U'\uFFFD';
    }
    return Foundation::Unicode::utf8(scalars);
}

std::string attributed(const AttributedString& text) {
    std::vector<Cell> cells;
    const ParagraphStyle* style = nullptr;
    for (const auto& run : text.runs()) {
        if (!style && run.attributes.paragraphStyle)
            style = &*run.attributes.paragraphStyle;
        const std::string escape = styleEscape(run.attributes);
        for (auto& glyph : Foundation::Unicode::characters(run.text)) {
            const bool tab = glyph == "\t";
            cells.push_back({tab ? std::move(glyph) : printable(glyph), escape, tab});
        }
    }
    std::string out;
    std::string current;
    const auto switchTo = [&](const std::string& style) {
        if (style == current)
            return;
        if (!current.empty())
            out += reset;
        out += style;
        current = style;
    };
    std::size_t column = 0, tabs = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i].tab) {
            switchTo(cells[i].style);
            out += cells[i].glyph;
            ++column;
            continue;
        }
        std::size_t target = (column / 8 + 1) * 8;
        if (style && tabs < style->tabStops.size()) {
            const TextTab& stop = style->tabStops[tabs];
            target = static_cast<std::size_t>(std::lround(stop.location / pointsPerColumn));
            if (stop.alignment == TextAlignment::Right) {
                std::size_t following = 0;
                for (std::size_t j = i + 1; j < cells.size() && !cells[j].tab; ++j)
                    ++following;
                target = target > following ? target - following : 0;
            }
        }
        ++tabs;
        switchTo({});
        const std::size_t pad = target > column ? target - column : 1;
        out.append(pad, ' ');
        column += pad;
    }
    switchTo({});
    return out;
}

std::vector<std::string> statusItem(const StatusItem& item) {
    const auto& button = item.button();
    std::string line = std::string(bold) + "Menu bar" + std::string(reset) + "  ";
    if (const auto& image = button.image()) {
        line += "[" + std::string(image->kind() == Image::Kind::Symbol ? "symbol " : "") +
                printable(image->name()) + "]";
        if (const auto& description = image->accessibilityDescription())
            line += " " + printable(*description);
    }
    std::vector<std::string> lines{line};
    if (const auto& tip = button.toolTip())
        lines.push_back(std::string(dim) + "tool tip: " + printable(*tip) + std::string(reset));
    return lines;
}

std::vector<std::shared_ptr<MenuItem>> labelledItems(const Menu& menu) {
    std::vector<std::shared_ptr<MenuItem>> labelled;
    for (const auto& item : menu.items()) {
        if (!item->isHidden() && !item->isSeparatorItem() && labelled.size() < itemKeys.size())
            labelled.push_back(item);
    }
    return labelled;
}

std::vector<std::string> menu(const Menu& menu, bool withToolTips) {
    std::vector<std::string> lines;
    std::size_t label = 0;
    for (const auto& item : menu.items()) {
        if (item->isHidden())
            continue;
        if (item->isSeparatorItem()) {
            lines.push_back("     " + std::string(dim) + "────────────────────────" +
                            std::string(reset));
            continue;
        }
        const char key = label < itemKeys.size() ? itemKeys[label++] : ' ';
        const bool enabled = item->isEnabled();
        std::string line = "  " + styled(enabled ? bold : dim, std::string(1, key)) + "  ";
        const std::string title = item->attributedTitle() ? attributed(*item->attributedTitle())
                                                          : printable(item->title());
        line += enabled ? title : styled(dim, title);
        if (item->hasSubmenu())
            line += "  ▸";
        if (!item->keyEquivalent().empty()) {
            std::string equivalent = printable(item->keyEquivalent());
            for (char& c : equivalent)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            line += styled(dim, "   ⌘" + equivalent);
        }
        lines.push_back(std::move(line));
        if (withToolTips && item->toolTip()) {
            for (const auto& tipLine : wrapped(*item->toolTip(), textColumns))
                lines.push_back("        " + styled(dim, tipLine));
        }
    }
    return lines;
}

std::vector<std::string> window(const Window& window) {
    const std::size_t columns = std::max<std::size_t>(
        20, static_cast<std::size_t>(window.contentSize().width / pointsPerColumn));
    std::vector<std::string> lines{std::string(bold) + "┌ " + printable(window.title()) +
                                   std::string(reset) +
                                   (window.isKeyWindow() ? styled(dim, "  (front)") : "")};
    if (window.contentView())
        viewLines(*window.contentView(), columns, false, lines);
    if (const HostedView* hosted = hostedView(window); hosted && window.isKeyWindow()) {
        std::string line;
        const auto controls = hosted->controls();
        for (std::size_t i = 0; i < controls.size() && i < controlKeys.size(); ++i) {
            const std::string label =
                std::string(1, controlKeys[i]) + " " + printable(controls[i].title);
            line += (controls[i].enabled ? styled(bold, label) : styled(dim, label)) + "   ";
        }
        if (!line.empty()) {
            lines.push_back("");
            lines.push_back(line);
        }
    }
    for (std::size_t i = 1; i < lines.size(); ++i)
        lines[i] = "│ " + lines[i];
    lines.push_back("└");
    return lines;
}

const HostedView* hostedView(const Window& window) {
    return dynamic_cast<const HostedView*>(window.contentView().get());
}

std::vector<std::string> alert(const Alert& alert) {
    std::vector<std::string> lines{"┌ " + styled(bold, printable(alert.messageText()))};
    for (const auto& line : wrapped(alert.informativeText(), textColumns))
        lines.push_back("│ " + line);
    std::string buttons;
    const auto titles = alert.buttons();
    for (std::size_t i = 0; i < titles.size(); ++i)
        buttons += styled(bold, std::to_string(i + 1)) + " " + printable(titles[i]) + "    ";
    lines.push_back("│");
    lines.push_back("│ " + buttons);
    lines.push_back("└");
    return lines;
}

} // namespace AppKit::TerminalText
