#include "menubar/RowFormat.h"

#include <AppKit/TextMeasurement.h>
#include <Foundation/DateFormatter.h>
#include <Foundation/SystemTime.h>
#include <cmath>
#include <gtest/gtest.h>

using namespace AppKit;

namespace {

constexpr double midsummerNoon = 1718452800;

Conversation row(std::string project, std::string title, std::string state,
                 std::optional<double> memory, double hoursAgo = 1) {
    return {project + "-id",
            "short",
            project,
            "/code/" + project,
            std::move(title),
            (midsummerNoon - hoursAgo * 3600) * 1000,
            std::move(state),
            memory,
            false,
            true};
}

double width(std::string_view text, const Font& font) {
    return std::ceil(textWidth(text, font));
}

class RowLayout : public testing::Test {
protected:
    void SetUp() override {
        Foundation::setUserLocale("en_GB", "Europe/London");
        Foundation::SystemTime::setSource([] { return midsummerNoon; });
    }
    void TearDown() override { Foundation::SystemTime::setSource({}); }
};

} // namespace

TEST_F(RowLayout, TabStopsComeFromTheWidestCellOfEachColumn) {
    const std::vector<Conversation> list = {
        row("kestrel-site", "Short", "idle", 97),
        row("dotfiles", "A much longer conversation title", "dormant", 2048, 30 * 24),
    };
    const RowFormat format(list, "  ");
    const double lead = width("  ●\u2002", RowFormat::font());
    const double project = width("kestrel-site", RowFormat::bold());
    const double title = width("A much longer conversation title", RowFormat::font());
    const double time =
        std::max(width("12:00", RowFormat::digits()), width("16 May", RowFormat::digits()));
    const double memory =
        std::max(width("97 MB", RowFormat::digits()), width("2.0 GB", RowFormat::digits()));
    ASSERT_EQ(format.style().tabStops.size(), 3u);
    const auto& stops = format.style().tabStops;
    EXPECT_EQ(stops[0], (TextTab{TextAlignment::Left, lead + project + 18}));
    EXPECT_EQ(stops[1], (TextTab{TextAlignment::Right, stops[0].location + title + 18 + time}));
    EXPECT_EQ(stops[2], (TextTab{TextAlignment::Right, stops[1].location + 18 + memory}));
    EXPECT_EQ(format.indent(), "  ");

    // Without any memory figure the last column is empty; an empty list has only the lead.
    const RowFormat noMemory({row("p", "t", "idle", std::nullopt)}, "");
    EXPECT_EQ(noMemory.style().tabStops[2].location, noMemory.style().tabStops[1].location + 18);
    const RowFormat empty({}, "");
    EXPECT_EQ(empty.style().tabStops[0].location, width("●\u2002", RowFormat::font()) + 18);
}

TEST_F(RowLayout, ARowIsRunsOfDotProjectTitleTimeAndMemory) {
    const auto conversation = row("garden", "Frost  warnings", "waiting", 412.5);
    const RowFormat format({conversation}, "  ");
    const auto text = format.title(conversation);
    const auto& runs = text.runs();
    ASSERT_EQ(runs.size(), 6u);
    const auto label = Color::label(), secondary = Color::secondaryLabel();
    EXPECT_EQ(runs[0], (AttributedString::Run{"  ", {RowFormat::font(), label, format.style()}}));
    EXPECT_EQ(runs[1], (AttributedString::Run{
                           "●\u2002", {RowFormat::font(), Color::systemOrange(), format.style()}}));
    EXPECT_EQ(runs[2],
              (AttributedString::Run{"garden\t", {RowFormat::bold(), label, format.style()}}));
    EXPECT_EQ(runs[3], (AttributedString::Run{"Frost warnings\t",
                                              {RowFormat::font(), label, format.style()}}));
    EXPECT_EQ(runs[4],
              (AttributedString::Run{"12:00", {RowFormat::digits(), secondary, format.style()}}));
    EXPECT_EQ(runs[5], (AttributedString::Run{"\t413 MB",
                                              {RowFormat::digits(), secondary, format.style()}}));

    // Without memory the row ends with the time; without an indent it starts with the dot.
    const auto bare = row("garden", "t", "idle", std::nullopt);
    const auto plain = RowFormat({bare}, "").title(bare);
    EXPECT_EQ(plain.string(), "●\u2002garden\tt\t12:00");
    EXPECT_EQ(RowFormat::bold().weight(), FontWeight::Medium);
    EXPECT_EQ(RowFormat::bold().pointSize(), RowFormat::font().pointSize());
    EXPECT_TRUE(RowFormat::digits().hasMonospacedDigits());
}
