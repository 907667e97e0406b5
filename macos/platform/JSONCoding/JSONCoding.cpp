#include "JSONCoding.h"

namespace JSONCoding {

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

} // namespace JSONCoding
