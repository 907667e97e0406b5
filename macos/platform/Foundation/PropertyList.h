// Property-list values and their XML form.
//
// A `PropertyList` is one value of an XML property list: text, integer, real,
// boolean, date, data, array or dictionary. Readers ask for the type they
// expect and get nothing when the value holds another, which is how the system
// reads Info.plist keys ("a value of another type reads as absent"). Parsing
// never throws: a document that is not a well-formed property list gives
// nothing.
#pragma once

#include <Foundation/Data.h>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Foundation {

class PropertyList {
public:
    using Array = std::vector<PropertyList>;
    using Dictionary = std::map<std::string, PropertyList, std::less<>>;
    // Seconds since 1970, UTC.
    struct Date {
        double secondsSince1970 = 0;
        bool operator==(const Date&) const = default;
    };

    PropertyList() : m_value(Dictionary{}) {}
    PropertyList(std::string text) : m_value(std::move(text)) {}
    PropertyList(const char* text) : m_value(std::string(text)) {}
    PropertyList(std::int64_t integer) : m_value(integer) {}
    PropertyList(int integer) : m_value(std::int64_t{integer}) {}
    PropertyList(double real) : m_value(real) {}
    PropertyList(bool boolean) : m_value(boolean) {}
    PropertyList(Date date) : m_value(date) {}
    PropertyList(Data data) : m_value(std::move(data)) {}
    PropertyList(Array array) : m_value(std::move(array)) {}
    PropertyList(Dictionary dictionary) : m_value(std::move(dictionary)) {}

    const std::string* text() const { return std::get_if<std::string>(&m_value); }
    std::optional<std::int64_t> integer() const;
    // An integer or a real.
    std::optional<double> number() const;
    std::optional<bool> boolean() const;
    const Array* array() const { return std::get_if<Array>(&m_value); }
    const Dictionary* dictionary() const { return std::get_if<Dictionary>(&m_value); }
    const Data* data() const { return std::get_if<Data>(&m_value); }
    const Date* date() const { return std::get_if<Date>(&m_value); }

    // The list when every element is text; otherwise nothing.
    std::optional<std::vector<std::string>> textList() const;
    // For a dictionary: the value under `key`, or null.
    const PropertyList* find(std::string_view key) const;

    bool operator==(const PropertyList&) const = default;

private:
    std::variant<std::string, std::int64_t, double, bool, Date, Data, Array, Dictionary> m_value;
};

std::optional<PropertyList> parsePropertyList(std::string_view xml);
// Reads and parses a regular file of at most `limit` bytes.
std::optional<PropertyList> readPropertyList(const std::filesystem::path& path,
                                             std::size_t limit = 4 * 1024 * 1024);
std::string serializePropertyList(const PropertyList& value);

} // namespace Foundation
