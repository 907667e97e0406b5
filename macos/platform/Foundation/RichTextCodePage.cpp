#include "RichTextCodePage.h"

#include <Foundation/Unicode.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace Foundation::RichTextCodePage {

namespace {

// Every byte sequence a page cannot decode, a cut-off one included, reads as U+FFFD (some pages
// would otherwise give their own substitute, U+001A).
void replacementCharacter(const void*, UConverterToUnicodeArgs* arguments, const char*, int32_t,
                          UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR)
        return;
    static const UChar replacement = 0xFFFD;
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(arguments, &replacement, 1, 0, status);
}

UConverter* opened(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status))
        return nullptr;
    ucnv_setToUCallBack(converter, replacementCharacter, nullptr, nullptr, nullptr, &status);
    return converter;
}

UConverter* open(int codePage) {
    if (codePage == 65001)
        return opened("UTF-8");
    for (const char* prefix : {"windows-", "ibm-"}) {
        if (UConverter* converter = opened(prefix + std::to_string(codePage)))
            return converter;
    }
    return nullptr;
}

void appendUTF16(std::string& out, const UChar* units, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char32_t scalar = units[i];
        if (Unicode::isHighSurrogate(scalar) && i + 1 < count &&
            Unicode::isLowSurrogate(units[i + 1])) {
            scalar = Unicode::joinSurrogates(scalar, units[i + 1]);
            ++i;
        } else if (Unicode::isSurrogate(scalar)) {
            scalar = U'\uFFFD';
        }
        Unicode::appendUTF8(out, scalar);
    }
}

// Converts `count` bytes (zero with `flush` to end a started character) and appends the result.
void convert(UConverter* converter, const char* bytes, std::size_t count, bool flush,
             std::string& out) {
    UChar units[16];
    const char* source = bytes;
    const char* end = bytes + count;
    for (;;) {
        UChar* target = units;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, units + 16, &source, end, nullptr, flush, &status);
        appendUTF16(out, units, static_cast<std::size_t>(target - units));
        if (status != U_BUFFER_OVERFLOW_ERROR)
            return;
    }
}

} // namespace

void Decoder::ConverterClose::operator()(UConverter* converter) const {
    ucnv_close(converter);
}

Decoder::Decoder(int codePage) {
    UConverter* converter = open(codePage);
    if (!converter)
        converter = open(windowsLatin1);
    m_converter.reset(converter);
    if (!converter || ucnv_getMaxCharSize(converter) > 1)
        return;
    for (int byte = 0; byte < 256; ++byte) {
        const char raw = static_cast<char>(byte);
        ucnv_resetToUnicode(converter);
        convert(converter, &raw, 1, true, m_table[static_cast<std::size_t>(byte)]);
    }
    m_converter.reset();
}

Decoder::~Decoder() = default;

void Decoder::feed(unsigned char byte, std::string& out) {
    if (!m_converter) {
        out += m_table[byte];
        return;
    }
    const char raw = static_cast<char>(byte);
    convert(m_converter.get(), &raw, 1, false, out);
}

bool Decoder::hasPartial() const {
    if (!m_converter)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    return ucnv_toUCountPending(m_converter.get(), &status) > 0 && U_SUCCESS(status);
}

void Decoder::finish(std::string& out) {
    if (hasPartial())
        convert(m_converter.get(), nullptr, 0, true, out);
}

} // namespace Foundation::RichTextCodePage
