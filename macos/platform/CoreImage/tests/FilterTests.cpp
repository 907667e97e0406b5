#include <CoreImage/Filter.h>
#include <gtest/gtest.h>

using namespace CoreImage;

namespace {

std::optional<Image> qrCode(std::string_view text, std::optional<std::string> level = {}) {
    auto filter = Filter::named("CIQRCodeGenerator");
    if (!filter)
        return std::nullopt;
    filter->setValue("inputMessage", Foundation::dataFrom(text));
    if (level)
        filter->setValue("inputCorrectionLevel", *level);
    return filter->outputImage();
}

bool dark(const Image& image, int x, int y) {
    return image.pixels()[static_cast<std::size_t>(y) * image.pixelWidth() + x] == 0;
}

} // namespace

TEST(QRCodeGenerator, DrawsTheSymbolAtOnePixelPerModuleWithAQuietMargin) {
    EXPECT_FALSE(Filter::named("CIGaussianBlur"));
    const auto image = qrCode("hello");
    ASSERT_TRUE(image);
    // The smallest symbol is 21 modules wide; the margin adds one on each side.
    EXPECT_EQ(image->pixelWidth(), 23);
    EXPECT_EQ(image->pixelHeight(), 23);
    EXPECT_FALSE(dark(*image, 0, 0));
    // The finder pattern's corner, and its white ring one module in.
    EXPECT_TRUE(dark(*image, 1, 1));
    EXPECT_TRUE(dark(*image, 7, 7));
    EXPECT_FALSE(dark(*image, 2, 2));
    EXPECT_TRUE(dark(*image, 21, 1));
    EXPECT_TRUE(dark(*image, 1, 21));
    EXPECT_FALSE(dark(*image, 21, 21));
}

TEST(QRCodeGenerator, CorrectionLevelDefaultsToMediumAndDecidesTheSymbolsSize) {
    const std::string text(60, 'k');
    const auto medium = qrCode(text);
    ASSERT_TRUE(medium);
    EXPECT_EQ(medium->pixels(), qrCode(text, "M")->pixels());
    EXPECT_LT(qrCode(text, "L")->pixelWidth(), qrCode(text, "H")->pixelWidth());
    EXPECT_FALSE(qrCode(text, "X"));
}

TEST(QRCodeGenerator, GivesNothingWithoutAMessageOrForOneTooLong) {
    auto filter = Filter::named("CIQRCodeGenerator");
    EXPECT_FALSE(filter->outputImage());
    filter->setValue("inputMessage", std::string("text, not bytes"));
    EXPECT_FALSE(filter->outputImage());
    // Medium correction holds at most 2,331 bytes.
    EXPECT_TRUE(qrCode(std::string(2331, '\xAB')));
    EXPECT_FALSE(qrCode(std::string(2332, '\xAB')));
}

TEST(CoreImageImage, TransformingScalesTheExtentNotThePixels) {
    const Image image(2, 1, {0, 255});
    const Image scaled = image.transformed(10, 2.5).transformed(2, 1);
    EXPECT_EQ(scaled.width(), 40);
    EXPECT_EQ(scaled.height(), 2.5);
    EXPECT_EQ(scaled.pixelWidth(), 2);
    EXPECT_EQ(scaled.pixels(), image.pixels());
    EXPECT_THROW(Image(2, 2, {0}), std::invalid_argument);
}
