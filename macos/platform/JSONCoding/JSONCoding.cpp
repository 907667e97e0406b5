#include "JSONCoding.h"

namespace JSONCoding {

namespace {

bool allNumbersFinite(const OrderedJSON& value) {
    if (value.is_number_float())
        return std::isfinite(value.get<double>());
    if (value.is_structured()) {
        for (const auto& element : value)
            if (!allNumbersFinite(element))
                return false;
    }
    return true;
}

} // namespace

std::optional<JSON> parse(Foundation::Bytes bytes) {
    JSON document = JSON::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (document.is_discarded())
        return std::nullopt;
    return document;
}

std::optional<std::string> serialize(const JSON& value) {
    try {
        return value.dump();
    } catch (const JSON::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> encode(const OrderedJSON& value) {
    if (!allNumbersFinite(value))
        return std::nullopt;
    std::string text;
    try {
        text = value.dump();
    } catch (const OrderedJSON::exception&) {
        return std::nullopt;
    }
    // Compact JSON holds "/" only inside texts.
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (c == '/')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace JSONCoding
