// Bytes of a rich-text document's code page, decoded to UTF-8.
//
// RTF writes characters outside ASCII as bytes of the document's code page
// (`\ansicpg`, or the character set words `\ansi`, `\mac`, `\pc`, `\pca`).
// A decoder turns those bytes into UTF-8 through ICU's converters. A
// single-byte code page decodes through a 256-entry table; a multi-byte one
// (the East Asian double-byte pages, UTF-8) keeps a started character until
// its remaining bytes arrive. An unknown code page reads as Windows-1252.
#pragma once

#include <array>
#include <memory>
#include <string>

struct UConverter;

namespace Foundation::RichTextCodePage {

constexpr int windowsLatin1 = 1252;

class Decoder {
public:
    explicit Decoder(int codePage);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Appends what `byte` completes to `out`.
    void feed(unsigned char byte, std::string& out);
    // Whether characters may take more than one byte.
    bool isMultiByte() const { return m_converter != nullptr; }
    // Whether a multi-byte character has started and waits for more bytes.
    bool hasPartial() const;
    // Ends a started character: it reads as U+FFFD.
    void finish(std::string& out);

private:
    struct ConverterClose {
        void operator()(UConverter* converter) const;
    };

    // For a single-byte code page, each byte's UTF-8; otherwise empty and `m_converter` is used.
    std::array<std::string, 256> m_table;
    std::unique_ptr<UConverter, ConverterClose> m_converter;
};

} // namespace Foundation::RichTextCodePage
