#include <Foundation/DateFormatter.h>
#include <Foundation/RelativeDateTimeFormatter.h>
#include <gtest/gtest.h>

using namespace Foundation;

namespace {

// 2024-06-15 12:00 UTC.
constexpr double midsummerNoon = 1718452800;
constexpr double minute = 60, hour = 3600, day = 86400;

} // namespace

TEST(RelativeDateTimeFormatter, NamesTheLargestUnitInFull) {
    setUserLocale("en_GB", "Europe/London");
    const RelativeDateTimeFormatter formatter;
    const std::pair<double, const char*> cases[] = {
        {0, "in 0 seconds"},
        {-0.4, "in 0 seconds"},
        {-1, "1 second ago"},
        {-59, "59 seconds ago"},
        {-5 * minute, "5 minutes ago"},
        {-5 * minute - 59, "5 minutes ago"},
        {-2 * hour, "2 hours ago"},
        {-1 * day, "1 day ago"},
        {-3 * day, "3 days ago"},
        {-8 * day, "1 week ago"},
        {-40 * day, "1 month ago"},
        {-400 * day, "1 year ago"},
        {90 * minute, "in 1 hour"},
        {2 * day, "in 2 days"},
    };
    for (const auto& [offset, phrase] : cases)
        EXPECT_EQ(formatter.localizedString(midsummerNoon + offset, midsummerNoon), phrase)
            << offset;
}

TEST(RelativeDateTimeFormatter, CountsInTheUsersCalendar) {
    // 31 March to 30 April is not yet a month; 31 January to 29 February 2024 is not either.
    setUserLocale("en_GB", "Europe/London");
    const RelativeDateTimeFormatter formatter;
    constexpr double march31 = 1711843200; // 2024-03-31 00:00 UTC
    EXPECT_EQ(formatter.localizedString(march31, march31 + 30 * day), "4 weeks ago");
    EXPECT_EQ(formatter.localizedString(march31, march31 + 31 * day), "1 month ago");

    setUserLocale("de_DE", "Europe/Berlin");
    EXPECT_EQ(RelativeDateTimeFormatter().localizedString(midsummerNoon - 2 * hour, midsummerNoon),
              "vor 2 Stunden");
    setUserLocale("en_GB", "Europe/London");
}
