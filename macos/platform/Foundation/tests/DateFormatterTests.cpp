#include <Foundation/DateFormatter.h>
#include <Foundation/SystemTime.h>
#include <gtest/gtest.h>

using namespace Foundation;

namespace {

// 2024-06-15 12:00 UTC, 13:00 in London.
constexpr double midsummerNoon = 1718452800;
constexpr double hour = 3600;

class DateFormatting : public testing::Test {
protected:
    void SetUp() override {
        setUserLocale("en_GB", "Europe/London");
        SystemTime::setSource([this] { return now; });
    }
    void TearDown() override { SystemTime::setSource({}); }

    double now = midsummerNoon;
};

} // namespace

TEST_F(DateFormatting, StylesAndTemplatesFollowTheUsersLocaleAndTimeZone) {
    EXPECT_EQ(DateFormatter::styled(DateStyle::None, DateStyle::Short).string(midsummerNoon),
              "13:00");
    EXPECT_EQ(DateFormatter::styled(DateStyle::Abbreviated, DateStyle::Short).string(midsummerNoon),
              "15 Jun 2024, 13:00");
    EXPECT_EQ(DateFormatter::fromTemplate("MMMd").string(midsummerNoon), "15 Jun");
    EXPECT_EQ(DateFormatter::fromTemplate("MMMdy").string(midsummerNoon), "15 Jun 2024");

    // The locale orders the fields of a template, not the template.
    setUserLocale("en_US", "America/New_York");
    EXPECT_EQ(DateFormatter::fromTemplate("MMMd").string(midsummerNoon), "Jun 15");
}

TEST_F(DateFormatting, TodayAndThisYearAreTheUsersNotUTCs) {
    // 00:30 on 15 June in London is still 14 June in UTC.
    now = midsummerNoon - 12.5 * hour;
    EXPECT_TRUE(Calendar::isInToday(now - 20 * 60));
    EXPECT_FALSE(Calendar::isInToday(now - 40 * 60));
    EXPECT_TRUE(Calendar::isInThisYear(now - 40 * 60));

    // Ten minutes into a new year, a minute before midnight is last year.
    now = 1735689600 + 10 * 60;
    EXPECT_TRUE(Calendar::isInToday(now - 5 * 60));
    EXPECT_FALSE(Calendar::isInThisYear(now - 11 * 60));
}

TEST_F(DateFormatting, MomentsBeyondTheCalendarAreNeitherTodayNorAnError) {
    EXPECT_FALSE(Calendar::isInToday(1e300));
    EXPECT_FALSE(Calendar::isInThisYear(-1e300));
    DateFormatter::fromTemplate("MMMd").string(1e300);
}
