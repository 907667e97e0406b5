// Fonts by text style or by size, weight and design.
//
// The text styles have the sizes of the desktop platform (body 13, callout 12,
// caption 10, title-2 17 points and so on); `system` names a size directly.
// A font only describes; `resolved` gives the face text is set in.
#pragma once

#include <Graphics/Font.h>
#include <string>

namespace SwiftUI {

class Font {
public:
    using Weight = Graphics::Weight;
    enum class Design { Default, Monospaced };

    static const Font largeTitle, title, title2, title3, headline, subheadline, body, callout,
        footnote, caption, caption2;

    static constexpr Font system(double size, Weight weight = Weight::Regular,
                                 Design design = Design::Default) {
        return Font(nullptr, size, weight, design);
    }
    static constexpr Font system(double size, Design design) {
        return Font(nullptr, size, Weight::Regular, design);
    }

    constexpr Font bold() const { return weight(Weight::Bold); }
    constexpr Font weight(Weight value) const { return Font(m_style, m_size, value, m_design); }

    constexpr double size() const { return m_size; }
    constexpr Weight fontWeight() const { return m_weight; }
    constexpr Design design() const { return m_design; }
    Graphics::Font resolved() const;
    // The style's name ("title2"), or "system(15)" / "system(11,mono)"; weight is not included.
    std::string description() const;
    bool operator==(const Font& other) const {
        return m_size == other.m_size && m_weight == other.m_weight && m_design == other.m_design;
    }

private:
    constexpr Font(const char* style, double size, Weight weight, Design design)
        : m_style(style), m_size(size), m_weight(weight), m_design(design) {}

    const char* m_style;
    double m_size;
    Weight m_weight;
    Design m_design;
};

inline constexpr Font Font::largeTitle{"largeTitle", 26, Weight::Regular, Design::Default};
inline constexpr Font Font::title{"title", 22, Weight::Regular, Design::Default};
inline constexpr Font Font::title2{"title2", 17, Weight::Regular, Design::Default};
inline constexpr Font Font::title3{"title3", 15, Weight::Regular, Design::Default};
inline constexpr Font Font::headline{"headline", 13, Weight::Bold, Design::Default};
inline constexpr Font Font::subheadline{"subheadline", 11, Weight::Regular, Design::Default};
inline constexpr Font Font::body{"body", 13, Weight::Regular, Design::Default};
inline constexpr Font Font::callout{"callout", 12, Weight::Regular, Design::Default};
inline constexpr Font Font::footnote{"footnote", 10, Weight::Regular, Design::Default};
inline constexpr Font Font::caption{"caption", 10, Weight::Regular, Design::Default};
inline constexpr Font Font::caption2{"caption2", 10, Weight::Regular, Design::Default};

} // namespace SwiftUI
