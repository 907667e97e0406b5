// The container model's rules over text: labels, names, the tool's output and the
// environments reply.
#include "service/ToolOutput.h"
#include "settings/ContainerSetupModel.h"

#include <Foundation/TextPieces.h>
#include <Foundation/Unicode.h>
#include <cstdio>

namespace Unicode = Foundation::Unicode;

namespace {

// One row of the bridge's environments reply, as far as a check-in goes.
struct Row {
    struct Refusal {
        double at;
        static Refusal decode(const JSONCoding::Decoder& d) { return {d.required<double>("at")}; }
    };

    std::string name;
    std::optional<double> checked_at;
    std::optional<Refusal> refused;

    static Row decode(const JSONCoding::Decoder& d) {
        return {d.required<std::string>("name"), d.optional<double>("checked_at"),
                d.optional<Refusal>("refused")};
    }
};

bool isBlank(std::string_view text) {
    return Unicode::trimmed(text, Unicode::isWhitespaceOrNewline).empty();
}

// What the bridge's tool could misread, or what could make the label read as another name:
// control characters, line and paragraph separators, and the bidirectional embeddings,
// overrides and isolates. Other format characters (the joiners and tags of emoji, a soft
// hyphen) are ordinary text.
bool misleads(char32_t scalar) {
    return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F) || scalar == 0x2028 ||
           scalar == 0x2029 || (scalar >= 0x202A && scalar <= 0x202E) ||
           (scalar >= 0x2066 && scalar <= 0x2069);
}

std::string milliseconds(double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

} // namespace

std::string_view ContainerSetupModel::rawValue(Shape shape) {
    switch (shape) {
    case Shape::dockerRun:
        return "docker run";
    case Shape::compose:
        return "Compose";
    case Shape::devcontainer:
        return "Dev container";
    }
    return {};
}

std::string ContainerSetupModel::Phase::description() const {
    switch (kind) {
    case Kind::showing:
        return "showing " + snippets->name;
    case Kind::failed:
        return "failed: " + message;
    case Kind::naming:
        return "naming";
    case Kind::working:
        return "working";
    }
    return {};
}

std::string ContainerSetupModel::Connection::description() const {
    switch (kind) {
    case Kind::connected:
        return "connected at " + milliseconds(checkedAt);
    case Kind::waiting:
        return "waiting";
    case Kind::refused:
        return "refused";
    }
    return {};
}

std::string ContainerSetupModel::trimmedLabel(std::string_view label) {
    return Unicode::trimmed(label, Unicode::isWhitespace);
}

bool ContainerSetupModel::labelIsValid() const {
    const std::string trimmed = trimmedLabel(*label);
    if (trimmed.empty() || trimmed.front() == '-' ||
        Unicode::characterCount(trimmed) > maximumLabelLength)
        return false;
    for (const char32_t scalar : Unicode::scalars(trimmed))
        if (misleads(scalar))
            return false;
    return true;
}

std::string ContainerSetupModel::slug(std::string_view label) {
    std::string separated;
    Unicode::forEachCharacter(Unicode::lowercased(label), [&](std::string_view character) {
        const char c = character.front();
        const bool kept =
            character.size() == 1 && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
        separated += kept ? c : '-';
        return true;
    });
    std::vector<std::string> pieces;
    for (const auto piece : Foundation::nonEmptyPieces(separated, '-'))
        pieces.emplace_back(piece);
    std::string name = Foundation::joined(pieces, "-");
    if (name.size() > maximumNameLength) {
        name.resize(maximumNameLength);
        // The cut may end on a separator; the name began with a letter or digit.
        while (name.back() == '-')
            name.pop_back();
    }
    return name.empty() ? "container" : name;
}

ContainerSetupModel::Phase ContainerSetupModel::parse(const Run::Result& result) {
    const std::string json = ToolOutput::jsonLine(result.output).value_or(result.output);
    const auto bytes = Foundation::dataFrom(json);
    if (auto snippets = JSONCoding::decode<ContainerSnippets>(bytes))
        return Phase::showing(std::move(*snippets));
    std::optional<std::string> said;
    if (const auto value = JSONCoding::parse(bytes); value && value->is_object()) {
        const auto msg = value->find("msg");
        if (msg != value->end() && msg->is_string())
            said = msg->get<std::string>();
    }
    const std::string* candidates[] = {said ? &*said : nullptr, &result.error, &result.output};
    for (const std::string* candidate : candidates)
        if (candidate && !isBlank(*candidate))
            return Phase::failed(*candidate);
    return Phase::failed("The bridge didn't answer.");
}

std::optional<ContainerSetupModel::Connection>
ContainerSetupModel::checkIn(Foundation::Bytes reply, std::string_view name, double since) {
    const auto lists = JSONCoding::decode<std::map<std::string, std::vector<Row>>>(reply);
    if (!lists)
        return std::nullopt;
    const auto rows = lists->find("environments");
    if (rows == lists->end())
        return std::nullopt;
    for (const Row& row : rows->second) {
        if (row.name != name)
            continue;
        if (row.checked_at && *row.checked_at >= since)
            return Connection::connected(*row.checked_at);
        if (row.refused && row.refused->at >= since)
            return Connection::refused();
        return std::nullopt;
    }
    return std::nullopt;
}
