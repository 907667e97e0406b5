#include "KeyPress.h"

#include <Foundation/Unicode.h>
#include <Graphics/Cells.h>
#include <charconv>
#include <optional>

namespace AppKit {

namespace {

using Key = KeyPress::Key;

constexpr std::string_view pasteEnd = "\x1b[201~";
// A sequence still unfinished after this many bytes is no sequence a terminal sends.
constexpr std::size_t maxSequence = 32;

struct Decoded {
    // Bytes used; 0 when the input ends before the key does.
    std::size_t used = 0;
    std::optional<KeyPress> press;
    bool startsPaste = false;
};

KeyPress key(Key which) {
    return {which, {}, 0};
}

KeyPress function(int number) {
    return {Key::Function, {}, number};
}

// The first parameter of a CSI sequence; 1 when it has none.
int firstParameter(std::string_view parameters) {
    int value = 1;
    const auto end = parameters.substr(0, parameters.find(';'));
    std::from_chars(end.data(), end.data() + end.size(), value);
    return value;
}

std::optional<KeyPress> tildeKey(int number) {
    switch (number) {
    case 1:
    case 7:
        return key(Key::Home);
    case 4:
    case 8:
        return key(Key::End);
    case 3:
        return key(Key::Delete);
    case 5:
        return key(Key::PageUp);
    case 6:
        return key(Key::PageDown);
    }
    // F1–F5 are 11–15, F6–F10 17–21, F11 and F12 23 and 24.
    if (number >= 11 && number <= 15)
        return function(number - 10);
    if (number >= 17 && number <= 21)
        return function(number - 11);
    if (number == 23 || number == 24)
        return function(number - 12);
    return std::nullopt;
}

// The key a final byte names in CSI (with modifiers as parameters, which are ignored) and SS3.
std::optional<KeyPress> letterKey(char final) {
    switch (final) {
    case 'A':
        return key(Key::Up);
    case 'B':
        return key(Key::Down);
    case 'C':
        return key(Key::Right);
    case 'D':
        return key(Key::Left);
    case 'H':
        return key(Key::Home);
    case 'F':
        return key(Key::End);
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
        return function(final - 'P' + 1);
    }
    return std::nullopt;
}

Decoded controlSequence(std::string_view input) {
    // The Linux console's F1–F5: ESC [ [ A … E.
    if (input.size() > 2 && input[2] == '[') {
        if (input.size() < 4)
            return {};
        if (input[3] >= 'A' && input[3] <= 'E')
            return {4, function(input[3] - 'A' + 1)};
        return {4, std::nullopt};
    }
    std::size_t at = 2;
    while (at < input.size() && input[at] >= 0x30 && input[at] <= 0x3F)
        ++at;
    while (at < input.size() && input[at] >= 0x20 && input[at] <= 0x2F)
        ++at;
    if (at == input.size())
        return {input.size() > maxSequence ? input.size() : 0, std::nullopt};
    const char final = input[at];
    if (final < 0x40 || final > 0x7E)
        return {at, std::nullopt};
    const std::string_view parameters = input.substr(2, at - 2);
    Decoded decoded{at + 1, std::nullopt};
    if (final == '~') {
        const int number = firstParameter(parameters);
        decoded.startsPaste = number == 200;
        decoded.press = tildeKey(number);
    } else if (final == 'Z') {
        decoded.press = key(Key::BackTab);
    } else {
        decoded.press = letterKey(final);
    }
    return decoded;
}

Decoded escape(std::string_view input) {
    // Alone at the end of what was read, it waits for the rest of a sequence; `expire` makes it
    // the Escape key.
    if (input.size() == 1)
        return {};
    if (input[1] == '[')
        return input.size() == 2 ? Decoded{} : controlSequence(input);
    if (input[1] == 'O') {
        if (input.size() == 2)
            return {};
        return {3, input[2] == 'M' ? key(Key::Return) : letterKey(input[2])};
    }
    // Followed by anything else, it was pressed before that key.
    return {1, key(Key::Escape)};
}

Decoded character(std::string_view input) {
    const auto lead = static_cast<unsigned char>(input[0]);
    // A continuation byte with no lead byte before it.
    if (lead >= 0x80 && lead < 0xC0)
        return {1, std::nullopt};
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (input.size() < length) {
        for (std::size_t i = 1; i < input.size(); ++i)
            if ((static_cast<unsigned char>(input[i]) & 0xC0) != 0x80)
                return {1, std::nullopt};
        return {};
    }
    const std::string_view bytes = input.substr(0, length);
    const std::u32string scalars = Foundation::Unicode::scalars(bytes);
    if (scalars.size() != 1 || Foundation::Unicode::utf8(scalars) != bytes ||
        Graphics::isControlScalar(scalars[0]))
        return {1, std::nullopt};
    return {length, KeyPress{Key::Character, std::string(bytes), 0}};
}

Decoded decodeOne(std::string_view input) {
    const auto byte = static_cast<unsigned char>(input[0]);
    if (byte == 0x1b)
        return escape(input);
    if (byte == '\r')
        return {input.size() > 1 && input[1] == '\n' ? 2u : 1u, key(Key::Return)};
    if (byte == '\n')
        return {1, key(Key::Return)};
    if (byte == '\t')
        return {1, key(Key::Tab)};
    if (byte == 0x7f || byte == 0x08)
        return {1, key(Key::Backspace)};
    if (byte >= 0x01 && byte <= 0x1a)
        return {1, KeyPress{Key::Control, std::string(1, static_cast<char>('a' + byte - 1)), 0}};
    if (byte == 0x1c)
        return {1, KeyPress{Key::Control, "\\", 0}};
    if (byte < 0x20)
        return {1, std::nullopt};
    return character(input);
}

// Pasted line breaks arrive as the Return key sends them; text takes line feeds.
std::string pastedText(std::string_view pasted) {
    std::string text;
    for (std::size_t i = 0; i < pasted.size(); ++i) {
        if (pasted[i] != '\r') {
            text += pasted[i];
        } else if (i + 1 >= pasted.size() || pasted[i + 1] != '\n') {
            text += '\n';
        }
    }
    return text;
}

// Drops a character that the end of `text` leaves unfinished.
void dropUnfinishedCharacter(std::string& text) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(text.size(), 3); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (length > back)
            text.resize(text.size() - back);
        return;
    }
}

// How many bytes at the end of `text` could begin `marker`.
std::size_t markerStart(std::string_view text, std::string_view marker) {
    for (std::size_t length = std::min(text.size(), marker.size() - 1); length > 0; --length)
        if (text.substr(text.size() - length) == marker.substr(0, length))
            return length;
    return 0;
}

} // namespace

std::vector<KeyPress> KeyDecoder::feed(std::string_view bytes, double now) {
    std::vector<KeyPress> presses;
    std::string input = std::move(m_pending);
    m_pending.clear();
    input += bytes;
    std::string_view rest = input;
    while (!rest.empty()) {
        if (m_pasting) {
            const std::size_t end = rest.find(pasteEnd);
            const std::size_t kept =
                end == std::string_view::npos ? rest.size() - markerStart(rest, pasteEnd) : end;
            const std::size_t room = m_pasteCut ? 0 : pasteLimit - m_pasted.size();
            m_pasted += rest.substr(0, std::min(kept, room));
            if (kept > room && !m_pasteCut) {
                dropUnfinishedCharacter(m_pasted);
                m_pasteCut = true;
            }
            if (end == std::string_view::npos) {
                m_pending = rest.substr(kept);
                break;
            }
            rest.remove_prefix(end + pasteEnd.size());
            endPaste(presses);
            continue;
        }
        const Decoded decoded = decodeOne(rest);
        if (decoded.used == 0) {
            m_pending = rest;
            break;
        }
        if (decoded.press)
            presses.push_back(*decoded.press);
        m_pasting = decoded.startsPaste;
        rest.remove_prefix(decoded.used);
    }
    if (!bytes.empty())
        m_touched = now;
    return presses;
}

std::optional<double> KeyDecoder::deadline() const {
    if (m_pasting)
        return m_touched + pasteTimeout;
    if (m_pending == "\x1b")
        return m_touched + escapeTimeout;
    return std::nullopt;
}

std::vector<KeyPress> KeyDecoder::expire(double now) {
    std::vector<KeyPress> presses;
    const auto due = deadline();
    if (!due || now < *due)
        return presses;
    if (!m_pasting) {
        m_pending.clear();
        presses.push_back(key(Key::Escape));
        return presses;
    }
    // What waited for the rest of an end mark was pasted too.
    if (!m_pasteCut)
        m_pasted += std::string_view(m_pending).substr(0, pasteLimit - m_pasted.size());
    m_pending.clear();
    endPaste(presses);
    return presses;
}

void KeyDecoder::endPaste(std::vector<KeyPress>& presses) {
    m_pasting = false;
    m_pasteCut = false;
    if (!m_pasted.empty())
        presses.push_back({Key::Paste, pastedText(m_pasted), 0});
    m_pasted.clear();
}

} // namespace AppKit
