#include "SetupLikeView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>

using namespace SwiftUI;

namespace {

// A fixed-size box, a stand-in for any rigid view.
View box(double width, double height) {
    return Rectangle().frame({.width = width, .height = height});
}

// The frame of the `index`th line of the text rendering whose kind and text begin with `start`.
Rect frameOf(HostingController& host, const std::string& start, int index = 0) {
    std::string text = host.renderText({.frames = true});
    std::regex line("^ *" + start + ".* @([-0-9.]+),([-0-9.]+) ([0-9.]+)x([0-9.]+)$");
    int seen = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        std::string current = text.substr(at, end - at);
        std::smatch match;
        if (std::regex_match(current, match, line) && seen++ == index) {
            return {{std::stod(match[1]), std::stod(match[2])},
                    {std::stod(match[3]), std::stod(match[4])}};
        }
        at = end + 1;
    }
    ADD_FAILURE() << "no line " << start << " in\n" << text;
    return {};
}

struct ChipFlow : Layout<ChipFlow> {
    explicit ChipFlow(double spacing) : spacing(spacing) {}
    double spacing;

    struct Row {
        std::vector<std::size_t> indices;
        double y = 0, width = 0, height = 0;
    };
    std::vector<Row> arrange(double width, const LayoutSubviews& subviews) const {
        std::vector<Row> rows;
        Row current;
        for (std::size_t i = 0; i < subviews.size(); ++i) {
            Size size = subviews[i].sizeThatFits(ProposedViewSize::unspecified());
            if (!current.indices.empty() && current.width + spacing + size.width > width) {
                rows.push_back(current);
                current = Row{{}, current.y + current.height + spacing, 0, 0};
            }
            current.width =
                current.indices.empty() ? size.width : current.width + spacing + size.width;
            current.height = std::max(current.height, size.height);
            current.indices.push_back(i);
        }
        if (!subviews.empty()) {
            rows.push_back(current);
        }
        return rows;
    }
    Size sizeThatFits(ProposedViewSize proposal, const LayoutSubviews& subviews) const override {
        auto rows = arrange(proposal.width.value_or(infinity), subviews);
        double height = rows.empty() ? 0 : rows.back().y + rows.back().height;
        double width = 0;
        for (const Row& row : rows) {
            width = std::max(width, row.width);
        }
        return {proposal.width.value_or(width), height};
    }
    void placeSubviews(Rect bounds, ProposedViewSize,
                       const LayoutSubviews& subviews) const override {
        for (const Row& row : arrange(bounds.width(), subviews)) {
            double x = bounds.minX();
            for (std::size_t index : row.indices) {
                Size size = subviews[index].sizeThatFits(ProposedViewSize::unspecified());
                subviews[index].place({x, bounds.minY() + row.y}, UnitPoint::topLeading,
                                      ProposedViewSize::exactly(size));
                x += size.width + spacing;
            }
        }
    }
};

} // namespace

TEST(Layout, StacksSpaceAndAlignChildrenAndAbsentChildrenTakeNoRoom) {
    HostingController host(
        VStack({.alignment = HorizontalAlignment::Leading, .spacing = 10},
               {box(100, 20), If(false, box(5, 5)), EmptyView(), box(40, 30),
                VStack({.alignment = HorizontalAlignment::Trailing}, {box(60, 10), box(20, 10)})}));
    // 20 + 10 + 30 + 10 + (10 + 8 + 10): the two absent views add no spacing.
    EXPECT_EQ(host.fittingSize(), (Size{100, 98}));
    EXPECT_EQ(frameOf(host, "Rectangle", 1), (Rect{{0, 30}, {40, 30}}));
    EXPECT_EQ(frameOf(host, "Rectangle", 3), (Rect{{40, 88}, {20, 10}}));

    HostingController row(
        HStack({.alignment = VerticalAlignment::Bottom, .spacing = 4}, {box(10, 30), box(20, 10)}));
    EXPECT_EQ(row.fittingSize(), (Size{34, 30}));
    EXPECT_EQ(frameOf(row, "Rectangle", 1), (Rect{{14, 20}, {20, 10}}));
}

TEST(Layout, SpacersTakeWhatIsLeftAndKeepTheirMinimum) {
    HostingController host(
        HStack({.spacing = 0}, {box(30, 10), Spacer(), box(20, 10), Spacer(12), box(10, 10)})
            .frame({.width = 200}));
    EXPECT_EQ(host.fittingSize(), (Size{200, 10}));
    // 140 left over, shared equally by the two spacers.
    EXPECT_EQ(frameOf(host, "Rectangle", 1).minX(), 100);
    EXPECT_EQ(frameOf(host, "Rectangle", 2).minX(), 190);

    HostingController tight(HStack({.spacing = 0}, {box(30, 10), Spacer(12), box(20, 10)}));
    EXPECT_EQ(tight.fittingSize(), (Size{62, 10}));
    // Too narrow: the row keeps its minimum and overflows its frame on both sides.
    HostingController squeezed(
        HStack({.spacing = 0}, {box(30, 10), Spacer(12), box(20, 10)}).frame({.width = 50}));
    EXPECT_EQ(frameOf(squeezed, "Rectangle", 0).minX(), -6);
    EXPECT_EQ(frameOf(squeezed, "Rectangle", 1).minX(), 36);
}

TEST(Layout, PaddingFramesAndFixedSizes) {
    HostingController padded(box(10, 10).padding(Edges::bottom, 14).padding(Edges::horizontal, 3));
    EXPECT_EQ(padded.fittingSize(), (Size{16, 24}));
    EXPECT_EQ(frameOf(padded, "Rectangle"), (Rect{{3, 0}, {10, 10}}));

    // Fixed frames centre their content unless told otherwise.
    HostingController fixed(
        box(10, 10).frame({.width = 30, .height = 20, .alignment = Alignment::bottomTrailing}));
    EXPECT_EQ(frameOf(fixed, "Rectangle"), (Rect{{20, 10}, {10, 10}}));

    // Flexible frames fill what they are offered, within their bounds.
    HostingController flexible(
        VStack({.spacing = 0},
               {box(10, 10).frame({.maxWidth = infinity, .alignment = Alignment::leading}),
                box(10, 10).frame({.minHeight = 28}), box(10, 50).frame({.maxHeight = 20})})
            .frame({.width = 120}));
    EXPECT_EQ(flexible.fittingSize(), (Size{120, 58}));
    EXPECT_EQ(frameOf(flexible, "Rectangle", 0), (Rect{{0, 0}, {10, 10}}));
    EXPECT_EQ(frameOf(flexible, "Rectangle", 1), (Rect{{55, 19}, {10, 10}}));
    // A too-tall child under a max height overflows its frame, centred on it.
    EXPECT_EQ(frameOf(flexible, "Rectangle", 2), (Rect{{55, 23}, {10, 50}}));

    // A shape takes its proposal; fixedSize gives it its (unspecified) ideal instead.
    HostingController shapes(
        HStack({Capsule(), Capsule().fixedSize()}).frame({.width = 100, .height = 40}));
    EXPECT_EQ(frameOf(shapes, "Capsule", 1).size, (Size{10, 10}));
    EXPECT_EQ(frameOf(shapes, "Capsule", 0).size, (Size{82, 40}));
}

TEST(Layout, TextWrapsAtTheProposedWidthAndTruncatesOnlyWhereHeightIsShort) {
    std::string sentence = "A developer agent runs the bridge from a checkout. Switch to the "
                           "application's own copy, which starts at login.";
    HostingController wide{Text(sentence)};
    Size natural = wide.fittingSize();
    HostingController narrow(Text(sentence).frame({.width = 150}));
    Rect wrapped = frameOf(narrow, "Text");
    EXPECT_LE(wrapped.width(), 150);
    EXPECT_GE(wrapped.height(), 3 * natural.height);

    HostingController limited(Text(sentence).lineLimit(1).frame({.width = 150}));
    EXPECT_EQ(frameOf(limited, "Text").height(), natural.height);

    // Squeezed into a short frame the text keeps one line; fixed vertically it keeps all.
    HostingController squeezed(VStack({Text(sentence)}).frame({.width = 150, .height = 30}));
    EXPECT_EQ(frameOf(squeezed, "Text").height(), natural.height);
    HostingController grows(
        VStack({Text(sentence).fixedSize(false, true)}).frame({.width = 150, .height = 30}));
    EXPECT_EQ(frameOf(grows, "Text").height(), wrapped.height());
}

TEST(Layout, RowsAlignOnTheFirstTextBaseline) {
    HostingController host(
        HStack({.alignment = VerticalAlignment::FirstTextBaseline, .spacing = 8},
               {Image::systemName("checkmark.circle.fill").font(Font::title),
                VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
                       {Text("Added").font(Font::body), Text("5 min").font(Font::caption)})}));
    Rect symbol = frameOf(host, "Image"), title = frameOf(host, "Text");
    // Both baselines sit at the same height: the larger symbol rises above the title.
    EXPECT_LT(symbol.minY(), title.minY());
    EXPECT_GT(symbol.height(), title.height());
    EXPECT_EQ(host.fittingSize().height, std::max(symbol.maxY(), frameOf(host, "Text", 1).maxY()));
}

TEST(Layout, CustomLayoutsFlowChipsIntoRows) {
    auto chips = [] { return ChipFlow(6)({box(50, 20), box(50, 20), box(50, 24)}); };
    HostingController oneRow(chips().frame({.width = 162}));
    EXPECT_EQ(oneRow.fittingSize(), (Size{162, 24}));
    EXPECT_EQ(frameOf(oneRow, "Rectangle", 2).origin, (Point{112, 0}));

    HostingController twoRows(chips().frame({.width = 161}));
    EXPECT_EQ(twoRows.fittingSize(), (Size{161, 50}));
    EXPECT_EQ(frameOf(twoRows, "Rectangle", 1).origin, (Point{56, 0}));
    EXPECT_EQ(frameOf(twoRows, "Rectangle", 2).origin, (Point{0, 26}));

    // Without a proposal the chips share one row, as wide as the row.
    HostingController unbounded(chips());
    EXPECT_EQ(unbounded.fittingSize(), (Size{162, 24}));
    HostingController empty(ChipFlow(6)({}).frame({.width = 100}));
    EXPECT_EQ(empty.fittingSize(), (Size{100, 0}));
    HostingController oversize(ChipFlow(6)({box(300, 10)}).frame({.width = 100}));
    EXPECT_EQ(frameOf(oversize, "Rectangle").size, (Size{300, 10}));
}

TEST(Layout, ScrollViewsAreAsTallAsTheirContentUpToTheirCap) {
    auto rows = [](int count) {
        std::vector<View> views;
        for (int i = 0; i < count; ++i) {
            views.push_back(
                box(40, 30).frame({.maxWidth = infinity, .alignment = Alignment::leading}));
        }
        return VStack({.spacing = 0}, views);
    };
    HostingController shortList(
        ScrollView({rows(3)}).frame({.maxHeight = 280}).frame({.width = 300}));
    EXPECT_EQ(shortList.fittingSize(), (Size{300, 90}));
    EXPECT_EQ(frameOf(shortList, "Rectangle", 2).origin, (Point{0, 60}));

    HostingController longList(
        ScrollView({rows(20)}).frame({.maxHeight = 280}).frame({.width = 300}));
    EXPECT_EQ(longList.fittingSize(), (Size{300, 280}));
    EXPECT_EQ(frameOf(longList, "ScrollView").size, (Size{300, 280}));
}

TEST(Layout, FormsStackSectionsAndSkipViewsThatShowNothing) {
    HostingController host(Form({Text("Problem").foregroundStyle(Color::red),
                                 Section("Connection", {Text("One"), Text("Two")}, Text("Footer")),
                                 EmptyView(), Group({}), Section("Speech", {Text("Three")})})
                               .formStyle(FormStyle::Grouped)
                               .frame({.width = 480}));
    EXPECT_EQ(host.fittingSize().width, 480);
    Rect problem = frameOf(host, "Text \"Problem"), one = frameOf(host, "Text \"One"),
         two = frameOf(host, "Text \"Two"), footer = frameOf(host, "Text \"Footer"),
         three = frameOf(host, "Text \"Three");
    EXPECT_EQ(problem.minX(), one.minX());
    EXPECT_LT(problem.maxY(), one.minY());
    EXPECT_LT(one.maxY(), two.minY());
    EXPECT_LT(two.maxY(), footer.minY());
    EXPECT_LT(footer.maxY(), three.minY());
    // A fixed height is the form's height; its content starts at the top.
    HostingController tall(
        Form({Section("Speech", {Text("Three")})}).frame({.width = 480, .height = 1900}));
    EXPECT_EQ(tall.fittingSize(), (Size{480, 1900}));
    EXPECT_LT(frameOf(tall, "Text \"Three").minY(), 100);
}

TEST(Layout, TheSetupWindowShapeLaysOutItsColumnsRowsAndButtonBar) {
    auto model = std::make_shared<SetupLike::Model>();
    model->agents = {"com.example.bridge"};
    HostingController host(SetupLike::Window{model});
    Size size = host.fittingSize();
    EXPECT_EQ(size.width, 580);

    Rect heading = frameOf(host, "Text \"Set Up");
    EXPECT_EQ(heading.origin, (Point{20, 20}));
    // The mark is centred in its 18-point column; the texts start 10 points after it.
    Rect mark = frameOf(host, "Image symbol=exclamationmark");
    Rect title = frameOf(host, "Text \"Background service");
    EXPECT_EQ(mark.minX() + mark.width() / 2, 29);
    EXPECT_EQ(mark.minY(), title.minY());
    EXPECT_EQ(title.minX(), 48);
    // Controls sit at the trailing edge of the content, 20 points in from the window's.
    EXPECT_EQ(frameOf(host, "Button \"Switch…").maxX(), 560);
    Rect done = frameOf(host, "Button \"Done");
    EXPECT_EQ(done.maxX(), 560);
    EXPECT_EQ(done.maxY(), size.height - 20);
    Rect again = frameOf(host, "Button \"Check Again");
    EXPECT_EQ(again.maxX() + 8, done.minX());
    EXPECT_EQ(frameOf(host, "Divider").size, (Size{540, 1}));

    // A row's height follows its wrapping detail, and the rows below move with it.
    Rect detail = frameOf(host, "Text \"Not installed");
    Rect hooksRow = frameOf(host, "HStack", 1);
    EXPECT_EQ(hooksRow.height(), detail.maxY() - hooksRow.minY());
    model->agents = {};
    EXPECT_LT(host.fittingSize().height, size.height);
}

TEST(Layout, ControlsInFormRowsSpanTheRowAndLabelsWrapBesideTheirIcons) {
    auto on = std::make_shared<bool>(true);
    auto value = std::make_shared<std::string>("local");
    Binding<bool> toggle([on] { return *on; }, [on](const bool& v) { *on = v; });
    Binding<std::string> choice([value] { return *value; },
                                [value](const std::string& v) { *value = v; });
    HostingController host(
        Form({Section("Connection", {Toggle("Speak replies", toggle),
                                     Picker("Phones connect over", choice,
                                            {Text("The local network").tag("local"),
                                             Text("Tailscale only").tag("tailscale")})})})
            .frame({.width = 480}));
    Rect toggleRow = frameOf(host, "Toggle"), pickerRow = frameOf(host, "Picker");
    EXPECT_EQ(toggleRow.width(), pickerRow.width());
    EXPECT_EQ(toggleRow.minX(), 30);
    EXPECT_EQ(toggleRow.maxX(), 450);
    EXPECT_THAT(host.renderText(), ::testing::HasSubstr("Toggle \"Speak replies\" on switch"));

    // Outside a form a toggle is a checkbox as wide as its label.
    HostingController alone{Toggle("Speak replies", toggle)};
    EXPECT_LT(alone.fittingSize().width, 200);

    std::string long_ = "Kestrelhaven removes the hooks it added to Claude Code's settings and "
                        "keeps a backup beside the file.";
    HostingController wrapped(
        Label(Text(long_), Image::systemName("minus.circle")).frame({.width = 200}));
    HostingController single{Label("Installed", Image::systemName("minus.circle"))};
    Rect label = frameOf(wrapped, "Label");
    EXPECT_LE(label.width(), 200);
    EXPECT_GE(label.height(), 3 * single.fittingSize().height);
    EXPECT_EQ(single.fittingSize().height,
              HostingController{Text("Installed")}.fittingSize().height);
}
