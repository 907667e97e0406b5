#include "JSON.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <utility>

using Foundation::Unicode::canonicallyEquivalent;

JSONObject::JSONObject() = default;
JSONObject::JSONObject(std::vector<Member> members) : m_members(std::move(members)) {}
JSONObject::JSONObject(const JSONObject&) = default;
JSONObject::JSONObject(JSONObject&&) noexcept = default;
JSONObject& JSONObject::operator=(const JSONObject&) = default;
JSONObject& JSONObject::operator=(JSONObject&&) noexcept = default;
JSONObject::~JSONObject() = default;

void JSONObject::setMembers(std::vector<Member> members) {
    m_members = std::move(members);
}

const JSON* JSONObject::find(std::string_view key) const {
    for (auto member = m_members.rbegin(); member != m_members.rend(); ++member) {
        if (canonicallyEquivalent(member->key, key))
            return &member->value;
    }
    return nullptr;
}

JSON* JSONObject::find(std::string_view key) {
    return const_cast<JSON*>(std::as_const(*this).find(key));
}

void JSONObject::set(std::string_view key, JSON value) {
    if (JSON* existing = find(key))
        *existing = std::move(value);
    else
        m_members.push_back({std::string(key), std::move(value)});
}

void JSONObject::remove(std::string_view key) {
    std::erase_if(m_members,
                  [&](const Member& member) { return canonicallyEquivalent(member.key, key); });
}

bool operator==(const JSONObject& a, const JSONObject& b) {
    return std::equal(a.m_members.begin(), a.m_members.end(), b.m_members.begin(),
                      b.m_members.end(), [](const auto& left, const auto& right) {
                          return canonicallyEquivalent(left.key, right.key) &&
                                 left.value == right.value;
                      });
}

std::string JSONParseError::description() const {
    return reason + " at byte " + std::to_string(offset);
}

JSON::JSON() : m_value(std::in_place_index<nullIndex>) {}
JSON::JSON(JSONObject object) : m_value(std::in_place_index<objectIndex>, std::move(object)) {}
JSON::JSON(Array elements) : m_value(std::in_place_index<arrayIndex>, std::move(elements)) {}

JSON JSON::string(std::string text) {
    JSON value;
    value.m_value.emplace<stringIndex>(std::move(text));
    return value;
}

JSON JSON::number(std::string text) {
    JSON value;
    value.m_value.emplace<numberIndex>(std::move(text));
    return value;
}

JSON JSON::boolean(bool flag) {
    JSON value;
    value.m_value.emplace<booleanIndex>(flag);
    return value;
}

std::optional<bool> JSON::asBool() const {
    if (const bool* flag = std::get_if<booleanIndex>(&m_value))
        return *flag;
    return std::nullopt;
}

bool operator==(const JSON& a, const JSON& b) {
    if (a.kind() != b.kind())
        return false;
    switch (a.kind()) {
    case JSON::Kind::object:
        return *a.asObject() == *b.asObject();
    case JSON::Kind::array:
        return *a.asArray() == *b.asArray();
    case JSON::Kind::string:
        return canonicallyEquivalent(*a.asString(), *b.asString());
    case JSON::Kind::number:
        return *a.asNumber() == *b.asNumber();
    case JSON::Kind::boolean:
        return a.asBool() == b.asBool();
    case JSON::Kind::null:
        return true;
    }
    return false;
}
