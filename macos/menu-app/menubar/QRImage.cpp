#include "menubar/QRImage.h"

#include <CoreImage/Filter.h>

std::shared_ptr<AppKit::Image> qrImage(std::string_view text, double side) {
    auto filter = CoreImage::Filter::named("CIQRCodeGenerator");
    if (!filter)
        return nullptr;
    filter->setValue("inputMessage", Foundation::dataFrom(text));
    filter->setValue("inputCorrectionLevel", std::string("M"));
    const auto output = filter->outputImage();
    if (!output)
        return nullptr;
    const double scale = side / output->width();
    return AppKit::Image::withPicture(output->transformed(scale, scale));
}
