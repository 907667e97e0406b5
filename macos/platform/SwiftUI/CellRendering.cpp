// A hosted view in character cells: its trees laid out and drawn there, and the keyboard focus
// kept with the layout.
#include "Core/CellPainter.h"
#include "Core/Controls.h"
#include "Core/Host.h"
#include "Core/KeyHints.h"
#include "Core/Metrics.h"

#include <Foundation/Unicode.h>
#include <algorithm>

namespace SwiftUI {

namespace {

// The size a tree takes in cells: its ideal one, or, when that is too wide, what it takes at
// `width`.
Size fit(const Element& root, int width) {
    Size size = measure(root, {});
    if (size.width > width) {
        size = measure(root, {double(width), std::nullopt});
    }
    return {std::min(size.width, double(width)), size.height};
}

void collectControls(Element& element, std::vector<Element*>& found) {
    if (controlOf(element)) {
        found.push_back(&element);
    }
    for (auto& child : element.children) {
        collectControls(*child, found);
    }
}

// The controls under `root` in reading order: top to bottom, then left to right.
std::vector<Element*> readingOrder(Element& root) {
    std::vector<Element*> controls;
    collectControls(root, controls);
    std::stable_sort(controls.begin(), controls.end(), [](const Element* a, const Element* b) {
        const Graphics::CellRect first = CellPainter::cells(a->frame);
        const Graphics::CellRect second = CellPainter::cells(b->frame);
        return std::pair(first.y, first.x) < std::pair(second.y, second.x);
    });
    return controls;
}

bool isField(const Element& element) {
    const Control* control = controlOf(element);
    return control && control->kind() == Control::Kind::TextField;
}

bool isDefaultButton(const Element& element) {
    const Control* control = controlOf(element);
    return control && control->kind() == Control::Kind::Button &&
           static_cast<const ButtonControl*>(control)->isDefaultAction(element);
}

// Where the focus starts: the first text field, else the default button, else the first control;
// none that is disabled.
const Element* startingControl(const std::vector<Element*>& controls) {
    for (const auto wanted : {isField, isDefaultButton}) {
        auto found = std::find_if(controls.begin(), controls.end(), [&](const Element* e) {
            return wanted(*e) && !e->env().disabled;
        });
        if (found != controls.end()) {
            return *found;
        }
    }
    auto first = std::find_if(controls.begin(), controls.end(),
                              [](const Element* e) { return !e->env().disabled; });
    return first == controls.end() ? nullptr : *first;
}

std::size_t characterCount(const Element& field) {
    return Foundation::Unicode::characterCount(
        static_cast<const TextFieldControl&>(*controlOf(field)).text(field));
}

} // namespace

void KeyFocus::focusOn(const Element* control, const std::vector<Element*>& controls) {
    focus = {control ? control->identity : std::string(), 0, std::nullopt};
    acted = false;
    following.clear();
    if (control) {
        follow(*control, controls);
        if (isField(*control)) {
            focus.caret = characterCount(*control);
        }
    }
}

void KeyFocus::follow(const Element& control, const std::vector<Element*>& controls) {
    following.clear();
    auto after = std::find(controls.begin(), controls.end(), &control);
    if (after == controls.end()) {
        return;
    }
    for (++after; after != controls.end(); ++after) {
        following.push_back((*after)->identity);
    }
}

void HostingController::Impl::inCells(int width, const std::function<void(CellLayout&)>& body) {
    const std::shared_ptr<Tree> hold = tree;
    std::vector<Element*> roots;
    if (hold->root) {
        roots.push_back(hold->root.get());
    }
    for (auto& presented : hold->presented) {
        if (presented.root) {
            roots.push_back(presented.root.get());
        }
    }
    // Whatever happens in `body`, the trees are measured afresh in points next time.
    struct Restore {
        Impl& impl;
        const std::vector<Element*>& roots;
        ~Restore() {
            for (Element* root : roots) {
                forgetMeasurements(*root);
            }
            impl.placed = false;
        }
    } restore{*this, roots};
    for (Element* root : roots) {
        forgetMeasurements(*root);
    }

    CellLayout layout;
    if (hold->root) {
        const CellMetrics cells(width);
        MetricsScope scope(cells);
        const Size size = fit(*hold->root, width);
        place(*hold->root, {{0, 0}, size}, ProposedViewSize::exactly(size));
        layout.trees.push_back({hold->root.get(), "", width, std::nullopt});
        layout.width = int(size.width);
        layout.height = int(size.height);
    }
    // Each sheet or dialog in a box of its own, centred at the top of what is behind it.
    const int inner = std::max(1, width - 2);
    std::vector<std::pair<PresentedRoot*, Size>> boxes;
    for (auto& presented : hold->presented) {
        if (!presented.root) {
            continue;
        }
        const CellMetrics cells(inner);
        MetricsScope scope(cells);
        const Size size = fit(*presented.root, inner);
        boxes.emplace_back(&presented, size);
        layout.width = std::max(layout.width, int(size.width) + 2);
        layout.height = std::max(layout.height, int(size.height) + 2);
    }
    for (auto& [presented, size] : boxes) {
        const CellMetrics cells(inner);
        MetricsScope scope(cells);
        const Graphics::CellRect box{(layout.width - int(size.width) - 2) / 2, 0,
                                     int(size.width) + 2, int(size.height) + 2};
        place(*presented->root, {{double(box.x + 1), double(box.y + 1)}, size},
              ProposedViewSize::exactly(size));
        layout.trees.push_back(
            {presented->root.get(), presented->presentation.identity, inner, box});
    }
    if (!layout.trees.empty()) {
        layout.controls = readingOrder(*layout.trees.back().root);
    }
    body(layout);
}

Element* KeyFocus::nextStillThere(const CellLayout& layout) const {
    for (const std::string& identity : following) {
        Element* next = layout.control(identity);
        if (next && !next->env().disabled) {
            return next;
        }
    }
    return nullptr;
}

Element* CellLayout::control(const std::string& identity) const {
    if (identity.empty()) {
        return nullptr;
    }
    auto found = std::find_if(controls.begin(), controls.end(),
                              [&](const Element* e) { return e->identity == identity; });
    return found == controls.end() ? nullptr : *found;
}

KeyFocus& HostingController::Impl::settleFocus(const CellLayout& layout) {
    // Trees that have gone take their focus with them; one presented again starts afresh.
    std::erase_if(keyFocus, [&](const auto& entry) {
        return std::none_of(layout.trees.begin(), layout.trees.end(),
                            [&](const CellTree& tree) { return tree.key == entry.first; });
    });
    const std::string key = layout.trees.empty() ? std::string() : layout.trees.back().key;
    KeyFocus& record = keyFocus[key];
    CellPainter::Focus& focus = record.focus;
    const auto enabled = [](const Element* element) { return !element->env().disabled; };
    const auto focusOn = [&](const Element* element) { record.focusOn(element, layout.controls); };

    const auto& controls = layout.controls;
    // A field the view focuses through its binding takes the keyboard.
    for (const Element* control : controls) {
        if (isField(*control) && control->focus && control->focus->get() &&
            control->identity != focus.identity) {
            focusOn(control);
            record.chosen = true;
            break;
        }
    }
    if (!record.chosen || focus.identity.empty()) {
        // Nothing focused is no choice: the focus goes where it starts as soon as it can.
        record.chosen = false;
        const Element* start = startingControl(controls);
        if ((start ? start->identity : std::string()) != focus.identity) {
            focusOn(start);
        }
    }
    const Element* current = layout.control(focus.identity);
    if (!current && record.acted) {
        // The control the user pressed went: the nearest one after it still there takes the focus.
        current = record.nextStillThere(layout);
        if (!current) {
            auto first = std::find_if(controls.begin(), controls.end(), enabled);
            current = first == controls.end() ? nullptr : *first;
        }
        focusOn(current);
    }
    // One that went otherwise is not replaced by a neighbour the user never chose: nothing has
    // the focus until it comes back, and Tab goes on from where it stood.
    if (!current) {
        focus.listChoice.reset();
    } else {
        record.follow(*current, controls);
        if (isField(*current)) {
            focus.caret = std::min(focus.caret, characterCount(*current));
        }
        const Control* control = controlOf(*current);
        const bool menu = control->kind() == Control::Kind::Picker &&
                          !static_cast<const PickerControl*>(control)->isSegmented(*current);
        if (!menu || !enabled(current)) {
            focus.listChoice.reset();
        }
    }
    return record;
}

AppKit::HostedView::CellDrawing HostingController::renderCells(int width, bool styled) {
    width = std::max(1, width);
    Impl& impl = *m_impl;
    impl.update();
    impl.cellWidth = width;
    AppKit::HostedView::CellDrawing drawing;
    impl.inCells(width, [&](CellLayout& layout) {
        const KeyFocus& record = impl.settleFocus(layout);
        impl.aimedTree = layout.trees.empty() ? std::string() : layout.trees.back().key;
        impl.keysUnaimed = false;
        impl.aimedControl = layout.drawnFocus(record.focus.identity);
        const CellPainter::Focus focus = record.focus;
        Graphics::CellCanvas canvas(layout.width, layout.height);
        for (std::size_t i = 0; i < layout.trees.size(); ++i) {
            const CellTree& tree = layout.trees[i];
            const bool front = i + 1 == layout.trees.size();
            const CellMetrics cells(tree.width);
            MetricsScope scope(cells);
            CellPainter painter(canvas, front ? focus : CellPainter::Focus{}, styled);
            if (tree.box) {
                // What is behind a sheet or dialog fades; the box hides what it covers.
                canvas.restyle(canvas.bounds(),
                               [](Graphics::CellStyle& style) { style.dim = true; });
                painter.fill(*tree.box, {});
                painter.box(*tree.box, {});
            }
            painter.draw(*tree.root);
            if (front) {
                // With no control focused in a sheet or dialog, the box is what to keep in sight.
                drawing.focus = painter.focusRect() ? painter.focusRect() : tree.box;
                if (drawing.focus && !record.chosen) {
                    drawing.top = tree.box ? tree.box->y : 0;
                }
                drawing.cursor = painter.cursor();
                drawing.popUp = painter.popUp();
            }
        }
        drawing.canvas = std::move(canvas);
        drawing.hints = cellHints(*impl.tree, layout, focus);
    });
    return drawing;
}

} // namespace SwiftUI
