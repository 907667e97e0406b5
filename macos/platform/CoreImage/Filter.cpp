#include "Filter.h"

#include <memory>
#include <qrencode.h>

namespace CoreImage {

namespace {

constexpr int margin = 1;

std::optional<QRecLevel> correctionLevel(std::string_view word) {
    if (word == "L")
        return QR_ECLEVEL_L;
    if (word == "M")
        return QR_ECLEVEL_M;
    if (word == "Q")
        return QR_ECLEVEL_Q;
    if (word == "H")
        return QR_ECLEVEL_H;
    return std::nullopt;
}

} // namespace

std::optional<Filter> Filter::named(std::string_view name) {
    if (name != "CIQRCodeGenerator")
        return std::nullopt;
    return Filter();
}

void Filter::setValue(std::string_view key, FilterValue value) {
    m_values.insert_or_assign(std::string(key), std::move(value));
}

std::optional<Image> Filter::outputImage() const {
    const auto message = m_values.find("inputMessage");
    if (message == m_values.end())
        return std::nullopt;
    const auto* bytes = std::get_if<Foundation::Data>(&message->second);
    if (!bytes)
        return std::nullopt;
    std::string levelWord = "M";
    if (const auto level = m_values.find("inputCorrectionLevel"); level != m_values.end()) {
        const auto* word = std::get_if<std::string>(&level->second);
        if (!word)
            return std::nullopt;
        levelWord = *word;
    }
    const auto level = correctionLevel(levelWord);
    if (!level)
        return std::nullopt;

    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(bytes->size()), bytes->data(), 0, *level), QRcode_free);
    if (!code)
        return std::nullopt;
    const int modules = code->width;
    const int side = modules + 2 * margin;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side, 255);
    for (int y = 0; y < modules; ++y) {
        for (int x = 0; x < modules; ++x) {
            // The lowest bit of each module says whether it is dark.
            if (code->data[y * modules + x] & 1)
                pixels[static_cast<std::size_t>(y + margin) * side + (x + margin)] = 0;
        }
    }
    return Image(side, side, std::move(pixels));
}

} // namespace CoreImage
