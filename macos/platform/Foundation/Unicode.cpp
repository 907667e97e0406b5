#include "Unicode.h"

#include <Foundation/Data.h>
#include <algorithm>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>

namespace Foundation::Unicode {

namespace {

// Decodes one scalar at `at` of valid UTF-8 (the caller made it valid) and advances past it.
char32_t nextScalar(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t scalar = length == 1   ? lead
                      : length == 2 ? lead & 0x1F
                      : length == 3 ? lead & 0x0F
                                    : lead & 0x07;
    for (int i = 1; i < length; ++i)
        scalar = (scalar << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    at += length;
    return scalar;
}

template <class Visit> void forEachScalar(std::string_view text, Visit visit) {
    if (!isValidUTF8(text)) {
        const std::string repaired = decodeUTF8Lossy(text);
        forEachScalar(repaired, visit);
        return;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = at;
        const char32_t scalar = nextScalar(text, at);
        visit(scalar, start, at);
    }
}

// ICU's character break rules over UTF-8 in place. The iterator is made once per thread, since
// making one costs far more than using it; a walk inside another (a visitor that takes its
// character apart again) gets a copy of its own, so the outer walk keeps its place.
class CharacterBreaks {
public:
    explicit CharacterBreaks(std::string_view text) {
        UErrorCode status = U_ZERO_ERROR;
        m_text = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
        icu::BreakIterator* iterator = shared();
        if (iterator && sharedInUse()) {
            m_own.reset(iterator->clone());
            iterator = m_own.get();
        } else if (iterator) {
            sharedInUse() = true;
            m_usesShared = true;
        }
        if (iterator && U_SUCCESS(status))
            iterator->setText(m_text, status);
        m_iterator = U_SUCCESS(status) ? iterator : nullptr;
    }
    ~CharacterBreaks() {
        if (m_usesShared)
            sharedInUse() = false;
        utext_close(m_text);
    }
    CharacterBreaks(const CharacterBreaks&) = delete;
    CharacterBreaks& operator=(const CharacterBreaks&) = delete;

    // Byte offsets of every boundary after the start, in order, while `visit` returns true.
    template <class Visit> void forEachBoundary(Visit visit) {
        if (!m_iterator)
            return;
        m_iterator->first();
        for (int32_t at = m_iterator->next(); at != icu::BreakIterator::DONE;
             at = m_iterator->next()) {
            if (!visit(static_cast<std::size_t>(at)))
                return;
        }
    }

private:
    static icu::BreakIterator* shared() {
        thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::BreakIterator> made(
                icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
            return U_SUCCESS(status) ? std::move(made) : nullptr;
        }();
        return iterator.get();
    }
    static bool& sharedInUse() {
        thread_local bool inUse = false;
        return inUse;
    }

    UText* m_text = nullptr;
    icu::BreakIterator* m_iterator = nullptr;
    std::unique_ptr<icu::BreakIterator> m_own;
    bool m_usesShared = false;
};

// Visits each character of the text, invalid bytes read as U+FFFD, until `visit` returns false.
template <class Visit> void visitCharacters(std::string_view text, Visit visit) {
    const std::string repaired = isValidUTF8(text) ? std::string() : decodeUTF8Lossy(text);
    const std::string_view valid = repaired.empty() ? text : std::string_view(repaired);
    CharacterBreaks breaks(valid);
    std::size_t start = 0;
    breaks.forEachBoundary([&](std::size_t end) {
        const bool more = visit(valid.substr(start, end - start));
        start = end;
        return more;
    });
}

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

// The characters of a text, invalid bytes read as U+FFFD, as views into a copy the object keeps.
class CharacterList {
public:
    explicit CharacterList(std::string_view text)
        : m_text(isValidUTF8(text) ? std::string(text) : decodeUTF8Lossy(text)) {
        forEachCharacter(m_text, [&](std::string_view character) {
            m_characters.push_back(character);
            return true;
        });
    }
    CharacterList(const CharacterList&) = delete;
    CharacterList& operator=(const CharacterList&) = delete;

    std::size_t size() const { return m_characters.size(); }
    std::string_view operator[](std::size_t index) const { return m_characters[index]; }
    // The text from the start of character `index` to the end.
    std::string from(std::size_t index) const {
        return index == size() ? std::string()
                               : m_text.substr(m_characters[index].data() - m_text.data());
    }

private:
    std::string m_text;
    std::vector<std::string_view> m_characters;
};

// Whether the characters of `part` equal, one by one, the characters of `text` from `first`.
bool charactersMatch(const CharacterList& text, std::size_t first, const CharacterList& part) {
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (!canonicallyEquivalent(text[first + i], part[i]))
            return false;
    }
    return true;
}

} // namespace

std::u32string scalars(std::string_view text) {
    std::u32string result;
    forEachScalar(text, [&](char32_t scalar, std::size_t, std::size_t) { result += scalar; });
    return result;
}

char32_t firstScalar(std::string_view text) {
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t at = 0;
    if (length <= text.size() && isValidUTF8(text.substr(0, length)))
        return nextScalar(text, at);
    return U'\uFFFD';
}

void appendUTF8(std::string& text, char32_t scalar) {
    if (scalar < 0x80) {
        text += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        text += static_cast<char>(0xC0 | (scalar >> 6));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        text += static_cast<char>(0xE0 | (scalar >> 12));
        text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (scalar >> 18));
        text += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

std::string utf8(std::u32string_view scalars) {
    std::string text;
    for (const char32_t scalar : scalars) {
        const bool valid = scalar < 0x110000 && !isSurrogate(scalar);
        appendUTF8(text, valid ? scalar : U'\uFFFD');
    }
    return text;
}

bool isWhitespace(char32_t scalar) {
    return scalar == U'\t' || u_charType(static_cast<UChar32>(scalar)) == U_SPACE_SEPARATOR;
}

bool isNewline(char32_t scalar) {
    return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 ||
           scalar == 0x2029;
}

bool isWhitespaceOrNewline(char32_t scalar) {
    return isWhitespace(scalar) || isNewline(scalar);
}

bool isControl(char32_t scalar) {
    const auto category = u_charType(static_cast<UChar32>(scalar));
    return category == U_CONTROL_CHAR || category == U_FORMAT_CHAR;
}

bool hasWhiteSpaceProperty(char32_t scalar) {
    return u_hasBinaryProperty(static_cast<UChar32>(scalar), UCHAR_WHITE_SPACE);
}

bool isPatternSpace(char32_t scalar) {
    if (scalar == U'\t' || scalar == U'\n' || scalar == U'\f' || scalar == U'\r')
        return true;
    const auto category = u_charType(static_cast<UChar32>(scalar));
    return category == U_SPACE_SEPARATOR || category == U_LINE_SEPARATOR ||
           category == U_PARAGRAPH_SEPARATOR;
}

std::string trimmed(std::string_view text, ScalarSet set) {
    const std::string valid = isValidUTF8(text) ? std::string(text) : decodeUTF8Lossy(text);
    std::size_t first = valid.size(), last = 0;
    forEachScalar(valid, [&](char32_t scalar, std::size_t start, std::size_t end) {
        if (set(scalar))
            return;
        first = std::min(first, start);
        last = end;
    });
    return first >= last ? std::string() : valid.substr(first, last - first);
}

std::string collapsingRuns(std::string_view text, ScalarSet set) {
    std::string result;
    result.reserve(text.size());
    bool inRun = false;
    forEachScalar(text, [&](char32_t scalar, std::size_t, std::size_t) {
        if (set(scalar)) {
            if (!inRun)
                result += ' ';
            inRun = true;
            return;
        }
        inRun = false;
        appendUTF8(result, scalar);
    });
    return result;
}

std::vector<std::string> characters(std::string_view text) {
    std::vector<std::string> result;
    visitCharacters(text, [&](std::string_view character) {
        result.emplace_back(character);
        return true;
    });
    return result;
}

void forEachCharacter(std::string_view text, const std::function<bool(std::string_view)>& visit) {
    visitCharacters(text, visit);
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    visitCharacters(text, [&](std::string_view) {
        ++count;
        return true;
    });
    return count;
}

std::string characterPrefix(std::string_view text, std::size_t count) {
    std::string prefix;
    std::size_t taken = 0;
    if (count == 0)
        return prefix;
    visitCharacters(text, [&](std::string_view character) {
        prefix.append(character);
        return ++taken < count;
    });
    return prefix;
}

std::size_t utf16Length(std::string_view text) {
    std::size_t length = 0;
    forEachScalar(text, [&](char32_t scalar, std::size_t, std::size_t) {
        length += scalar >= 0x10000 ? 2 : 1;
    });
    return length;
}

std::string lowercased(std::string_view text) {
    std::string result;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toLower(icu::Locale::getRoot())
        .toUTF8String(result);
    return result;
}

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    // ASCII is its own canonical form.
    if (isASCII(a) && isASCII(b))
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status))
        return false;
    const auto normalized = [&](std::string_view text) {
        const auto piece = icu::StringPiece(text.data(), static_cast<int32_t>(text.size()));
        return nfd->normalize(icu::UnicodeString::fromUTF8(piece), status);
    };
    const icu::UnicodeString left = normalized(a);
    const icu::UnicodeString right = normalized(b);
    return U_SUCCESS(status) && left == right;
}

std::optional<std::string> afterPrefix(std::string_view text, std::string_view part) {
    // Plain ASCII on both sides of the join splits between characters, except CR LF.
    if (isASCII(text) && isASCII(part)) {
        if (!text.starts_with(part))
            return std::nullopt;
        if (!part.empty() && part.back() == '\r' && text.substr(part.size()).starts_with('\n'))
            return std::nullopt;
        return std::string(text.substr(part.size()));
    }
    const CharacterList textCharacters(text), partCharacters(part);
    if (partCharacters.size() > textCharacters.size() ||
        !charactersMatch(textCharacters, 0, partCharacters))
        return std::nullopt;
    return textCharacters.from(partCharacters.size());
}

bool hasPrefix(std::string_view text, std::string_view part) {
    return afterPrefix(text, part).has_value();
}

bool hasSuffix(std::string_view text, std::string_view part) {
    if (isASCII(text) && isASCII(part)) {
        if (!text.ends_with(part))
            return false;
        const std::size_t join = text.size() - part.size();
        return part.empty() || join == 0 || !(text[join - 1] == '\r' && part.front() == '\n');
    }
    const CharacterList textCharacters(text), partCharacters(part);
    return partCharacters.size() <= textCharacters.size() &&
           charactersMatch(textCharacters, textCharacters.size() - partCharacters.size(),
                           partCharacters);
}

} // namespace Foundation::Unicode
