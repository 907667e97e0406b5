// Images: named images from the application's resources, system symbols, and
// pictures made by Core Image.
//
// `named` finds "<name>.png" in the main bundle's Contents/Resources (the
// loader the declarative views use too) and gives a new image object each
// time (its pixels shared with every other image of that name), so setting
// one image's accessibility description touches no other. A system symbol is
// known by its name only: it has no size of its own to draw at. An image of a Core Image picture is
// drawn at the picture's extent, its pixels resampled to the nearest one, which keeps a QR code's
// modules sharp. Images are drawn only when written out as PNG.
#pragma once

#include <AppKit/Geometry.h>
#include <CoreImage/Image.h>
#include <Graphics/Image.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace AppKit {

class Image {
public:
    enum class Kind { Resource, Symbol, Picture };

    // Nothing when the bundle has no such PNG or it does not read.
    static std::shared_ptr<Image> named(std::string_view name);
    static std::shared_ptr<Image> systemSymbol(std::string name,
                                               std::optional<std::string> accessibilityDescription);
    static std::shared_ptr<Image> withPicture(CoreImage::Image picture);

    Kind kind() const { return m_kind; }
    // The resource's or the symbol's name; empty for a picture.
    const std::string& name() const { return m_name; }
    Size size() const { return m_size; }

    const std::optional<std::string>& accessibilityDescription() const {
        return m_accessibilityDescription;
    }
    void setAccessibilityDescription(std::optional<std::string> description) {
        m_accessibilityDescription = std::move(description);
    }

    // The Core Image picture of a picture image.
    const std::optional<CoreImage::Image>& picture() const { return m_picture; }

    // Draws the image into a PNG file of its size; false for a symbol or when writing fails.
    bool writePNG(const std::filesystem::path& path) const;

private:
    Image(Kind kind, std::string name, Size size)
        : m_kind(kind), m_name(std::move(name)), m_size(size) {}

    Kind m_kind;
    std::string m_name;
    Size m_size;
    std::optional<std::string> m_accessibilityDescription;
    std::shared_ptr<const Graphics::Image> m_resource;
    std::optional<CoreImage::Image> m_picture;
};

} // namespace AppKit
