// Decoding and encoding records as JSON, by the system's rules.
//
// A record decodes from one JSON object through a static
// `Record decode(const JSONCoding::Decoder&)`. Required keys must be present
// with a value of the right type; optional keys may be absent or null; keys
// the record does not know are ignored. A boolean is never a number, an
// integer must be integral and in range, and a wrong type anywhere makes the
// whole value fail to decode. Failures never escape: `decode` gives nothing.
#pragma once

#include <Foundation/Data.h>
#include <cmath>
#include <concepts>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace JSONCoding {

using JSON = nlohmann::json;
// A JSON value whose objects keep their keys in the order they were put in.
using OrderedJSON = nlohmann::ordered_json;

// Raised inside decoding only; `decode` turns it into an absent value.
class DecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Decoder;

template <class T>
concept Record = requires(const Decoder& decoder) {
    { T::decode(decoder) } -> std::same_as<T>;
};

template <class T> T decodeValue(const JSON& value);

// The keyed view of one JSON object.
class Decoder {
public:
    explicit Decoder(const JSON& object) : m_object(object) {
        if (!object.is_object())
            throw DecodingError("expected an object");
    }

    template <class T> T required(std::string_view key) const {
        const auto found = m_object.find(key);
        if (found == m_object.end())
            throw DecodingError("missing key " + std::string(key));
        return decodeValue<T>(*found);
    }

    template <class T> std::optional<T> optional(std::string_view key) const {
        const auto found = m_object.find(key);
        if (found == m_object.end() || found->is_null())
            return std::nullopt;
        return decodeValue<T>(*found);
    }

    const JSON& object() const { return m_object; }

private:
    const JSON& m_object;
};

namespace Detail {

template <class T> struct IsVector : std::false_type {};
template <class T> struct IsVector<std::vector<T>> : std::true_type {};
template <class T> struct IsTextMap : std::false_type {};
template <class T> struct IsTextMap<std::map<std::string, T>> : std::true_type {};
template <class T> struct IsOptional : std::false_type {};
template <class T> struct IsOptional<std::optional<T>> : std::true_type {};

template <std::integral T> T decodeInteger(const JSON& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<T>::max()))
            throw DecodingError("integer out of range");
        return static_cast<T>(number);
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (!std::in_range<T>(number))
            throw DecodingError("integer out of range");
        return static_cast<T>(number);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // Compared as doubles: the bounds of a 64-bit integer are exact powers of two there.
        if (std::trunc(number) != number ||
            number < static_cast<double>(std::numeric_limits<T>::min()) ||
            number >= static_cast<double>(std::numeric_limits<T>::max()) + 1.0)
            throw DecodingError("not an integer");
        return static_cast<T>(number);
    }
    throw DecodingError("expected an integer");
}

} // namespace Detail

template <class T> T decodeValue(const JSON& value) {
    if constexpr (std::is_same_v<T, JSON>) {
        return value;
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!value.is_boolean())
            throw DecodingError("expected a boolean");
        return value.get<bool>();
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (!value.is_string())
            throw DecodingError("expected a text");
        return value.get<std::string>();
    } else if constexpr (std::is_floating_point_v<T>) {
        if (!value.is_number())
            throw DecodingError("expected a number");
        return value.get<T>();
    } else if constexpr (std::is_integral_v<T>) {
        return Detail::decodeInteger<T>(value);
    } else if constexpr (Detail::IsOptional<T>::value) {
        if (value.is_null())
            return T{};
        return decodeValue<typename T::value_type>(value);
    } else if constexpr (Detail::IsVector<T>::value) {
        if (!value.is_array())
            throw DecodingError("expected a list");
        T elements;
        elements.reserve(value.size());
        for (const JSON& element : value)
            elements.push_back(decodeValue<typename T::value_type>(element));
        return elements;
    } else if constexpr (Detail::IsTextMap<T>::value) {
        if (!value.is_object())
            throw DecodingError("expected an object");
        T entries;
        for (const auto& [key, element] : value.items())
            entries.emplace(key, decodeValue<typename T::mapped_type>(element));
        return entries;
    } else {
        static_assert(Record<T>, "decodeValue needs a record with a static decode(Decoder)");
        return T::decode(Decoder(value));
    }
}

// Parses a JSON document; nothing when it is not well-formed JSON.
std::optional<JSON> parse(Foundation::Bytes bytes);
inline std::optional<JSON> parse(std::string_view text) {
    return parse(
        Foundation::Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

template <class T> std::optional<T> decodeJSON(const JSON& value) {
    try {
        return decodeValue<T>(value);
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

template <class T> std::optional<T> decode(Foundation::Bytes bytes) {
    const auto document = parse(bytes);
    if (!document)
        return std::nullopt;
    return decodeJSON<T>(*document);
}

// Compact JSON; nothing when the value cannot be written (a text that is not valid UTF-8).
std::optional<std::string> serialize(const JSON& value);

// Compact JSON as the platform's default encoder writes it: keys in the order given, "/" in
// texts escaped as "\/". Nothing when a text is not valid UTF-8 or a number is not finite,
// which the encoder refuses rather than writing null.
std::optional<std::string> encode(const OrderedJSON& value);

} // namespace JSONCoding
