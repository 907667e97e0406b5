#include "Core/Markdown.h"
#include "SetupLikeView.h"

#include <Foundation/FileIO.h>
#include <Graphics/Canvas.h>
#include <Graphics/Image.h>
#include <Testing/Testing.h>
#include <cairo.h>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace SwiftUI;

namespace {

struct Pixels {
    explicit Pixels(const Foundation::Data& png) : image(Graphics::Image::fromPNG(png)) {
        if (!image) {
            return;
        }
        canvas = std::make_unique<Graphics::Canvas>(image->size());
        image->draw(canvas->context(), {{0, 0}, image->size()});
        cairo_surface_flush(cairo_get_target(canvas->context()));
    }
    // 0xRRGGBB of an opaque pixel.
    uint32_t at(int x, int y) const {
        cairo_surface_t* surface = cairo_get_target(canvas->context());
        auto* row =
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xffffff;
    }
    std::shared_ptr<const Graphics::Image> image;
    std::unique_ptr<Graphics::Canvas> canvas;
};

Rect frameOf(HostingController& host, const std::string& start) {
    std::string text = host.renderText({.frames = true});
    std::regex line("(^|\\n) *" + start + "[^\\n]* @([-0-9.]+),([-0-9.]+) ([0-9.]+)x([0-9.]+)");
    std::smatch match;
    if (!std::regex_search(text, match, line)) {
        ADD_FAILURE() << "no line " << start << " in\n" << text;
        return {};
    }
    return {{std::stod(match[2]), std::stod(match[3])}, {std::stod(match[4]), std::stod(match[5])}};
}

} // namespace

TEST(Render, TheTextRenderingShowsKindsTextsStylesAndStates) {
    auto model = std::make_shared<SetupLike::Model>();
    model->agents = {"com.example.bridge"};
    model->busy = std::string("Turning on the service…");
    HostingController host(SetupLike::Window{model});
    EXPECT_EQ(host.renderText(),
              "VStack\n"
              "  Text \"Set Up Kestrelhaven\" font=title2 weight=bold\n"
              "  Text \"Kestrelhaven runs its bridge in the background, so your iPhone can talk to "
              "Claude Code on this Mac.\" color=secondary\n"
              "  HStack\n"
              "    Image symbol=exclamationmark.triangle.fill color=orange\n"
              "    VStack\n"
              "      Text \"Background service\" weight=bold\n"
              "      Text \"A developer LaunchAgent runs the bridge from a checkout.\" "
              "color=secondary\n"
              "    Spacer min=12\n"
              "    Button \"Switch…\" disabled\n"
              "  HStack\n"
              "    Image symbol=circle color=secondary\n"
              "    VStack\n"
              "      Text \"Claude Code hooks\" weight=bold\n"
              "      Text \"Not installed: your phone won't hear about sessions or approvals.\" "
              "color=secondary\n"
              "    Spacer min=12\n"
              "    Button \"Add Hooks…\" disabled\n"
              "  Toggle \"Claude Code integration\" weight=bold on checkbox disabled\n"
              "  Divider\n"
              "  Label \"One thing to do above.\" symbol=list.bullet.circle color=secondary\n"
              "  HStack\n"
              "    ProgressView small\n"
              "    Text \"Turning on the service…\"\n"
              "  HStack\n"
              "    Button \"Claude Code in a container…\" link disabled\n"
              "    Spacer\n"
              "    Button \"Check Again\" disabled\n"
              "    Button \"Done\" default disabled\n");
}

TEST(Render, ControlsFieldsAndAccessibilityAppearInTheTextRendering) {
    auto title = std::make_shared<std::string>("");
    auto choice = std::make_shared<int>(10);
    View view = VStack(
        {Picker("Approvals on the Lock Screen",
                Binding<int>([choice] { return *choice; }, [choice](const int& v) { *choice = v; }),
                {Text("Always").tag(0), Text("After 10 min away").tag(10)}),
         TextField("Tide tables",
                   Binding<std::string>([title] { return *title; },
                                        [title](const std::string& v) { *title = v; }))
             .textFieldStyle(TextFieldStyle::RoundedBorder),
         Text("Title")
             .font(Font::system(11, Font::Weight::Semibold))
             .kerning(0.8)
             .textCase(TextCase::Uppercase),
         Button([] {},
                HStack({Image::systemName("checkmark").font(Font::system(9, Font::Weight::Bold)),
                        Text(std::string("Trips")).lineLimit(1)}))
             .buttonStyle(ButtonStyle::Plain)
             .accessibilityAddTraits(AccessibilityTraits::IsSelected),
         (Text("Shown with ") + Text(Image("lion-inline")) + Text(" in the menu bar"))
             .accessibilityLabel("Shown with the Kestrelhaven menu-bar icon in the menu bar"),
         Link("Install", "https://example.com/setup")});
    HostingController host(view);
    EXPECT_EQ(host.renderText(),
              "VStack\n"
              "  Picker \"Approvals on the Lock Screen\" menu selection=\"After 10 min away\"\n"
              "    Option \"Always\"\n"
              "    Option \"After 10 min away\" selected\n"
              "  TextField text=\"\" placeholder=\"Tide tables\"\n"
              "  Text \"TITLE\" font=system(11) weight=semibold uppercase kerning=0.8\n"
              "  Button plain trait=selected\n"
              "    HStack\n"
              "      Image symbol=checkmark font=system(9) weight=bold\n"
              "      Text \"Trips\" lines=1\n"
              "  Text \"Shown with [image:lion-inline] in the menu bar\" "
              "a11y=\"Shown with the Kestrelhaven menu-bar icon in the menu bar\"\n"
              "  Link \"Install\" url=https://example.com/setup\n");
}

TEST(Render, KeysApplyCodeSpansAndVerbatimTextsShowEveryCharacter) {
    using Markdown::Span;
    EXPECT_EQ(Markdown::parse("Use `kestrelhaven env add … --config-dir` here"),
              (std::vector<Span>{{"Use ", false},
                                 {"kestrelhaven env add … --config-dir", true},
                                 {" here", false}}));
    EXPECT_EQ(Markdown::parse("a `` b ` c `` d"),
              (std::vector<Span>{{"a ", false}, {"b ` c", true}, {" d", false}}));
    EXPECT_EQ(Markdown::parse("an ` unmatched \"quote\" — ›"),
              (std::vector<Span>{{"an ` unmatched \"quote\" — ›", false}}));

    // The code span is set monospaced (wider "iiii"); the verbatim text keeps its backticks.
    HostingController key{Text("`iiii`")};
    HostingController verbatim{Text(std::string("`iiii`"))};
    HostingController plain{Text(std::string("iiii"))};
    EXPECT_GT(key.fittingSize().width, plain.fittingSize().width);
    EXPECT_GT(verbatim.fittingSize().width, plain.fittingSize().width);
    EXPECT_NE(key.fittingSize().width, verbatim.fittingSize().width);
}

TEST(Render, PNGsShowTheViewAtOnePixelPerPointOnTheWindowBackground) {
    auto model = std::make_shared<SetupLike::Model>();
    model->hooksInstalled = true;
    HostingController host(SetupLike::Window{model});
    Size size = host.fittingSize();
    EXPECT_EQ(size.width, 580);

    auto png = host.renderPNG();
    ASSERT_TRUE(png);
    Pixels pixels(*png);
    ASSERT_TRUE(pixels.image);
    EXPECT_EQ(pixels.image->size(), (Size{580, std::ceil(size.height)}));
    EXPECT_EQ(pixels.at(2, 2), 0xececec);
    std::set<uint32_t> colours;
    bool green = false;
    for (int y = 0; y < int(size.height); y += 1) {
        for (int x = 0; x < 580; x += 1) {
            uint32_t colour = pixels.at(x, y);
            colours.insert(colour);
            int r = colour >> 16, g = (colour >> 8) & 0xff, b = colour & 0xff;
            green = green || (g > 150 && r < 120 && b < 120);
        }
    }
    EXPECT_GT(colours.size(), 50u);
    EXPECT_TRUE(green) << "the hooks row's check mark is drawn green";

    // A given size wins over the view's own.
    auto fixed = host.renderPNG(Size{460, 430});
    ASSERT_TRUE(fixed);
    EXPECT_EQ(Graphics::Image::fromPNG(*fixed)->size(), (Size{460, 430}));

    Testing::TemporaryFolder folder;
    EXPECT_TRUE(host.writePNG(folder.path() / "setup.png"));
    EXPECT_EQ(Foundation::readFile(folder.path() / "setup.png", 1 << 22), png);
    std::string error;
    EXPECT_FALSE(host.writePNG(folder.path() / "no" / "such" / "setup.png", std::nullopt, &error));
    EXPECT_FALSE(error.empty());
}

namespace {

// A panel in the shape of the share sheet, using the constructs the other windows draw.
struct Panel {
    std::vector<std::string> tags;
    std::string chosen;
    State<std::string> title{std::string()};
    State<bool> adding{false};

    View label(const char* text) const {
        return Text(text)
            .font(Font::system(11, Font::Weight::Semibold))
            .kerning(0.8)
            .textCase(TextCase::Uppercase)
            .foregroundStyle(Color::secondary)
            .padding(Edges::bottom, 6);
    }
    View chip(const std::string& tag) const {
        bool isChosen = tag == chosen;
        View button =
            Button([] {}, HStack({.spacing = 4},
                                 {If(isChosen, Image::systemName("checkmark")
                                                   .font(Font::system(9, Font::Weight::Bold))),
                                  Text(tag).lineLimit(1)}))
                .padding(Edges::horizontal, 10)
                .padding(Edges::vertical, 4)
                .background(
                    Capsule().fill(isChosen ? Color::accentColor.opacity(0.18) : Color::clear))
                .overlay(
                    Capsule().strokeBorder(isChosen ? Color::accentColor : Color::separator, 1))
                .buttonStyle(ButtonStyle::Plain);
        return isChosen ? button.accessibilityAddTraits(AccessibilityTraits::IsSelected) : button;
    }
    View body() const {
        View preview =
            HStack({.alignment = VerticalAlignment::Top, .spacing = 12},
                   {Image::systemName("doc.text")
                        .font(Font::system(16))
                        .foregroundStyle(Color::secondary)
                        .frame({.width = 36, .height = 36})
                        .background(Color::quaternary, RoundedRectangle(8)),
                    VStack({.alignment = HorizontalAlignment::Leading, .spacing = 4},
                           {Text(std::string("coast-walk.md"))
                                .font(Font::system(11, Font::Design::Monospaced))
                                .foregroundStyle(Color::secondary)
                                .lineLimit(1),
                            Text(std::string("Tide tables for the coast walk. More notes. More "
                                             "notes. More notes. More notes. More notes. More "
                                             "notes. More notes. More notes. More notes."))
                                .lineLimit(3),
                            Text(std::string("812 words · about 4 min"))
                                .font(Font::system(11, Font::Design::Monospaced))
                                .foregroundStyle(Color::accentColor)}),
                    Spacer()})
                .padding(12)
                .background(Color::secondaryFill, RoundedRectangle(10))
                .overlay(RoundedRectangle(10).strokeBorder(Color::separator, 1));
        std::vector<View> chips;
        for (const auto& tag : tags) {
            chips.push_back(chip(tag));
        }
        chips.push_back(Label("New tag", Image::systemName("plus"))
                            .padding(Edges::horizontal, 10)
                            .foregroundStyle(Color::accentColor));
        return VStack(
                   {.alignment = HorizontalAlignment::Leading, .spacing = 0},
                   {Text("Add to Dossier")
                        .font(Font::system(15, Font::Weight::Semibold))
                        .padding(Edges::bottom, 14),
                    VStack({.alignment = HorizontalAlignment::Leading, .spacing = 0},
                           {preview, label("Title").padding(Edges::top, 16),
                            TextField("Tide tables for the coast walk", title.binding())
                                .textFieldStyle(TextFieldStyle::RoundedBorder),
                            label("Tag").padding(Edges::top, 16), HStack({.spacing = 6}, chips),
                            Label("Your Dossier was full when Kestrelhaven last looked.",
                                  Image::systemName("exclamationmark.circle"))
                                .font(Font::callout)
                                .foregroundStyle(Color::orange)
                                .padding(Edges::top, 12)})
                        .frame({.maxWidth = infinity,
                                .maxHeight = infinity,
                                .alignment = Alignment::topLeading}),
                    Divider().padding(Edges::vertical, 12),
                    HStack(
                        {.spacing = 10},
                        {Spacer(),
                         Button("Cancel", [] {}).keyboardShortcut(KeyboardShortcut::CancelAction),
                         Button("Add", [] {})
                             .keyboardShortcut(KeyboardShortcut::DefaultAction)
                             .disabled(true)})
                        .frame({.minHeight = 28})})
            .padding(20)
            .frame({.width = 460, .height = 430});
    }
};

} // namespace

TEST(Render, AFixedPanelDrawsEveryConstructInsideItsFrame) {
    HostingController host{Panel{{"Trips", "Research", "Reading"}, "Trips"}};
    EXPECT_EQ(host.fittingSize(), (Size{460, 430}));
    std::string text = host.renderText({.frames = true});
    EXPECT_THAT(text, ::testing::HasSubstr("Button plain trait=selected"));
    EXPECT_THAT(text, ::testing::HasSubstr("Text \"TAG\" font=system(11) weight=semibold "
                                           "color=secondary uppercase kerning=0.8"));
    // The button row stands at the bottom of the panel, inside its padding.
    Rect add = frameOf(host, "Button \"Add");
    EXPECT_EQ(add.maxX(), 440);
    EXPECT_LE(add.maxY(), 410);
    EXPECT_GE(add.maxY(), 404);

    auto png = host.renderPNG();
    ASSERT_TRUE(png);
    Pixels pixels(*png);
    ASSERT_TRUE(pixels.image);
    EXPECT_EQ(pixels.image->size(), (Size{460, 430}));
    // The disabled default button is drawn faded, not in the full accent colour.
    uint32_t inside = pixels.at(int(add.minX()) + 3, int(add.minY() + add.height() / 2));
    EXPECT_NE(inside, 0x007aff);
}
