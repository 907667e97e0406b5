#include "SetupLikeView.h"

#include <AppKit/Image.h>
#include <Foundation/Bundle.h>
#include <Foundation/Unicode.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace SwiftUI;
using Graphics::CellColor;
using Graphics::CellPoint;
using Graphics::CellRect;
using Key = AppKit::KeyPress::Key;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

std::string plain(const Graphics::CellCanvas& canvas) {
    std::string text;
    for (int y = 0; y < canvas.height(); ++y) {
        text += canvas.plainLine(y) + "\n";
    }
    return text;
}

// Where `text` starts on the canvas, or (-1, -1).
CellPoint find(const Graphics::CellCanvas& canvas, std::string_view text) {
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            std::string run;
            for (int column = x; column < canvas.width() && run.size() < text.size(); ++column) {
                run += canvas.at(column, y).glyph;
            }
            if (run.starts_with(text) && !canvas.at(x, y).continuation) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

Graphics::CellStyle styleAt(const Graphics::CellCanvas& canvas, std::string_view text) {
    const CellPoint at = find(canvas, text);
    return canvas.at(at.x, at.y).style;
}

// The characters of the canvas inside `rect`, row after row.
std::string textIn(const Graphics::CellCanvas& canvas, const CellRect& rect) {
    std::string text;
    for (int y = rect.y; y < rect.maxY(); ++y) {
        for (int x = rect.x; x < rect.maxX(); ++x) {
            text += canvas.at(x, y).glyph;
        }
    }
    return text;
}

AppKit::KeyPress press(Key key, std::string text = {}) {
    return {key, std::move(text)};
}

AppKit::KeyPress typed(std::string text) {
    return {Key::Character, std::move(text)};
}

// The text of the focused control, as the terminal shows it: the last row of what the drawing
// keeps in sight for it.
std::string focused(HostingController& host, int width = 70) {
    auto drawing = host.renderCells(width);
    const auto& rect = drawing.focus;
    return rect ? textIn(drawing.canvas, {rect->x, rect->maxY() - 1, rect->width, 1}) : "";
}

// Lays its subviews out in a row, 6 points apart.
struct Row : Layout<Row> {
    Size sizeThatFits(ProposedViewSize, const LayoutSubviews& subviews) const override {
        Size size;
        for (const auto& subview : subviews) {
            Size each = subview.sizeThatFits({});
            size = {size.width + each.width + (size.width > 0 ? 6 : 0),
                    std::max(size.height, each.height)};
        }
        return size;
    }
    void placeSubviews(Rect bounds, ProposedViewSize,
                       const LayoutSubviews& subviews) const override {
        double x = bounds.minX();
        for (const auto& subview : subviews) {
            subview.place({x, bounds.minY()});
            x += subview.sizeThatFits({}).width + 6;
        }
    }
};

template <typename T> Binding<T> bound(std::shared_ptr<T> value) {
    return Binding<T>([value] { return *value; }, [value](const T& v) { *value = v; });
}

// A text field bound to a string the test reads and sets.
struct NameField {
    std::shared_ptr<std::string> text = std::make_shared<std::string>();
    View body() const { return TextField("Name", bound(text)); }
};

std::string repeated(std::string_view text, std::size_t count) {
    std::string result;
    for (std::size_t i = 0; i < count; ++i) {
        result += text;
    }
    return result;
}

} // namespace

TEST(CellLayout, LengthsInPointsBecomeCellsAndNothingIsWiderThanTheTerminal) {
    HostingController host(
        VStack({.alignment = HorizontalAlignment::Leading, .spacing = 12},
               {Text("Title"),
                VStack({.alignment = HorizontalAlignment::Leading}, {Text("one"), Text("two")}),
                HStack({.spacing = 4}, {Text("left"), Text("right")}),
                Text("a long sentence that wraps at word boundaries")
                    .frame({.width = 96, .alignment = Alignment::leading}),
                Row()({Text("ab"), Text("cd"), Text("ef")})})
            .padding(20)
            .frame({.width = 640, .alignment = Alignment::leading}));
    const auto drawing = host.renderCells(40);
    const auto& canvas = drawing.canvas;
    EXPECT_EQ(canvas.width(), 40);
    // 20 points of padding are two columns and a row; 12 points of spacing a row, 8 none.
    EXPECT_EQ(find(canvas, "Title"), (CellPoint{2, 1}));
    EXPECT_EQ(find(canvas, "one"), (CellPoint{2, 3}));
    EXPECT_EQ(find(canvas, "two"), (CellPoint{2, 4}));
    // Side by side, even 4 points apart: a column, so that the texts don't run together.
    EXPECT_EQ(find(canvas, "left right"), (CellPoint{2, 6}));
    // Wrapped between words within its 12 columns.
    EXPECT_EQ(canvas.plainLine(8), "  a long");
    EXPECT_EQ(canvas.plainLine(9), "  sentence");
    EXPECT_EQ(canvas.plainLine(10), "  that wraps");
    // A custom layout's gaps in points leave at least a column.
    EXPECT_EQ(find(canvas, "ab cd ef").x, 2);
}

TEST(CellPainting, EachControlShowsItsKindStateAndStyle) {
    auto on = std::make_shared<bool>(true);
    auto off = std::make_shared<bool>(false);
    auto network = std::make_shared<std::string>("wifi");
    auto size = std::make_shared<int>(1);
    auto name = std::make_shared<std::string>();
    HostingController host(VStack(
        {.alignment = HorizontalAlignment::Leading, .spacing = 0},
        {HStack({Button("Later", [] {}),
                 Button("OK", [] {}).keyboardShortcut(KeyboardShortcut::DefaultAction),
                 Button("Gone", [] {}).disabled(true), Link("Help", "https://example.com")}),
         Toggle("Sync", bound(on)), Toggle("Mute", bound(off)).toggleStyle(ToggleStyle::Switch),
         Picker("Network", bound(network),
                {Text("Wi-Fi").tag(std::string("wifi")), Text("Ethernet").tag(std::string("eth"))}),
         Picker("Size", bound(size), {Text("Small").tag(0), Text("Large").tag(1)})
             .pickerStyle(PickerStyle::Segmented)
             .labelsHidden(),
         HStack({Text("Name"), TextField("Your name", bound(name))}),
         DisclosureGroup("More", {Text("hidden inside")}),
         HStack({ProgressView(),
                 Image::systemName("checkmark.circle.fill").foregroundStyle(Color::green),
                 Text("quiet").foregroundStyle(Color::secondary), Text("loud").bold(),
                 Circle().fill(Color::red).frame({.width = 8, .height = 16})}),
         Divider()}));
    const auto canvas = host.renderCells(60).canvas;
    const std::string text = plain(canvas);

    EXPECT_THAT(text, HasSubstr("[ Later ] [ OK ] [ Gone ] Help"));
    EXPECT_EQ(styleAt(canvas, "[ OK ]").background, CellColor::Blue);
    EXPECT_TRUE(styleAt(canvas, "OK ]").bold);
    EXPECT_FALSE(styleAt(canvas, "[ Later").bold);
    EXPECT_TRUE(styleAt(canvas, "Gone").dim);
    EXPECT_TRUE(styleAt(canvas, "Help").underline);
    EXPECT_EQ(styleAt(canvas, "Help").foreground, CellColor::Blue);

    EXPECT_THAT(text, HasSubstr("[x] Sync"));
    EXPECT_THAT(text, HasSubstr("Mute [ ]"));
    EXPECT_THAT(text, HasSubstr("Network [ Wi-Fi    ▾ ]"));
    EXPECT_THAT(text, HasSubstr(" Small  Large"));
    EXPECT_TRUE(styleAt(canvas, "Large").inverse);
    EXPECT_FALSE(styleAt(canvas, "Small").inverse);

    const CellPoint field = find(canvas, "Your name");
    EXPECT_EQ(field.y, find(canvas, "Name ").y);
    EXPECT_TRUE(styleAt(canvas, "Your name").dim);
    EXPECT_TRUE(styleAt(canvas, "Your name").underline);

    EXPECT_THAT(text, HasSubstr("▸ More"));
    EXPECT_THAT(text, Not(HasSubstr("hidden inside")));
    EXPECT_THAT(text, HasSubstr("⣾ ✓ quiet loud ●"));
    EXPECT_EQ(styleAt(canvas, "●").foreground, CellColor::Red);
    EXPECT_EQ(styleAt(canvas, "✓").foreground, CellColor::Green);
    EXPECT_TRUE(styleAt(canvas, "quiet").dim);
    EXPECT_TRUE(styleAt(canvas, "loud").bold);
    std::string rule;
    for (int i = 0; i < canvas.width(); ++i) {
        rule += "─";
    }
    EXPECT_EQ(canvas.plainLine(canvas.height() - 1), rule);
    for (const char* word : {"Button", "Toggle", "Picker", "TextField", "VStack", "HStack",
                             "Disclosure", "Divider", "symbol", "disabled", "selection"}) {
        EXPECT_THAT(text, Not(HasSubstr(word)));
    }
}

TEST(CellPainting, NamedImagesShowInHalfBlocksBlackOnWhite) {
    Testing::useTestHome();
    const auto resources = Foundation::Bundle::main().path() / "Contents" / "Resources";
    std::filesystem::create_directories(resources);
    // A two-by-two checker of 32 × 32 points: four columns and two rows of cells.
    ASSERT_TRUE(
        AppKit::Image::withPicture(CoreImage::Image(2, 2, {0, 255, 255, 0}).transformed(16, 16))
            ->writePNG(resources / "cell-checker.png"));
    HostingController host(Image("cell-checker"));
    const auto canvas = host.renderCells(20).canvas;
    EXPECT_EQ(canvas.plainLine(0), "██");
    EXPECT_EQ(canvas.plainLine(1), "  ██");
    EXPECT_EQ(canvas.at(3, 0).style.foreground, CellColor::Black);
    EXPECT_EQ(canvas.at(3, 0).style.background, CellColor::White);
    // Inline in a line of text it cannot be drawn: its words stand in its place.
    HostingController line(Text("Open (") + Text(Image("cell-checker", "the checker")) +
                           Text(" › Pair)") + Text(Image("cell-checker")));
    EXPECT_EQ(line.renderCells(60).canvas.plainLine(0), "Open (the checker › Pair)[cell-checker]");
}

TEST(CellPainting, FormsShowSectionsAndRowsWithLabelsLeadingAndControlsTrailing) {
    auto mode = std::make_shared<std::string>("local");
    auto wake = std::make_shared<bool>(false);
    HostingController host(
        Form({Section("Connection",
                      {Picker("Phones connect over", bound(mode),
                              {Text("The local network").tag(std::string("local")),
                               Text("Tailscale only").tag(std::string("tailscale"))}),
                       Toggle("Wake phones", bound(wake))},
                      Text("Any network this Mac is on."))})
            .formStyle(FormStyle::Grouped)
            .frame({.width = 480}));
    const auto canvas = host.renderCells(78).canvas;
    EXPECT_EQ(canvas.width(), 60);
    const CellPoint header = find(canvas, "Connection");
    EXPECT_TRUE(canvas.at(header.x, header.y).style.bold);
    const CellPoint label = find(canvas, "Phones connect over");
    const CellPoint menu = find(canvas, "[ The local network ▾ ]");
    EXPECT_EQ(label, (CellPoint{header.x, header.y + 1}));
    EXPECT_EQ(menu.y, label.y);
    // Both controls end at the row's trailing edge, inside the form's padding.
    EXPECT_EQ(menu.x + 23, 57);
    EXPECT_EQ(find(canvas, "Wake phones"), (CellPoint{header.x, label.y + 1}));
    EXPECT_EQ(find(canvas, "[ ]"), (CellPoint{54, label.y + 1}));
    const CellPoint footer = find(canvas, "Any network this Mac is on.");
    EXPECT_EQ(footer, (CellPoint{header.x, label.y + 2}));
    EXPECT_TRUE(canvas.at(footer.x, footer.y).style.dim);
}

TEST(CellPainting, SheetsAndDialogsStandInAFramedBoxOverTheDimmedWindow) {
    auto sheet = std::make_shared<bool>(true);
    auto dialog = std::make_shared<bool>(false);
    HostingController host(
        VStack({Text("Behind the sheet"), Text("More behind"), Text("And more"), Text("And more"),
                Text("And more"), Text("Still behind")})
            .sheet(bound(sheet), [&] {
                return VStack({Text("In the sheet"), Button("Ask", [dialog] { *dialog = true; })})
                    .confirmationDialog(Text("Really?"), bound(dialog),
                                        [] { return Button("Yes", [] {}); });
            }));
    auto drawing = host.renderCells(40);
    const auto& canvas = drawing.canvas;
    const CellPoint inside = find(canvas, "In the sheet");
    ASSERT_GE(inside.x, 1);
    EXPECT_EQ(canvas.at(inside.x - 1, inside.y).glyph, "│");
    EXPECT_EQ(find(canvas, "╭").y, 0);
    // The sheet's button has the focus as it opens; a sheet with no control keeps its box in
    // sight instead.
    EXPECT_EQ(focused(host, 40), "[ Ask ]");
    HostingController words(
        Text("Behind").sheet(Binding<bool>::constant(true), [] { return Text("Only words"); }));
    const auto box = words.renderCells(40);
    ASSERT_TRUE(box.focus);
    EXPECT_EQ(textIn(box.canvas, {box.focus->x, box.focus->y, 1, 1}), "╭");
    EXPECT_TRUE(styleAt(canvas, "Still behind").dim);
    EXPECT_FALSE(styleAt(canvas, "In the sheet").dim);

    // Keys reach only the frontmost: the dialog over the sheet, its buttons and Cancel.
    EXPECT_TRUE(host.handleKey(press(Key::Tab)));
    EXPECT_EQ(focused(host, 40), "[ Ask ]");
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_TRUE(*dialog);
    EXPECT_THAT(plain(host.renderCells(40).canvas), HasSubstr("Really?"));
    EXPECT_EQ(focused(host, 40), "[ Yes ]");
    EXPECT_TRUE(host.handleKey(press(Key::Escape)));
    EXPECT_FALSE(*dialog);
    // Back in the sheet, the focus is where it was; Escape dismisses a sheet with no Cancel.
    EXPECT_EQ(focused(host, 40), "[ Ask ]");
    EXPECT_TRUE(host.handleKey(press(Key::Escape)));
    EXPECT_FALSE(*sheet);
    EXPECT_FALSE(host.handleKey(press(Key::Escape)));
}

TEST(CellKeys, TabMovesInReadingOrderPastDisabledControlsAndTheFocusFollowsItsControl) {
    auto model = std::make_shared<SetupLike::Model>();
    HostingController host(SetupLike::Window{model});
    // With no text field, the default button has the focus at first.
    EXPECT_EQ(focused(host), "[ Done ]");

    std::vector<std::string> order;
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(host.handleKey(press(Key::Tab)));
        order.push_back(focused(host));
    }
    EXPECT_THAT(order, ElementsAre("[ Add Hooks… ]", "[x] Claude Code integration",
                                   "Claude Code in a container…", "[ Check Again ]", "[ Done ]",
                                   "[ Add Hooks… ]"));
    EXPECT_TRUE(host.handleKey(press(Key::BackTab)));
    EXPECT_EQ(focused(host), "[ Done ]");
    // Reading order, whatever the order in the tree, past disabled controls.
    HostingController columns(HStack(
        {.alignment = VerticalAlignment::Bottom},
        {Button("Low", [] {}), VStack({Button("Top", [] {}), Button("Off", [] {}).disabled(true),
                                       Button("Right", [] {})})}));
    // With neither a field nor a default button, the first control has it.
    std::vector<std::string> read{focused(columns)};
    for (int i = 0; i < 2; ++i) {
        columns.handleKey(press(Key::Tab));
        read.push_back(focused(columns));
    }
    EXPECT_THAT(read, ElementsAre("[ Top ]", "[ Low ]", "[ Right ]"));

    // Pressed, the button goes; the focus moves to the control after where it stood.
    auto gone = std::make_shared<bool>(false);
    struct Going {
        std::shared_ptr<bool> gone;
        View body() const {
            return VStack({Button("One", [] {}),
                           If(!*gone, Button("Two", [gone = gone] { *gone = true; })),
                           Button("Three", [] {})});
        }
    };
    HostingController going(Going{gone});
    going.handleKey(press(Key::Tab));
    EXPECT_TRUE(going.handleKey(press(Key::Return)));
    EXPECT_TRUE(*gone);
    EXPECT_EQ(focused(going), "[ Three ]");

    // While busy every control is disabled: Tab finds nothing to move to.
    model->busy = std::string("Adding…");
    EXPECT_TRUE(host.handleKey(press(Key::Tab)));
    EXPECT_EQ(focused(host), "[ Done ]");
    EXPECT_FALSE(host.handleKey(typed(" ")));
    EXPECT_EQ(model->closes, 0);
}

TEST(CellKeys, AKeyActsOnlyOnWhatTheScreenLastShowedFocused) {
    class Phones : public ObservableObject {
    public:
        Published<bool> paired{this, true};
        Published<bool> asking{this, false};
        int forgotten = 0;
        int added = 0;
    };
    struct Settings {
        ObservedObject<Phones> phones;
        View body() const {
            Phones* shared = &*phones;
            return VStack({Button("One", [] {}),
                           If(*phones->paired, Button("Forget", [shared] { ++shared->forgotten; })),
                           Button("Add", [shared] { ++shared->added; })})
                .sheet(phones->asking.binding(), [] { return Button("Sure", [] {}); });
        }
    };
    auto phones = std::make_shared<Phones>();
    HostingController host(Settings{phones});
    host.handleKey(press(Key::Tab));
    EXPECT_EQ(focused(host), "[ Forget ]");
    // The phone goes before the screen shows it: Return is not Add's, nor is the next key.
    phones->paired = false;
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    // Nor does Add take the focus: it waits for Forget, which takes keys again once seen.
    EXPECT_EQ(focused(host), "");
    EXPECT_FALSE(host.handleKey(press(Key::Return)));
    phones->paired = true;
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_EQ(phones->forgotten, 0);
    EXPECT_EQ(focused(host), "[ Forget ]");
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_EQ(phones->forgotten, 1);
    EXPECT_EQ(phones->added, 0);
    // Moved to again and gone for good, Tab goes on from where it stood.
    host.handleKey(press(Key::BackTab));
    host.handleKey(press(Key::Tab));
    phones->paired = false;
    EXPECT_EQ(focused(host), "");
    host.handleKey(press(Key::Tab));
    EXPECT_EQ(focused(host), "[ Add ]");
    // Nor is a sheet that comes unseen.
    phones->asking = true;
    host.handleKey(press(Key::Escape));
    EXPECT_TRUE(*phones->asking);
}

TEST(CellKeys, ReturnSpaceAndEscapeGoToTheFocusedControlOrTheWindowsButtons) {
    auto model = std::make_shared<SetupLike::Model>();
    HostingController host(SetupLike::Window{model});
    // The default button has the focus at first: Return is its.
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_EQ(model->closes, 1);
    // A focused toggle takes Space and Return; a focused button takes Return.
    host.handleKey(press(Key::Tab));
    host.handleKey(press(Key::Tab));
    EXPECT_TRUE(host.handleKey(typed(" ")));
    EXPECT_FALSE(*model->mcpWanted);
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_TRUE(*model->mcpWanted);
    host.handleKey(press(Key::Tab));
    host.handleKey(press(Key::Tab));
    EXPECT_TRUE(host.handleKey(typed(" ")));
    EXPECT_EQ(model->checks, 1);
    EXPECT_EQ(model->closes, 1);
    // No cancel button and nothing presented: Escape is not the view's.
    EXPECT_FALSE(host.handleKey(press(Key::Escape)));

    // In a field, Return submits where the view has an action, else presses the default button.
    auto first = std::make_shared<std::string>();
    auto second = std::make_shared<std::string>();
    auto submitted = std::make_shared<int>(0);
    auto defaults = std::make_shared<int>(0);
    auto cancels = std::make_shared<int>(0);
    HostingController form(
        VStack({TextField("Plain", bound(first)),
                TextField("Submits", bound(second)).onSubmit([submitted] { ++*submitted; }),
                HStack({Button("Cancel", [cancels] { ++*cancels; })
                            .keyboardShortcut(KeyboardShortcut::CancelAction),
                        Button("Save", [defaults] {
                            ++*defaults;
                        }).keyboardShortcut(KeyboardShortcut::DefaultAction)})}));
    // The first field has the focus at first.
    EXPECT_EQ(form.renderCells(40).cursor, find(form.renderCells(40).canvas, "Plain"));
    EXPECT_TRUE(form.handleKey(press(Key::Return)));
    EXPECT_EQ(*defaults, 1);
    form.handleKey(press(Key::Tab));
    EXPECT_TRUE(form.handleKey(press(Key::Return)));
    EXPECT_EQ(*submitted, 1);
    EXPECT_EQ(*defaults, 1);
    EXPECT_TRUE(form.handleKey(press(Key::Escape)));
    EXPECT_EQ(*cancels, 1);
}

TEST(CellKeys, PickersOpenTheirChoicesSegmentsStepAndDisclosureGroupsOpen) {
    auto network = std::make_shared<std::string>("wifi");
    auto size = std::make_shared<int>(0);
    HostingController host(VStack(
        {.alignment = HorizontalAlignment::Leading},
        {Picker("Network", bound(network),
                {Text("Wi-Fi").tag(std::string("wifi")), Text("Ethernet").tag(std::string("eth")),
                 Text("Cellular").tag(std::string("cell"))}),
         Picker("Size", bound(size), {Text("Small").tag(0), Text("Large").tag(1)})
             .pickerStyle(PickerStyle::Segmented),
         DisclosureGroup("Advanced", {Text("Secret setting")}), Text("Below")}));
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    auto drawing = host.renderCells(40);
    // The choices come apart, for the screen to place, the chosen one ticked and marked; the
    // menu keeps the focus.
    ASSERT_TRUE(drawing.popUp);
    const Graphics::CellCanvas& list = drawing.popUp->rows;
    EXPECT_EQ(plain(list), " ✓ Wi-Fi\n   Ethernet\n   Cellular\n");
    EXPECT_TRUE(list.at(1, 0).style.inverse);
    EXPECT_FALSE(list.at(1, 1).style.inverse);
    EXPECT_EQ(drawing.popUp->marked, 0);
    EXPECT_THAT(textIn(drawing.canvas, drawing.popUp->control), StartsWith("[ Wi-Fi"));
    EXPECT_THAT(textIn(drawing.canvas, *drawing.focus), HasSubstr("Wi-Fi"));
    EXPECT_THAT(plain(drawing.canvas), Not(HasSubstr("Ethernet")));
    EXPECT_TRUE(host.handleKey(press(Key::Down)));
    // Where inverse does not show, the marked choice is marked as a menu's row is.
    EXPECT_EQ(plain(host.renderCells(40, false).popUp->rows),
              " ✓ Wi-Fi\n›  Ethernet\n   Cellular\n");
    EXPECT_TRUE(host.handleKey(press(Key::Down)));
    EXPECT_TRUE(host.handleKey(press(Key::Down)));
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    EXPECT_EQ(*network, "cell");
    EXPECT_FALSE(host.renderCells(40).popUp);
    // Escape leaves the choices as they were.
    host.handleKey(typed(" "));
    host.handleKey(press(Key::Up));
    EXPECT_TRUE(host.handleKey(press(Key::Escape)));
    EXPECT_EQ(*network, "cell");

    host.handleKey(press(Key::Tab));
    EXPECT_TRUE(host.handleKey(press(Key::Right)));
    EXPECT_EQ(*size, 1);
    EXPECT_TRUE(host.handleKey(press(Key::Right)));
    EXPECT_EQ(*size, 1);
    EXPECT_TRUE(host.handleKey(press(Key::Left)));
    EXPECT_EQ(*size, 0);

    host.handleKey(press(Key::Tab));
    EXPECT_TRUE(host.handleKey(press(Key::Return)));
    drawing = host.renderCells(40);
    EXPECT_THAT(plain(drawing.canvas), HasSubstr("▾ Advanced"));
    EXPECT_EQ(find(drawing.canvas, "Secret setting").y, find(drawing.canvas, "Below").y - 1);
    EXPECT_TRUE(host.handleKey(typed(" ")));
    EXPECT_THAT(plain(host.renderCells(40).canvas), Not(HasSubstr("Secret setting")));
}

TEST(CellKeys, TheFocusedControlsKeysComeFirstAndADialogsKeysAlone) {
    auto mode = std::make_shared<std::string>("lan");
    auto asking = std::make_shared<bool>(false);
    HostingController host(
        VStack({Picker("Connection", bound(mode),
                       {Text("Local network").tag(std::string("lan")),
                        Text("Tailscale").tag(std::string("tailnet"))})
                    .help("How the phone reaches this Mac."),
                HStack({Button("Cancel", [] {}).keyboardShortcut(KeyboardShortcut::CancelAction),
                        Button("Save", [asking] { *asking = true; })
                            .keyboardShortcut(KeyboardShortcut::DefaultAction)})})
            .confirmationDialog(Text("Save?"), bound(asking),
                                [] { return Button("Save", [] {}); }));
    using Hints = std::vector<std::string>;
    // The focus starts at the default button.
    auto hints = host.renderCells(40).hints;
    EXPECT_EQ(hints.keys, (Hints{"Return: press", "Tab: next control", "Esc: Cancel"}));
    EXPECT_FALSE(hints.modal);
    EXPECT_EQ(hints.toolTip, std::nullopt);

    host.handleKey(press(Key::Tab));
    hints = host.renderCells(40).hints;
    EXPECT_EQ(hints.keys, (Hints{"Return: choices", "Tab: next control", "Esc: Cancel"}));
    EXPECT_EQ(hints.toolTip, "How the phone reaches this Mac.");
    host.handleKey(press(Key::Return));
    EXPECT_EQ(host.renderCells(40).hints.keys,
              (Hints{"↑/↓: move", "Return: choose", "Esc: close"}));
    host.handleKey(press(Key::Escape));

    // A dialog's keys are the only ones that apply.
    host.handleKey(press(Key::Tab));
    host.handleKey(press(Key::Tab));
    host.handleKey(press(Key::Return));
    ASSERT_TRUE(*asking);
    hints = host.renderCells(40).hints;
    EXPECT_TRUE(hints.modal);
    EXPECT_EQ(hints.keys, (Hints{"Return: press", "Tab: next control", "Esc: Cancel"}));
    EXPECT_EQ(hints.toolTip, std::nullopt);
}

TEST(CellKeys, TextFieldsEditAtTheCursorAndTheFocusFollowsTheViewsFocusBinding) {
    struct Fields {
        std::shared_ptr<std::string> name = std::make_shared<std::string>();
        std::shared_ptr<std::vector<std::string>> writes =
            std::make_shared<std::vector<std::string>>();
        std::shared_ptr<bool> tagFocused = std::make_shared<bool>(false);
        View body() const {
            Binding<std::string> text([this] { return *name; },
                                      [this](const std::string& value) {
                                          *name = value;
                                          writes->push_back(value);
                                      });
            return VStack(
                {TextField("Name", text),
                 Button("New tag", [focus = tagFocused] { *focus = true; }),
                 TextField("Tag", Binding<std::string>::constant("")).focused(bound(tagFocused))});
        }
    };
    Fields fields;
    HostingController host(fields);
    for (const char* character : {"a", "b", "c"}) {
        EXPECT_TRUE(host.handleKey(typed(character)));
    }
    host.handleKey(press(Key::Left));
    host.handleKey(press(Key::Left));
    host.handleKey(typed("X"));
    EXPECT_EQ(*fields.name, "aXbc");
    auto drawing = host.renderCells(30);
    EXPECT_EQ(drawing.cursor,
              (CellPoint{find(drawing.canvas, "aXbc").x + 2, find(drawing.canvas, "aXbc").y}));
    host.handleKey(press(Key::Home));
    host.handleKey(press(Key::Delete));
    host.handleKey(press(Key::End));
    host.handleKey(press(Key::Backspace));
    // Each line break pasted, CR LF as one, becomes a space.
    host.handleKey(press(Key::Paste, "1\n\r\r\n👩‍💻"));
    EXPECT_EQ(*fields.name, "Xb1   👩‍💻");
    EXPECT_THAT(*fields.writes,
                ElementsAre("a", "ab", "abc", "aXbc", "Xbc", "Xb", "Xb1   👩‍💻"));

    // The view focuses the tag field; the keyboard follows, and leaves it with Tab.
    host.handleKey(press(Key::Tab));
    host.handleKey(press(Key::Return));
    EXPECT_TRUE(*fields.tagFocused);
    drawing = host.renderCells(30);
    EXPECT_EQ(drawing.cursor,
              (CellPoint{find(drawing.canvas, "Tag").x, find(drawing.canvas, "Tag").y}));
    host.handleKey(press(Key::Tab));
    EXPECT_FALSE(*fields.tagFocused);
    EXPECT_EQ(host.renderCells(30).cursor,
              (CellPoint{find(host.renderCells(30).canvas, "Xb1").x + 10,
                         find(host.renderCells(30).canvas, "Xb1").y}));
}

TEST(CellKeys, AFieldTakesAtMostItsMaximumLengthAndCutsAPasteThere) {
    NameField field;
    *field.text = std::string(TextField::maximumLength - 3, 'a');
    HostingController host(field);
    host.handleKey(press(Key::Home));
    host.handleKey(press(Key::Paste, "1234"));
    EXPECT_EQ(field.text->substr(0, 4), "123a");
    host.handleKey(typed("z"));
    EXPECT_EQ(Foundation::Unicode::characterCount(*field.text), TextField::maximumLength);
    host.handleKey(press(Key::Backspace));
    host.handleKey(typed("é"));
    EXPECT_EQ(field.text->substr(0, 4), "12é");
    EXPECT_EQ(Foundation::Unicode::characterCount(*field.text), TextField::maximumLength);
}

// However many combining marks its characters carry, a field stays small enough that a key in
// it is quick.
TEST(CellKeys, AFieldTakesAtMostItsMaximumSizeInBytesAndCutsAPasteThere) {
    NameField field;
    HostingController host(field);
    const std::string acute = "\u0301", marked = "e" + acute + acute + acute;
    host.handleKey(press(Key::Paste, repeated(marked, 3000)));
    EXPECT_EQ(*field.text, repeated(marked, TextField::maximumSize / marked.size()));
    // A character bigger than any field goes in as far as it fits.
    *field.text = "";
    host.handleKey(press(Key::Paste, "a" + repeated(acute, 500000)));
    EXPECT_EQ(*field.text, "a" + repeated(acute, (TextField::maximumSize - 1) / 2));
    host.handleKey(typed("z"));
    host.handleKey(typed("y"));
    EXPECT_EQ(field.text->size(), TextField::maximumSize);
    EXPECT_EQ(field.text->back(), 'z');
}

TEST(CellKeys, TheFocusStartsAtTheFirstFieldAsContentComesUntilTheUserMovesIt) {
    class Draft : public ObservableObject {
    public:
        Published<bool> loaded{this, false};
        Published<std::string> title{this, std::string("T")};
    };
    struct Sheet {
        ObservedObject<Draft> draft;
        View body() const {
            return VStack({Text("Add to Dossier"),
                           If(*draft->loaded, TextField("Title", draft->title.binding())),
                           HStack({Button("Cancel", [] {}),
                                   Button("Add", [] {})
                                       .keyboardShortcut(KeyboardShortcut::DefaultAction)})})
                .disabled(!*draft->loaded);
        }
    };
    auto draft = std::make_shared<Draft>();
    HostingController host(Sheet{draft});
    // Loading, every control is disabled: nothing has the focus, and Tab finds none.
    EXPECT_EQ(focused(host), "");
    EXPECT_TRUE(host.handleKey(press(Key::Tab)));
    // The field that comes takes the focus, so the first key typed goes into it.
    draft->loaded = true;
    EXPECT_TRUE(host.handleKey(typed("X")));
    EXPECT_EQ(*draft->title, "TX");
    // Where the user moves the focus it stays, whatever comes.
    host.handleKey(press(Key::Tab));
    draft->loaded = false;
    draft->loaded = true;
    EXPECT_EQ(focused(host), "[ Cancel ]");
    // Shown again, the window starts afresh, its top in sight with the focus.
    host.setOnScreen(false);
    host.setOnScreen(true);
    const auto drawing = host.renderCells(70);
    EXPECT_TRUE(drawing.cursor);
    EXPECT_EQ(drawing.top, 0);
    host.handleKey(press(Key::Right));
    EXPECT_FALSE(host.renderCells(70).top);
}

TEST(CellKeys, EscapePressesTheButtonTitledCancelAndClosingTakesTheSheetFirst) {
    auto cancels = std::make_shared<int>(0);
    auto sheetCancels = std::make_shared<int>(0);
    auto sheet = std::make_shared<bool>(false);
    HostingController host(VStack({Button("More", [sheet] { *sheet = true; }),
                                   Button("Cancel", [cancels] { ++*cancels; })})
                               .sheet(bound(sheet), [sheet, sheetCancels] {
                                   return Button("Cancel", [sheet, sheetCancels] {
                                       ++*sheetCancels;
                                       *sheet = false;
                                   });
                               }));
    EXPECT_EQ(host.cancelPresentation(), HostingController::Outcome::NotFound);
    EXPECT_THAT(host.renderCells(40).hints.keys, testing::Contains("Esc: Cancel"));
    EXPECT_TRUE(host.handleKey(press(Key::Escape)));
    EXPECT_EQ(*cancels, 1);
    host.press("More");
    EXPECT_EQ(host.cancelPresentation(), HostingController::Outcome::Performed);
    EXPECT_EQ(*sheetCancels, 1);
    EXPECT_FALSE(*sheet);
    EXPECT_EQ(*cancels, 1);
}
