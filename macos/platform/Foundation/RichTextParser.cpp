#include "RichTextParser.h"

#include "RichTextCodePage.h"
#include "RichTextKeywords.h"
#include "RichTextScan.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace Foundation::RichTextParser {

namespace {

using RichTextKeywords::Action;

constexpr std::int64_t parameterLimit = 1'000'000'000;
// Readers honour longer fallbacks poorly; a larger count is a broken document, not a reason to
// skip text without end.
constexpr std::int64_t maxUnicodeSkip = 255;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Group {
    std::int64_t unicodeSkip = 1;
    // The group's text is no part of the document.
    bool skipping = false;
    // An RTFD attachment: U+FFFC when the group closes.
    bool attachment = false;
    // The group began with "\*": the next control word decides whether it is read.
    bool starred = false;
    // The next character is an attachment's placeholder and is dropped.
    bool dropNext = false;
};

class Parser {
public:
    explicit Parser(std::string_view input)
        : m_input(input),
          m_decoder(std::make_unique<RichTextCodePage::Decoder>(RichTextCodePage::windowsLatin1)) {
        m_output.reserve(input.size());
    }

    std::optional<std::string> run() {
        if (!m_input.starts_with("{\\rtf"))
            return std::nullopt;
        while (m_at < m_input.size()) {
            const char c = m_input[m_at];
            if (c == '{') {
                ++m_at;
                if (!openGroup())
                    return std::nullopt;
            } else if (c == '}') {
                ++m_at;
                if (!closeGroup())
                    break;
            } else if (c == '\\') {
                ++m_at;
                controlSequence();
            } else if (c == '\r' || c == '\n' || c == '\0') {
                ++m_at;
            } else {
                textRun();
            }
        }
        endCharacter();
        return std::move(m_output);
    }

private:
    Group& top() { return m_groups.back(); }
    bool skipping() const { return m_groups.empty() || m_groups.back().skipping; }

    bool openGroup() {
        endCharacter();
        if (m_groups.size() >= maxDepth)
            return false;
        Group group = m_groups.empty() ? Group{} : top();
        group.attachment = group.starred = group.dropNext = false;
        m_groups.push_back(group);
        m_fallbackLeft = 0;
        return true;
    }

    // False once the outermost group has closed: the document ends there.
    bool closeGroup() {
        endCharacter();
        m_fallbackLeft = 0;
        if (m_groups.empty())
            return false;
        const bool attachment = top().attachment;
        m_groups.pop_back();
        if (m_groups.empty())
            return false;
        if (attachment && !skipping()) {
            appendCharacter("\uFFFC");
            top().dropNext = true;
        } else {
            top().dropNext = false;
        }
        return true;
    }

    // Plain bytes up to the next special one, or one byte above ASCII.
    void textRun() {
        const auto byte = static_cast<unsigned char>(m_input[m_at]);
        if (byte >= 0x80) {
            ++m_at;
            codePageByte(byte);
            return;
        }
        // A double-byte character's second byte may be plain ASCII.
        if (m_decoder->hasPartial() && !skipping() && m_fallbackLeft == 0) {
            ++m_at;
            m_decoder->feed(byte, m_output);
            return;
        }
        const std::size_t end = RichTextScan::plainRunEnd(m_input, m_at);
        std::string_view run = m_input.substr(m_at, end - m_at);
        m_at = end;
        if (skipping())
            return;
        const auto fallback = static_cast<std::size_t>(
            std::min<std::int64_t>(m_fallbackLeft, static_cast<std::int64_t>(run.size())));
        run.remove_prefix(fallback);
        m_fallbackLeft -= static_cast<std::int64_t>(fallback);
        if (run.empty())
            return;
        endCharacter();
        if (takeDropped())
            run.remove_prefix(1);
        m_output.append(run);
    }

    void controlSequence() {
        if (m_at >= m_input.size())
            return;
        const char c = m_input[m_at];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_at;
        if (c == '\'') {
            const int high = m_at < m_input.size() ? Unicode::hexValue(m_input[m_at]) : -1;
            const int low = m_at + 1 < m_input.size() ? Unicode::hexValue(m_input[m_at + 1]) : -1;
            if (high < 0 || low < 0)
                return;
            m_at += 2;
            codePageByte(static_cast<unsigned char>(high * 16 + low));
            return;
        }
        if (c == '*') {
            if (!m_groups.empty())
                top().starred = true;
            return;
        }
        if (skipping() || consumeFallback())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(std::string_view(&c, 1));
            break;
        case '~':
            character("\u00A0");
            break;
        case '_':
            character("\u2011");
            break;
        case '\n':
        case '\r':
            character("\n");
            break;
        case '\t':
            character("\t");
            break;
        default:
            break;
        }
    }

    void controlWord() {
        const std::size_t start = m_at;
        while (m_at < m_input.size() && isLetter(m_input[m_at]))
            ++m_at;
        const std::string_view word = m_input.substr(start, m_at - start);
        std::optional<std::int64_t> parameter;
        const bool negative =
            m_at + 1 < m_input.size() && m_input[m_at] == '-' && isDigit(m_input[m_at + 1]);
        if (negative)
            ++m_at;
        if (m_at < m_input.size() && isDigit(m_input[m_at])) {
            std::int64_t value = 0;
            while (m_at < m_input.size() && isDigit(m_input[m_at])) {
                value = std::min(parameterLimit, value * 10 + (m_input[m_at] - '0'));
                ++m_at;
            }
            parameter = negative ? -value : value;
        }
        if (m_at < m_input.size() && m_input[m_at] == ' ')
            ++m_at;

        const RichTextKeywords::Keyword& keyword = RichTextKeywords::find(word);
        if (keyword.action == Action::Binary) {
            const auto length =
                static_cast<std::size_t>(std::max<std::int64_t>(0, parameter.value_or(0)));
            m_at += std::min(length, m_input.size() - m_at);
            consumeFallback();
            return;
        }
        if (m_groups.empty())
            return;
        if (top().starred) {
            top().starred = false;
            if (!keyword.readWhenStarred)
                top().skipping = true;
        }
        if (skipping() || consumeFallback())
            return;
        switch (keyword.action) {
        case Action::Text:
            character(keyword.text);
            break;
        case Action::Destination:
            top().skipping = true;
            break;
        case Action::Picture:
            character("\uFFFC");
            top().skipping = true;
            break;
        case Action::Attachment:
            top().attachment = true;
            top().skipping = true;
            break;
        case Action::Unicode:
            unicodeUnit(parameter.value_or(0));
            m_fallbackLeft = top().unicodeSkip;
            break;
        case Action::UnicodeSkip:
            top().unicodeSkip = std::clamp<std::int64_t>(parameter.value_or(1), 0, maxUnicodeSkip);
            break;
        case Action::CodePage:
            endCharacter();
            m_decoder = std::make_unique<RichTextCodePage::Decoder>(
                static_cast<int>(keyword.codePage ? keyword.codePage : parameter.value_or(0)));
            break;
        case Action::Binary:
        case Action::Ignore:
            break;
        }
    }

    // True when the token just read is one of the characters a `\u` stands for.
    bool consumeFallback() {
        if (m_fallbackLeft <= 0)
            return false;
        --m_fallbackLeft;
        return true;
    }

    void codePageByte(unsigned char byte) {
        if (skipping() || consumeFallback())
            return;
        if (m_highSurrogate)
            endCharacter();
        if (!m_decoder->hasPartial() && takeDropped())
            return;
        m_decoder->feed(byte, m_output);
    }

    // `value` is a UTF-16 unit, written signed as the format asks or unsigned as some writers do;
    // a value that is neither stands for no character and reads as U+FFFD.
    void unicodeUnit(std::int64_t value) {
        const bool inRange = value >= std::numeric_limits<std::int16_t>::min() &&
                             value <= std::numeric_limits<std::uint16_t>::max();
        const char32_t unit = inRange ? static_cast<std::uint16_t>(value) : U'\uFFFD';
        if (m_highSurrogate && Unicode::isLowSurrogate(unit)) {
            Unicode::appendUTF8(m_output, Unicode::joinSurrogates(m_highSurrogate, unit));
            m_highSurrogate = 0;
            return;
        }
        endCharacter();
        if (takeDropped())
            return;
        if (Unicode::isHighSurrogate(unit)) {
            m_highSurrogate = unit;
            return;
        }
        if (unit == 0)
            return;
        Unicode::appendUTF8(m_output, Unicode::isLowSurrogate(unit) ? U'\uFFFD' : unit);
    }

    // Puts one character of text in, unless it is an attachment's placeholder.
    void character(std::string_view text) {
        endCharacter();
        if (!takeDropped())
            m_output.append(text);
    }

    void appendCharacter(std::string_view text) {
        endCharacter();
        m_output.append(text);
    }

    bool takeDropped() {
        if (m_groups.empty() || !top().dropNext)
            return false;
        top().dropNext = false;
        return true;
    }

    // Ends what a character in progress lacks: a double-byte character's second byte, a high
    // surrogate's low one. Both read as U+FFFD.
    void endCharacter() {
        if (m_decoder->isMultiByte())
            m_decoder->finish(m_output);
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            m_output.append("\uFFFD");
        }
    }

    std::string_view m_input;
    std::size_t m_at = 0;
    std::vector<Group> m_groups;
    std::unique_ptr<RichTextCodePage::Decoder> m_decoder;
    std::string m_output;
    // Fallback characters of the last `\u` still to skip.
    std::int64_t m_fallbackLeft = 0;
    char32_t m_highSurrogate = 0;
};

} // namespace

std::optional<std::string> plainString(std::string_view rtf) {
    return Parser(rtf).run();
}

} // namespace Foundation::RichTextParser
