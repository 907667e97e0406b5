// Uniform type identifiers: the names of kinds of data, and which kinds a
// kind belongs to.
//
// A type is known by its identifier ("public.plain-text"). Known types form a
// hierarchy: a type conforms to itself and to every type above it, so
// "net.daringfireball.markdown" conforms to "public.plain-text" and so to
// "public.text". Only the types the system deals in are known; others have no
// type. `forFileName` is the type a file manager gives a file by its name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace UniformTypeIdentifiers {

class UTType {
public:
    // The known type of `identifier`; nothing for an unknown one.
    static std::optional<UTType> make(std::string_view identifier);
    static UTType
    forFileName(std::string_view name); // by extension: md, txt, rtf, rtfd; else public.data

    static UTType plainText() { return known("public.plain-text"); }
    static UTType text() { return known("public.text"); }
    static UTType url() { return known("public.url"); }
    static UTType fileURL() { return known("public.file-url"); }
    static UTType data() { return known("public.data"); }

    const std::string& identifier() const { return m_identifier; }
    bool conforms(const UTType& other) const;

    bool operator==(const UTType&) const = default;

private:
    explicit UTType(std::string identifier) : m_identifier(std::move(identifier)) {}
    static UTType known(std::string_view identifier) { return *make(identifier); }

    std::string m_identifier;
};

} // namespace UniformTypeIdentifiers
