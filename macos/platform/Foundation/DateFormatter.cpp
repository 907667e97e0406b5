#include "DateFormatter.h"

#include "SystemTime.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace Foundation {

struct DateFormatter::Format {
    std::unique_ptr<icu::DateFormat> format;
};

namespace {

icu::DateFormat::EStyle icuStyle(DateStyle style) {
    switch (style) {
    case DateStyle::None:
        return icu::DateFormat::kNone;
    case DateStyle::Short:
        return icu::DateFormat::kShort;
    case DateStyle::Abbreviated:
        return icu::DateFormat::kMedium;
    case DateStyle::Long:
        return icu::DateFormat::kLong;
    case DateStyle::Full:
        return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

UDate icuDate(double secondsSince1970) {
    return secondsSince1970 * 1000.0;
}

// The moment's year and day of the year in the user's calendar; false when ICU cannot place it.
bool placeInCalendar(double secondsSince1970, int& year, int& day) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
    if (U_FAILURE(status))
        return false;
    calendar->setTime(icuDate(secondsSince1970), status);
    year = calendar->get(UCAL_EXTENDED_YEAR, status);
    day = calendar->get(UCAL_DAY_OF_YEAR, status);
    return U_SUCCESS(status);
}

} // namespace

DateFormatter DateFormatter::styled(DateStyle date, DateStyle time) {
    auto format = std::make_shared<Format>();
    format->format.reset(icu::DateFormat::createDateTimeInstance(icuStyle(date), icuStyle(time)));
    return DateFormatter(std::move(format));
}

DateFormatter DateFormatter::fromTemplate(std::string_view fields) {
    auto format = std::make_shared<Format>();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icu::Locale::getDefault(), status));
    if (U_SUCCESS(status)) {
        const icu::UnicodeString pattern =
            generator->getBestPattern(icu::UnicodeString::fromUTF8(icu::StringPiece(
                                          fields.data(), static_cast<int32_t>(fields.size()))),
                                      status);
        if (U_SUCCESS(status)) {
            auto simple = std::make_unique<icu::SimpleDateFormat>(pattern, status);
            if (U_SUCCESS(status))
                format->format = std::move(simple);
        }
    }
    return DateFormatter(std::move(format));
}

std::string DateFormatter::string(double secondsSince1970) const {
    std::string text;
    if (!m_format->format)
        return text;
    icu::UnicodeString formatted;
    m_format->format->format(icuDate(secondsSince1970), formatted);
    formatted.toUTF8String(text);
    return text;
}

namespace Calendar {

namespace {

bool sameAsNow(double secondsSince1970, bool sameDay) {
    int year = 0, day = 0, thisYear = 0, today = 0;
    return placeInCalendar(secondsSince1970, year, day) &&
           placeInCalendar(SystemTime::now(), thisYear, today) && year == thisYear &&
           (!sameDay || day == today);
}

} // namespace

bool isInToday(double secondsSince1970) {
    return sameAsNow(secondsSince1970, true);
}

bool isInThisYear(double secondsSince1970) {
    return sameAsNow(secondsSince1970, false);
}

} // namespace Calendar

void setUserLocale(const std::string& locale, const std::string& timeZone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(locale.c_str()), status);
    icu::TimeZone::adoptDefault(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone)));
}

} // namespace Foundation
