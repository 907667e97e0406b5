// The one layout `JSON::serialized` writes: two spaces per level, a line per member or element,
// empty containers as "{}" and "[]", no line feed after the last bracket.
#include "JSON.h"

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

void indent(std::string& into, int depth) {
    into.append(static_cast<std::size_t>(depth) * 2, ' ');
}

void write(const JSON& value, std::string& into, int depth);

template <class Elements, class WriteElement>
void writeContainer(const Elements& elements, char open, char close, std::string& into, int depth,
                    WriteElement writeElement) {
    if (elements.empty()) {
        into += open;
        into += close;
        return;
    }
    into += open;
    into += '\n';
    for (std::size_t i = 0; i < elements.size(); ++i) {
        indent(into, depth + 1);
        writeElement(elements[i]);
        into += i + 1 < elements.size() ? ",\n" : "\n";
    }
    indent(into, depth);
    into += close;
}

void write(const JSON& value, std::string& into, int depth) {
    switch (value.kind()) {
    case JSON::Kind::object:
        writeContainer(value.asObject()->members(), '{', '}', into, depth,
                       [&](const JSONObject::Member& member) {
                           JSON::quote(member.key, into);
                           into += ": ";
                           write(member.value, into, depth + 1);
                       });
        return;
    case JSON::Kind::array:
        writeContainer(*value.asArray(), '[', ']', into, depth,
                       [&](const JSON& element) { write(element, into, depth + 1); });
        return;
    case JSON::Kind::string:
        JSON::quote(*value.asString(), into);
        return;
    case JSON::Kind::number:
        into += *value.asNumber();
        return;
    case JSON::Kind::boolean:
        into += *value.asBool() ? "true" : "false";
        return;
    case JSON::Kind::null:
        into += "null";
        return;
    }
}

} // namespace

std::string JSON::serialized() const {
    std::string text;
    write(*this, text, 0);
    return text;
}

void JSON::quote(std::string_view text, std::string& into) {
    into += '"';
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        into.append(text, runStart, i - runStart);
        runStart = i + 1;
        switch (byte) {
        case '"':
            into += "\\\"";
            break;
        case '\\':
            into += "\\\\";
            break;
        case '\b':
            into += "\\b";
            break;
        case '\f':
            into += "\\f";
            break;
        case '\n':
            into += "\\n";
            break;
        case '\r':
            into += "\\r";
            break;
        case '\t':
            into += "\\t";
            break;
        default:
            into += "\\u00";
            into += hexDigits[byte >> 4];
            into += hexDigits[byte & 0xF];
        }
    }
    into.append(text, runStart, text.size() - runStart);
    into += '"';
}
