#include "RelativeDateTimeFormatter.h"

#include <unicode/calendar.h>
#include <unicode/reldatefmt.h>

namespace Foundation {

struct RelativeDateTimeFormatter::Format {
    std::unique_ptr<icu::RelativeDateTimeFormatter> format;
};

namespace {

struct Difference {
    int amount = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
};

// The largest unit in which `date` differs from `reference`, counted whole in the calendar.
Difference difference(double date, double reference) {
    static constexpr std::pair<UCalendarDateFields, URelativeDateTimeUnit> units[] = {
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},         {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
        {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK}, {UCAL_DATE, UDAT_REL_UNIT_DAY},
        {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},  {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
        {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
    };
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(status));
    if (U_FAILURE(status))
        return {};
    calendar->setTime(reference * 1000.0, status);
    // Each field's difference moves the calendar on by that much, leaving the rest for the next.
    for (const auto& [field, unit] : units) {
        const int amount = calendar->fieldDifference(date * 1000.0, field, status);
        if (U_FAILURE(status))
            return {};
        if (amount != 0)
            return {amount, unit};
    }
    return {};
}

} // namespace

RelativeDateTimeFormatter::RelativeDateTimeFormatter() : m_format(std::make_shared<Format>()) {
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::RelativeDateTimeFormatter>(
        icu::Locale::getDefault(), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_SUCCESS(status))
        m_format->format = std::move(format);
}

std::string RelativeDateTimeFormatter::localizedString(double date, double reference) const {
    std::string text;
    if (!m_format->format)
        return text;
    const Difference found = difference(date, reference);
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString phrase;
    m_format->format->formatNumeric(found.amount, found.unit, phrase, status);
    if (U_SUCCESS(status))
        phrase.toUTF8String(text);
    return text;
}

} // namespace Foundation
