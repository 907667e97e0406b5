// Phrases that place a moment relative to another: "5 minutes ago", "in 2 hours".
//
// The phrase names the largest calendar unit in which the two moments differ
// (years, months, weeks, days, hours, minutes, seconds), counted whole in the
// user's calendar and time zone, with the unit written out in full. Moments
// less than a second apart read "in 0 seconds". The user's locale chooses the
// words (see `setUserLocale`). A formatter is made once and then used from one
// thread at a time.
#pragma once

#include <memory>
#include <string>

namespace Foundation {

class RelativeDateTimeFormatter {
public:
    RelativeDateTimeFormatter();

    // `date` relative to `reference`, both in seconds since 1970.
    std::string localizedString(double date, double reference) const;

private:
    struct Format;
    std::shared_ptr<Format> m_format;
};

} // namespace Foundation
