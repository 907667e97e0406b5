#include "UTType.h"

#include <Foundation/PathText.h>
#include <Foundation/Unicode.h>
#include <array>
#include <utility>

namespace UniformTypeIdentifiers {

namespace {

// Each known type with the one type directly above it ("" for the root).
constexpr std::array<std::pair<std::string_view, std::string_view>, 13> hierarchy{{
    {"public.item", ""},
    {"public.data", "public.item"},
    {"public.text", "public.data"},
    {"public.plain-text", "public.text"},
    {"public.utf8-plain-text", "public.plain-text"},
    {"public.utf16-plain-text", "public.plain-text"},
    {"public.utf16-external-plain-text", "public.plain-text"},
    {"net.daringfireball.markdown", "public.plain-text"},
    {"public.rtf", "public.text"},
    {"com.apple.rtfd", "public.item"},
    {"com.apple.flat-rtfd", "public.data"},
    {"public.url", "public.data"},
    {"public.file-url", "public.url"},
}};

std::optional<std::string_view> parent(std::string_view identifier) {
    for (const auto& [type, above] : hierarchy) {
        if (type == identifier) {
            return above;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<UTType> UTType::make(std::string_view identifier) {
    if (!parent(identifier)) {
        return std::nullopt;
    }
    return UTType(std::string(identifier));
}

UTType UTType::forFileName(std::string_view name) {
    const std::string extension =
        Foundation::Unicode::lowercased(Foundation::PathText::pathExtension(name));
    if (extension == "md" || extension == "markdown") {
        return known("net.daringfireball.markdown");
    }
    if (extension == "txt" || extension == "text") {
        return plainText();
    }
    if (extension == "rtf") {
        return known("public.rtf");
    }
    if (extension == "rtfd") {
        return known("com.apple.rtfd");
    }
    return data();
}

bool UTType::conforms(const UTType& other) const {
    for (std::optional<std::string_view> type = m_identifier; type && !type->empty();
         type = parent(*type)) {
        if (*type == other.m_identifier) {
            return true;
        }
    }
    return false;
}

} // namespace UniformTypeIdentifiers
