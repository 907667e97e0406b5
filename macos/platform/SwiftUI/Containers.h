// Forms, their sections, and scroll views.
//
// A grouped form lays its sections out top to bottom, each a header, a rounded
// box of rows with separators between them, and a footer. Views placed straight
// in the form, outside any section, make a box of their own. In a form row a
// toggle or picker puts its label at the leading edge and itself at the
// trailing one. A form takes the height it is proposed (its content scrolls
// when longer) and, proposed none, the height of its content.
//
// A vertical scroll view lays its content out as a column of the proposed
// width and is as tall as the content, but never taller than proposed; what
// does not fit is clipped (and would scroll).
#pragma once

#include <SwiftUI/Text.h>
#include <SwiftUI/View.h>
#include <optional>
#include <vector>

namespace SwiftUI {

class Form : public View {
public:
    Form(std::vector<View> content);
};

class Section : public View {
public:
    Section(std::vector<View> content, std::optional<View> header = std::nullopt,
            std::optional<View> footer = std::nullopt);
    Section(Text header, std::vector<View> content, std::optional<View> footer = std::nullopt);
};

class ScrollView : public View {
public:
    ScrollView(std::vector<View> content);
};

} // namespace SwiftUI
