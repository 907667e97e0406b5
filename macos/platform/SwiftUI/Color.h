// Colours and the system's named styles, as a view fills, strokes and writes with them.
//
// The named colours are those of the light appearance. A colour keeps its name
// so that the text rendering can say which style a view uses ("secondary",
// "accent@0.18") rather than its channel values.
#pragma once

#include <Graphics/Color.h>
#include <string>
#include <string_view>

namespace SwiftUI {

class Color {
public:
    constexpr Color(const char* name, Graphics::Color value) : m_name(name), m_value(value) {}

    static const Color primary, secondary, tertiary, quaternary;
    static const Color red, orange, green, blue, accentColor, white, black, clear;
    // The separator between rows, text backgrounds (fields, code) and the window.
    static const Color separator, textBackground, windowBackground;
    // The fill styles, for shapes behind content.
    static const Color primaryFill, secondaryFill, tertiaryFill, quaternaryFill;

    // The same colour with its opacity multiplied by `amount`.
    constexpr Color opacity(double amount) const {
        Color result = *this;
        result.m_value = m_value.multiplyingAlpha(amount);
        result.m_opacity = m_opacity * amount;
        return result;
    }

    constexpr const Graphics::Color& resolved() const { return m_value; }
    // The style's name, without the opacity: "secondary", "accent".
    constexpr std::string_view name() const { return m_name; }
    // The name, with "@" and the applied opacity when one was applied.
    std::string description() const;
    bool operator==(const Color& other) const {
        return m_value == other.m_value && m_opacity == other.m_opacity &&
               std::string_view(m_name) == other.m_name;
    }

private:
    const char* m_name;
    Graphics::Color m_value;
    double m_opacity = 1;
};

inline constexpr Color Color::primary{"primary", {0, 0, 0, 0.85}};
inline constexpr Color Color::secondary{"secondary", {0, 0, 0, 0.5}};
inline constexpr Color Color::tertiary{"tertiary", {0, 0, 0, 0.26}};
inline constexpr Color Color::quaternary{"quaternary", {0, 0, 0, 0.1}};
inline constexpr Color Color::red{"red", Graphics::Color::rgb(255, 59, 48)};
inline constexpr Color Color::orange{"orange", Graphics::Color::rgb(255, 149, 0)};
inline constexpr Color Color::green{"green", Graphics::Color::rgb(40, 205, 65)};
inline constexpr Color Color::blue{"blue", Graphics::Color::rgb(0, 122, 255)};
inline constexpr Color Color::accentColor{"accent", Graphics::Color::rgb(0, 122, 255)};
inline constexpr Color Color::white{"white", {1, 1, 1, 1}};
inline constexpr Color Color::black{"black", {0, 0, 0, 1}};
inline constexpr Color Color::clear{"clear", {0, 0, 0, 0}};
inline constexpr Color Color::separator{"separator", {0, 0, 0, 0.1}};
inline constexpr Color Color::textBackground{"textBackground", {1, 1, 1, 1}};
inline constexpr Color Color::windowBackground{"windowBackground",
                                               Graphics::Color::rgb(236, 236, 236)};
inline constexpr Color Color::primaryFill{"fill", {0, 0, 0, 0.1}};
inline constexpr Color Color::secondaryFill{"secondaryFill", {0, 0, 0, 0.08}};
inline constexpr Color Color::tertiaryFill{"tertiaryFill", {0, 0, 0, 0.05}};
inline constexpr Color Color::quaternaryFill{"quaternaryFill", {0, 0, 0, 0.03}};

} // namespace SwiftUI
