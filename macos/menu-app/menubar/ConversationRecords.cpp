#include "menubar/ConversationRecords.h"

#include <Foundation/DateFormatter.h>
#include <Foundation/Unicode.h>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr std::size_t shortTitleLength = 40;

std::string formatted(const char* format, double value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string Conversation::shortTitle() const {
    using namespace Foundation::Unicode;
    const std::string collapsed =
        trimmed(collapsingRuns(title, hasWhiteSpaceProperty), hasWhiteSpaceProperty);
    if (characterCount(collapsed) <= shortTitleLength)
        return collapsed;
    return characterPrefix(collapsed, shortTitleLength - 1) + "…";
}

std::string Conversation::when() const {
    // Each formatter is made on its first use and kept for the process.
    const double seconds = last_active / 1000;
    if (Foundation::Calendar::isInToday(seconds)) {
        static const auto clock = Foundation::DateFormatter::styled(Foundation::DateStyle::None,
                                                                    Foundation::DateStyle::Short);
        return clock.string(seconds);
    }
    if (Foundation::Calendar::isInThisYear(seconds)) {
        static const auto day = Foundation::DateFormatter::fromTemplate("MMMd");
        return day.string(seconds);
    }
    static const auto dayOfYear = Foundation::DateFormatter::fromTemplate("MMMdy");
    return dayOfYear.string(seconds);
}

std::optional<std::string> Conversation::memory() const {
    if (!memory_mb)
        return std::nullopt;
    const double megabytes = *memory_mb;
    if (megabytes >= 1024)
        return formatted("%.1f", megabytes / 1024) + " GB";
    // Halves away from zero; a figure beyond any whole number is written out as it is.
    const double rounded = std::round(megabytes);
    if (rounded >= static_cast<double>(std::numeric_limits<long long>::min()))
        return std::to_string(static_cast<long long>(rounded)) + " MB";
    return formatted("%.0f", rounded) + " MB";
}

AppKit::Color Conversation::stateColor() const {
    if (state == "working")
        return AppKit::Color::systemCyan();
    if (state == "waiting")
        return AppKit::Color::systemOrange();
    if (state == "idle" || state == "open")
        return AppKit::Color::systemGreen();
    return AppKit::Color::systemGray();
}

std::string Conversation::detail() const {
    std::string text = title + "\n" + cwd + "\n" + state + " · " + short_id;
    if (const auto shown = memory())
        text += " · " + *shown;
    return text;
}
