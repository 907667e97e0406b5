#include "PropertyList.h"

#include <Foundation/FileIO.h>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <pugixml.hpp>
#include <sstream>

namespace Foundation {

std::optional<std::int64_t> PropertyList::integer() const {
    if (const auto* value = std::get_if<std::int64_t>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<double> PropertyList::number() const {
    if (const auto* value = std::get_if<std::int64_t>(&m_value))
        return static_cast<double>(*value);
    if (const auto* value = std::get_if<double>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<bool> PropertyList::boolean() const {
    if (const auto* value = std::get_if<bool>(&m_value))
        return *value;
    return std::nullopt;
}

std::optional<std::vector<std::string>> PropertyList::textList() const {
    const Array* elements = array();
    if (!elements)
        return std::nullopt;
    std::vector<std::string> texts;
    for (const PropertyList& element : *elements) {
        const std::string* text = element.text();
        if (!text)
            return std::nullopt;
        texts.push_back(*text);
    }
    return texts;
}

const PropertyList* PropertyList::find(std::string_view key) const {
    const Dictionary* entries = dictionary();
    if (!entries)
        return nullptr;
    const auto found = entries->find(key);
    return found == entries->end() ? nullptr : &found->second;
}

namespace {

constexpr int maximumDepth = 256;

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Data> decodeBase64(std::string_view text) {
    Data bytes;
    std::uint32_t accumulator = 0;
    int bits = 0;
    bool padding = false;
    for (const char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=') {
            padding = true;
            continue;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        else
            return std::nullopt;
        if (padding)
            return std::nullopt;
        accumulator = (accumulator << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>((accumulator >> bits) & 0xFF));
        }
    }
    return bytes;
}

std::string encodeBase64(const Data& bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            text += alphabet[(group >> shift) & 0x3F];
    }
    if (i < bytes.size()) {
        std::uint32_t group = bytes[i] << 16;
        if (i + 1 < bytes.size())
            group |= bytes[i + 1] << 8;
        text += alphabet[(group >> 18) & 0x3F];
        text += alphabet[(group >> 12) & 0x3F];
        text += i + 1 < bytes.size() ? alphabet[(group >> 6) & 0x3F] : '=';
        text += '=';
    }
    return text;
}

// ISO 8601 in the one form property lists use: YYYY-MM-DDTHH:MM:SSZ.
std::optional<PropertyList::Date> parseDate(std::string_view text) {
    text = trimmed(text);
    int year, month, day, hour, minute, second;
    char zone = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                    &second, &zone) != 7 ||
        zone != 'Z' || copy.size() != 20)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return PropertyList::Date{static_cast<double>(timegm(&fields))};
}

std::optional<PropertyList> parseValue(const pugi::xml_node& node, int depth) {
    if (depth > maximumDepth || node.type() != pugi::node_element)
        return std::nullopt;
    const std::string_view name = node.name();
    const std::string_view content = node.child_value();
    if (name == "string")
        return PropertyList(std::string(content));
    if (name == "integer") {
        if (auto value = parseInteger(content))
            return PropertyList(*value);
        return std::nullopt;
    }
    if (name == "real") {
        if (auto value = parseReal(content))
            return PropertyList(*value);
        return std::nullopt;
    }
    if (name == "true" || name == "false")
        return PropertyList(name == "true");
    if (name == "date") {
        if (auto value = parseDate(content))
            return PropertyList(*value);
        return std::nullopt;
    }
    if (name == "data") {
        if (auto value = decodeBase64(content))
            return PropertyList(std::move(*value));
        return std::nullopt;
    }
    if (name == "array") {
        PropertyList::Array elements;
        for (const pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element)
                continue;
            auto element = parseValue(child, depth + 1);
            if (!element)
                return std::nullopt;
            elements.push_back(std::move(*element));
        }
        return PropertyList(std::move(elements));
    }
    if (name == "dict") {
        PropertyList::Dictionary entries;
        std::optional<std::string> key;
        for (const pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element)
                continue;
            if (!key) {
                if (std::string_view(child.name()) != "key")
                    return std::nullopt;
                key = child.child_value();
                continue;
            }
            auto value = parseValue(child, depth + 1);
            if (!value)
                return std::nullopt;
            entries.insert_or_assign(std::move(*key), std::move(*value));
            key.reset();
        }
        if (key)
            return std::nullopt;
        return PropertyList(std::move(entries));
    }
    return std::nullopt;
}

void writeValue(std::ostringstream& out, const PropertyList& value, int depth);

void writeEscaped(std::ostringstream& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out << "&amp;";
            break;
        case '<':
            out << "&lt;";
            break;
        case '>':
            out << "&gt;";
            break;
        default:
            out << c;
        }
    }
}

void writeValue(std::ostringstream& out, const PropertyList& value, int depth) {
    const std::string indent(static_cast<std::size_t>(depth), '\t');
    out << indent;
    if (const auto* text = value.text()) {
        out << "<string>";
        writeEscaped(out, *text);
        out << "</string>\n";
    } else if (const auto integer = value.integer()) {
        out << "<integer>" << *integer << "</integer>\n";
    } else if (const auto boolean = value.boolean()) {
        out << (*boolean ? "<true/>\n" : "<false/>\n");
    } else if (const auto real = value.number()) {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *real);
        out << "<real>" << std::string_view(buffer, end - buffer) << "</real>\n";
    } else if (const auto* date = value.date()) {
        const std::time_t seconds = static_cast<std::time_t>(std::floor(date->secondsSince1970));
        std::tm fields{};
        gmtime_r(&seconds, &fields);
        // Four digits for every year, as the reader expects: "%Y" writes year 968 as "968".
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ",
                      fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                      fields.tm_min, fields.tm_sec);
        out << "<date>" << buffer << "</date>\n";
    } else if (const auto* data = value.data()) {
        out << "<data>" << encodeBase64(*data) << "</data>\n";
    } else if (const auto* elements = value.array()) {
        out << "<array>\n";
        for (const PropertyList& element : *elements)
            writeValue(out, element, depth + 1);
        out << indent << "</array>\n";
    } else if (const auto* entries = value.dictionary()) {
        out << "<dict>\n";
        for (const auto& [key, element] : *entries) {
            out << indent << "\t<key>";
            writeEscaped(out, key);
            out << "</key>\n";
            writeValue(out, element, depth + 1);
        }
        out << indent << "</dict>\n";
    }
}

} // namespace

std::optional<PropertyList> parsePropertyList(std::string_view xml) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!parsed)
        return std::nullopt;
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "plist")
        return std::nullopt;
    pugi::xml_node element;
    for (const pugi::xml_node child : root.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (element)
            return std::nullopt;
        element = child;
    }
    if (!element)
        return std::nullopt;
    return parseValue(element, 0);
}

std::optional<PropertyList> readPropertyList(const std::filesystem::path& path, std::size_t limit) {
    const auto bytes = readFile(path, limit);
    if (!bytes)
        return std::nullopt;
    return parsePropertyList(textView(*bytes));
}

std::string serializePropertyList(const PropertyList& value) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    writeValue(out, value, 0);
    out << "</plist>\n";
    return out.str();
}

} // namespace Foundation
