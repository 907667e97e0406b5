// The streaming reader against the parser: both accept the same documents, and the value rebuilt
// from the reader's events is the parsed one, numbers of the same kinds.
#include <JSONCoding/JSONCoding.h>
#include <JSONCoding/JSONScanner.h>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using JSONCoding::JSON;

// Builds the value the events describe; a repeated key keeps its last value, as parsing does.
class Rebuilder {
public:
    JSON root;

    bool startObject() { return open(JSON::object()); }
    bool startArray() { return open(JSON::array()); }
    bool endObject() { return close(); }
    bool endArray() { return close(); }
    bool key(std::string_view name) {
        m_key = name;
        return true;
    }
    bool string(std::string_view text) { return put(std::string(text)) != nullptr; }
    bool integer(std::int64_t value) { return put(value) != nullptr; }
    bool unsignedInteger(std::uint64_t value) { return put(value) != nullptr; }
    bool floating(double value) { return put(value) != nullptr; }
    bool boolean(bool value) { return put(value) != nullptr; }
    bool null() { return put(nullptr) != nullptr; }

private:
    std::vector<JSON*> m_open;
    std::string m_key;

    JSON* put(JSON value) {
        if (m_open.empty())
            return &(root = std::move(value));
        JSON& container = *m_open.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        return &(container[m_key] = std::move(value));
    }
    bool open(JSON container) {
        m_open.push_back(put(std::move(container)));
        return true;
    }
    bool close() {
        m_open.pop_back();
        return true;
    }
};

// Equal values of equal kinds all the way down: 1, 1.0 and -0 as an integer all differ.
bool same(const JSON& left, const JSON& right) {
    std::vector<std::pair<const JSON*, const JSON*>> pending{{&left, &right}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (a->type() != b->type())
            return false;
        if (a->is_number_float()) {
            if (std::bit_cast<std::uint64_t>(a->get<double>()) !=
                std::bit_cast<std::uint64_t>(b->get<double>()))
                return false;
        } else if (a->is_object()) {
            if (a->size() != b->size())
                return false;
            for (auto x = a->begin(), y = b->begin(); x != a->end(); ++x, ++y) {
                if (x.key() != y.key())
                    return false;
                pending.emplace_back(&*x, &*y);
            }
        } else if (a->is_array()) {
            if (a->size() != b->size())
                return false;
            for (std::size_t index = 0; index < a->size(); ++index)
                pending.emplace_back(&(*a)[index], &(*b)[index]);
        } else if (*a != *b) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Foundation::Bytes bytes(data, size);
    const JSON parsed = JSON::parse(bytes.begin(), bytes.end(), nullptr, false);
    Rebuilder rebuilder;
    const bool scanned = JSONCoding::scan(bytes, rebuilder);
    if (scanned == parsed.is_discarded())
        __builtin_trap();
    if (scanned && !same(rebuilder.root, parsed))
        __builtin_trap();
    return 0;
}
