// Stacks, spacers, dividers, groups and lists of views made from data.
//
// A stack lays its children out in a column (`VStack`) or a row (`HStack`) with
// `spacing` points between neighbours (8 when unset), aligned across its axis;
// a row may align its children's first text baselines. Absent children take no
// room and no spacing. `Group` and `ForEach` put their views straight into the
// enclosing container; `ForEach` identifies each view by the key its item gives,
// so state follows the item rather than its position.
#pragma once

#include <SwiftUI/View.h>
#include <concepts>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace SwiftUI {

class VStack : public View {
public:
    struct Options {
        HorizontalAlignment alignment = HorizontalAlignment::Center;
        std::optional<double> spacing{};
    };
    VStack(std::vector<View> content);
    VStack(Options options, std::vector<View> content);
};

class HStack : public View {
public:
    struct Options {
        VerticalAlignment alignment = VerticalAlignment::Center;
        std::optional<double> spacing{};
    };
    HStack(std::vector<View> content);
    HStack(Options options, std::vector<View> content);
};

// Stretches along its stack; never shorter than `minLength` (8 when unset).
class Spacer : public View {
public:
    Spacer(std::optional<double> minLength = std::nullopt);
};

// A one-point rule across its stack: horizontal in a column, vertical in a row.
class Divider : public View {
public:
    Divider();
};

class Group : public View {
public:
    Group(std::vector<View> content);
};

class ForEach : public View {
public:
    // A view for each item, identified by `id(item)` (text or a number).
    template <typename Range, typename Id, typename Content>
    requires std::invocable<Content, decltype(*std::begin(std::declval<const Range&>()))>
    ForEach(const Range& items, Id id, Content content) : View(make(items, id, content)) {}

    // A view for each item, identified by its position.
    template <typename Range, typename Content>
    requires std::invocable<Content, decltype(*std::begin(std::declval<const Range&>()))>
    ForEach(const Range& items, Content content)
        : View(make(
              items, [position = 0](const auto&) mutable { return position++; }, content)) {}

private:
    static std::string key(const std::string& value) { return value; }
    static std::string key(const char* value) { return value; }
    template <typename T>
    requires std::integral<T> || std::is_enum_v<T>
    static std::string key(T value) {
        if constexpr (std::is_enum_v<T>) {
            return std::to_string(static_cast<std::underlying_type_t<T>>(value));
        } else {
            return std::to_string(value);
        }
    }

    template <typename Range, typename Id, typename Content>
    static std::shared_ptr<const Node> make(const Range& items, Id&& id, Content&& content) {
        std::vector<std::pair<std::string, View>> views;
        for (const auto& item : items) {
            views.emplace_back(key(id(item)), View(content(item)));
        }
        return makeNode(std::move(views));
    }
    static std::shared_ptr<const Node> makeNode(std::vector<std::pair<std::string, View>> views);
};

} // namespace SwiftUI
