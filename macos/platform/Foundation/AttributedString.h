// Text with attributes, as documents and shared items hand it over.
//
// Only the string is kept: nothing in the system reads fonts, colours or
// paragraph styles, so the stand-in carries none. Attachments (pictures,
// embedded files) stand in the string as U+FFFC, as the platform has them.
#pragma once

#include <string>

namespace Foundation {

class AttributedString {
public:
    explicit AttributedString(std::string string) : m_string(std::move(string)) {}

    const std::string& string() const& { return m_string; }
    std::string string() && { return std::move(m_string); }

    bool operator==(const AttributedString&) const = default;

private:
    std::string m_string;
};

} // namespace Foundation
