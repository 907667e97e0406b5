// Core Image filters by name, as far as this system uses them.
//
// The one filter is "CIQRCodeGenerator": its "inputMessage" is the bytes to
// encode and its "inputCorrectionLevel" one of "L", "M", "Q" or "H" (M when
// not set). Its output is the QR symbol at one pixel per module, black on
// white, with a one-module white margin; a message too long for any symbol,
// or an unknown correction level, gives no output. Any other name gives no
// filter.
#pragma once

#include <CoreImage/Image.h>
#include <Foundation/Data.h>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace CoreImage {

using FilterValue = std::variant<Foundation::Data, std::string>;

class Filter {
public:
    static std::optional<Filter> named(std::string_view name);

    void setValue(std::string_view key, FilterValue value);
    std::optional<Image> outputImage() const;

private:
    Filter() = default;
    std::map<std::string, FilterValue, std::less<>> m_values;
};

} // namespace CoreImage
