// Dates as the user reads them: formatted in the user's locale and time zone.
//
// A formatter is made once for a style or a template and then formats any
// number of moments (seconds since 1970). Styles follow the platform's: the
// abbreviated date style is the medium one ("Mar 5, 2024"), the shortened time
// style the short one ("14:30" or "2:30 PM"). A template names the fields
// wanted ("MMMd" for month and day) and the locale decides their order and
// punctuation. The calendar questions say whether a moment falls on today or
// in this year, both against `SystemTime::now()`.
//
// The locale and time zone come from the environment, as on any Linux
// program (LANG, LC_ALL, TZ); a test fixes them with `setUserLocale` before
// its first formatter. Formatters are for one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace Foundation {

enum class DateStyle { None, Short, Abbreviated, Long, Full };

class DateFormatter {
public:
    static DateFormatter styled(DateStyle date, DateStyle time);
    static DateFormatter fromTemplate(std::string_view fields);

    std::string string(double secondsSince1970) const;

private:
    struct Format;
    explicit DateFormatter(std::shared_ptr<Format> format) : m_format(std::move(format)) {}
    std::shared_ptr<Format> m_format;
};

namespace Calendar {

bool isInToday(double secondsSince1970);
bool isInThisYear(double secondsSince1970);

} // namespace Calendar

// Fixes the user's locale ("en_GB") and time zone ("Europe/London") for the process.
void setUserLocale(const std::string& locale, const std::string& timeZone);

} // namespace Foundation
