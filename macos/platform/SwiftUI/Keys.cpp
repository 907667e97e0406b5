// The keyboard on a terminal: moving the focus through the front tree's controls and acting on
// them (see HostingController.h for the keys).
#include "Core/Controls.h"
#include "Core/Host.h"

#include <Foundation/Unicode.h>
#include <Graphics/Cells.h>
#include <SwiftUI/Controls.h>
#include <algorithm>

namespace SwiftUI {

namespace {

using Key = AppKit::KeyPress::Key;
// What a key does, run once the cell layout is put away; it answers whether the key was taken.
using Response = std::function<bool()>;

const Response taken = [] { return true; };

class Responder {
public:
    Responder(HostingController::Impl& impl, const CellLayout& layout, KeyFocus& record)
        : m_impl(impl), m_layout(layout), m_record(record), m_focus(record.focus),
          m_element(layout.control(m_focus.identity)) {
        if (m_element) {
            m_control = controlOf(*m_element);
            m_enabled = !m_element->env().disabled;
        }
    }

    Response respond(const AppKit::KeyPress& key) {
        if (m_focus.listChoice && m_enabled) {
            if (Response response = inChoices(key)) {
                return response;
            }
        }
        switch (key.key) {
        case Key::Tab:
        case Key::BackTab:
            return moveFocus(key.key == Key::Tab);
        case Key::Return:
            return onReturn();
        case Key::Escape:
            return onEscape();
        case Key::Character:
            if (Response response = edit(key)) {
                return response;
            }
            return key.text == " " ? activate(false) : nullptr;
        case Key::Left:
        case Key::Right:
            return is(Control::Kind::Picker) ? step(key.key == Key::Right) : edit(key);
        default:
            return edit(key);
        }
    }

private:
    bool is(Control::Kind kind) const { return m_enabled && m_control->kind() == kind; }
    const auto& picker() const { return static_cast<const PickerControl&>(*m_control); }
    const auto& field() const { return static_cast<const TextFieldControl&>(*m_control); }

    // Moves to the next enabled control in reading order, or the previous one, wrapping.
    Response moveFocus(bool forward) {
        std::vector<Element*> order;
        std::copy_if(m_layout.controls.begin(), m_layout.controls.end(), std::back_inserter(order),
                     [this](const Element* e) { return !e->env().disabled || e == m_element; });
        if (order.empty()) {
            return taken;
        }
        std::size_t index = forward ? 0 : order.size() - 1;
        if (auto at = std::find(order.begin(), order.end(), m_element); at != order.end()) {
            const std::size_t here = std::size_t(at - order.begin());
            index = forward ? (here + 1) % order.size() : (here + order.size() - 1) % order.size();
        } else if (const Element* after = m_record.nextStillThere(m_layout)) {
            // The focused control went: on from where it stood.
            const auto here =
                std::size_t(std::find(order.begin(), order.end(), after) - order.begin());
            index = forward ? here : (here + order.size() - 1) % order.size();
        }
        Element* next = order[index];
        if (next->env().disabled) {
            return taken;
        }
        m_record.focusOn(next, m_layout.controls);
        if (controlOf(*next)->kind() == Control::Kind::TextField) {
            m_impl.focusedField = next->identity;
        }
        // Fields bound to a focus state follow the keyboard, as when the user clicks.
        std::vector<Element*> fields = m_layout.controls;
        return [fields, next] {
            for (Element* field : fields) {
                if (field->focus && field->focus->get() != (field == next)) {
                    field->focus->set(field == next);
                }
            }
            return true;
        };
    }

    Response onReturn() {
        m_record.acted = m_element != nullptr;
        if (m_element && m_enabled) {
            if (is(Control::Kind::TextField)) {
                if (m_element->env().onSubmit) {
                    return [element = m_element, control = &field()] {
                        return control->submit(*element);
                    };
                }
            } else if (!is(Control::Kind::Picker) || !picker().isSegmented(*m_element)) {
                return activate(true);
            }
        }
        return [&impl = m_impl] {
            return pressShortcut(impl, true) != HostingController::Outcome::NotFound;
        };
    }

    Response onEscape() {
        return
            [&impl = m_impl] { return cancelFront(impl) != HostingController::Outcome::NotFound; };
    }

    // Space or Return on the focused control.
    Response activate(bool byReturn) {
        if (!m_element || !m_enabled) {
            return nullptr;
        }
        m_record.acted = true;
        Element* element = m_element;
        switch (m_control->kind()) {
        case Control::Kind::Button:
            return [element, control = m_control] {
                static_cast<const ButtonControl*>(control)->press(*element);
                return true;
            };
        case Control::Kind::Toggle:
            return [element, control = m_control] {
                auto* toggle = static_cast<const ToggleControl*>(control);
                toggle->set(*element, !toggle->isOn(*element));
                return true;
            };
        case Control::Kind::Picker:
            if (picker().isSegmented(*element)) {
                return byReturn ? nullptr : taken;
            }
            m_focus.listChoice = picker().selection(*element).value_or(0);
            return taken;
        case Control::Kind::Disclosure:
            return [element, control = m_control] {
                auto* group = static_cast<const DisclosureControl*>(control);
                group->setExpanded(*element, !group->isExpanded(*element));
                return true;
            };
        case Control::Kind::TextField:
            break;
        }
        return nullptr;
    }

    // The keys of an open list of choices; others close it first, except Tab, which moves on.
    Response inChoices(const AppKit::KeyPress& key) {
        const std::vector<std::string> options = picker().options(*m_element);
        std::size_t& marked = *m_focus.listChoice;
        switch (key.key) {
        case Key::Up:
            marked = marked > 0 ? marked - 1 : 0;
            return taken;
        case Key::Down:
            marked = std::min(marked + 1, options.empty() ? 0 : options.size() - 1);
            return taken;
        case Key::Return:
        case Key::Character: {
            if (key.key == Key::Character && key.text != " ") {
                return taken;
            }
            m_focus.listChoice.reset();
            if (marked >= options.size()) {
                return taken;
            }
            return [element = m_element, control = &picker(), title = options[marked]] {
                control->choose(*element, title);
                return true;
            };
        }
        case Key::Escape:
            m_focus.listChoice.reset();
            return taken;
        default:
            m_focus.listChoice.reset();
            return key.key == Key::Tab || key.key == Key::BackTab ? nullptr : taken;
        }
    }

    // ← and → on a segmented control choose the option beside the chosen one.
    Response step(bool forward) {
        if (!picker().isSegmented(*m_element)) {
            return nullptr;
        }
        const std::vector<std::string> options = picker().options(*m_element);
        const auto chosen = picker().selection(*m_element);
        std::size_t index = chosen ? *chosen : 0;
        if (chosen) {
            index = forward ? std::min(index + 1, options.size() - 1) : (index > 0 ? index - 1 : 0);
        }
        if (options.empty() || (chosen && index == *chosen)) {
            return taken;
        }
        return [element = m_element, control = &picker(), title = options[index]] {
            control->choose(*element, title);
            return true;
        };
    }

    // Typing and moving in the focused text field.
    Response edit(const AppKit::KeyPress& key) {
        if (!is(Control::Kind::TextField)) {
            return nullptr;
        }
        const std::string current = field().text(*m_element);
        std::vector<std::string> characters = Foundation::Unicode::characters(current);
        std::size_t& caret = m_focus.caret;
        caret = std::min(caret, characters.size());
        bool changed = true;
        switch (key.key) {
        case Key::Character:
        case Key::Paste: {
            const auto inserted = fitting(typed(key), characters.size(), current.size());
            changed = !inserted.empty();
            characters.insert(characters.begin() + std::ptrdiff_t(caret), inserted.begin(),
                              inserted.end());
            caret += inserted.size();
            break;
        }
        case Key::Backspace:
            if (caret == 0) {
                return taken;
            }
            characters.erase(characters.begin() + std::ptrdiff_t(--caret));
            break;
        case Key::Delete:
            if (caret == characters.size()) {
                return taken;
            }
            characters.erase(characters.begin() + std::ptrdiff_t(caret));
            break;
        case Key::Left:
            caret -= caret > 0 ? 1 : 0;
            changed = false;
            break;
        case Key::Right:
            caret += caret < characters.size() ? 1 : 0;
            changed = false;
            break;
        case Key::Home:
            caret = 0;
            changed = false;
            break;
        case Key::End:
            caret = characters.size();
            changed = false;
            break;
        default:
            return nullptr;
        }
        m_impl.focusedField = m_element->identity;
        if (!changed) {
            return taken;
        }
        std::string text;
        for (const auto& character : characters) {
            text += character;
        }
        return [element = m_element, control = &field(), text] {
            control->write(*element, text);
            return true;
        };
    }

    // What a key puts into a field: a line break pasted in becomes a space, as the field holds
    // one line (CR LF is one break), and other control characters (C0, DEL, C1) are left out.
    static std::string typed(const AppKit::KeyPress& key) {
        const std::u32string scalars = Foundation::Unicode::scalars(key.text);
        std::string text;
        for (std::size_t i = 0; i < scalars.size(); ++i) {
            if (scalars[i] == U'\r' && i + 1 < scalars.size() && scalars[i + 1] == U'\n') {
                continue;
            }
            if (Foundation::Unicode::isNewline(scalars[i])) {
                text += ' ';
            } else if (!Graphics::isControlScalar(scalars[i])) {
                Foundation::Unicode::appendUTF8(text, scalars[i]);
            }
        }
        return text;
    }

    // The characters of `text` that go into a field holding `count` characters in `size` bytes:
    // whole ones, up to its length and size. One character bigger than any field could hold goes
    // in up to the last of its scalars that fits.
    static std::vector<std::string> fitting(std::string_view text, std::size_t count,
                                            std::size_t size) {
        const std::size_t characterRoom =
            TextField::maximumLength - std::min(TextField::maximumLength, count);
        std::size_t byteRoom = TextField::maximumSize - std::min(TextField::maximumSize, size);
        std::vector<std::string> kept;
        Foundation::Unicode::forEachCharacter(text, [&](std::string_view character) {
            if (kept.size() == characterRoom) {
                return false;
            }
            if (character.size() > byteRoom) {
                if (character.size() > TextField::maximumSize) {
                    std::size_t end = byteRoom;
                    while (end > 0 && (static_cast<unsigned char>(character[end]) & 0xC0) == 0x80) {
                        --end;
                    }
                    if (end > 0) {
                        kept.emplace_back(character.substr(0, end));
                    }
                }
                return false;
            }
            byteRoom -= character.size();
            kept.emplace_back(character);
            return true;
        });
        return kept;
    }

    HostingController::Impl& m_impl;
    const CellLayout& m_layout;
    KeyFocus& m_record;
    CellPainter::Focus& m_focus;
    Element* m_element;
    const Control* m_control = nullptr;
    bool m_enabled = false;
};

} // namespace

bool HostingController::handleKey(const AppKit::KeyPress& key) {
    Impl& impl = *m_impl;
    impl.update();
    // The tree the response acts on stays alive until it has run, whatever it redraws.
    const std::shared_ptr<Tree> hold = impl.tree;
    Response response;
    impl.inCells(impl.cellWidth, [&](CellLayout& layout) {
        const std::string front = layout.trees.empty() ? std::string() : layout.trees.back().key;
        const auto before = impl.keyFocus.find(front);
        const bool chosen = before != impl.keyFocus.end() && before->second.chosen &&
                            !before->second.focus.identity.empty();
        KeyFocus& record = impl.settleFocus(layout);
        // A sheet that came or went, or a focused control that went, came back or moved, since
        // the screen last showed them: the keys were meant for what the user saw, so none acts
        // until they see this.
        if ((impl.aimedTree && *impl.aimedTree != front) ||
            (chosen && impl.aimedControl &&
             *impl.aimedControl != layout.drawnFocus(record.focus.identity))) {
            impl.keysUnaimed = true;
        }
        if (impl.keysUnaimed) {
            response = taken;
            return;
        }
        response = Responder(impl, layout, record).respond(key);
        // Once the user acts, the focus is theirs: it no longer moves to where focus starts.
        record.chosen = record.chosen || response != nullptr;
    });
    if (!response || !response()) {
        return false;
    }
    impl.markDirty();
    // What the key brought in front is the user's doing.
    impl.update();
    impl.aimedTree = impl.tree->frontKey();
    const auto front = impl.keyFocus.find(*impl.aimedTree);
    impl.aimedControl = front == impl.keyFocus.end() ? std::string() : front->second.focus.identity;
    return true;
}

} // namespace SwiftUI
