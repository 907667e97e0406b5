#include <Foundation/FileIO.h>
#include <Graphics/Canvas.h>
#include <Graphics/Image.h>
#include <Graphics/Symbols.h>
#include <Graphics/TextLayout.h>
#include <Testing/Testing.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Graphics;

namespace {

// The colour of one pixel of a decoded PNG, as 0–255 channels (premultiplied alpha undone).
std::array<int, 4> pixel(const Foundation::Data& png, int x, int y) {
    auto image = Image::fromPNG(png);
    EXPECT_TRUE(image);
    Canvas canvas(image->size());
    image->draw(canvas.context(), {{0, 0}, image->size()});
    cairo_surface_t* surface = cairo_get_target(canvas.context());
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    uint32_t argb = reinterpret_cast<const uint32_t*>(row)[x];
    int a = int(argb >> 24);
    auto channel = [a](uint32_t value) { return a ? int(value * 255 / a) : 0; };
    return {channel((argb >> 16) & 0xff), channel((argb >> 8) & 0xff), channel(argb & 0xff), a};
}

} // namespace

TEST(Canvas, WritesAPNGOfItsSizeThatReadsBackWithWhatWasDrawn) {
    Canvas canvas(Size{40.2, 30});
    EXPECT_EQ(canvas.width(), 41);
    EXPECT_EQ(canvas.height(), 30);
    canvas.fill(Color::rgb(236, 236, 236));
    drawSymbol(canvas.context(), "checkmark.circle.fill", {{0, 0}, {30, 30}},
               Color::rgb(40, 205, 65));
    TextLayout(Paragraph{{TextRun{"Hi", {13}}}}).draw(canvas.context(), {30, 5}, {0, 0, 0, 1});

    Testing::TemporaryFolder folder;
    ASSERT_TRUE(canvas.writePNG(folder.path() / "out.png"));
    auto png = Foundation::readFile(folder.path() / "out.png", 1 << 20);
    ASSERT_TRUE(png);
    auto image = Image::fromPNG(*png);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{41, 30}));
    EXPECT_EQ(pixel(*png, 40, 29), (std::array<int, 4>{236, 236, 236, 255}));
    // The filled circle is green at its rim, and its check mark lets the background through.
    auto rim = pixel(*png, 15, 3);
    EXPECT_GT(rim[1], 150);
    EXPECT_LT(rim[0], 120);

    std::string error;
    EXPECT_FALSE(canvas.writePNG(folder.path() / "missing" / "out.png", &error));
    EXPECT_FALSE(error.empty());
}

TEST(Canvas, EveryKnownSymbolDrawsSomethingAndUnknownNamesAreReported) {
    for (const char* name :
         {"checkmark.circle.fill", "circle", "exclamationmark.triangle.fill", "xmark.octagon.fill",
          "info.circle", "ellipsis.circle", "checkmark.seal.fill", "list.bullet.circle",
          "clock.fill", "exclamationmark.circle", "globe", "doc.text", "text.alignleft",
          "checkmark", "plus", "minus.circle", "lock.fill", "lock.shield"}) {
        Canvas canvas(Size{20, 20});
        EXPECT_TRUE(drawSymbol(canvas.context(), name, {{2, 2}, {16, 16}}, {0, 0, 0, 1})) << name;
        cairo_surface_t* surface = cairo_get_target(canvas.context());
        cairo_surface_flush(surface);
        int inked = 0;
        for (int y = 0; y < 20; ++y) {
            const auto* row =
                reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                  y * cairo_image_surface_get_stride(surface));
            for (int x = 0; x < 20; ++x) {
                inked += (row[x] >> 24) > 128;
            }
        }
        EXPECT_GT(inked, 12) << name;
    }
    Canvas canvas(Size{10, 10});
    EXPECT_FALSE(drawSymbol(canvas.context(), "no.such.symbol", {{0, 0}, {10, 10}}, {}));
    EXPECT_FALSE(Image::fromPNG(Foundation::dataFrom("not a png")));
}

TEST(Image, ReadsPNGFilesButNotFIFOsOrOtherFiles) {
    Testing::TemporaryFolder folder;
    Canvas canvas(Size{3, 2});
    canvas.fill(Color::rgb(255, 0, 0));
    ASSERT_TRUE(canvas.writePNG(folder.path() / "red.png"));
    auto image = Image::readPNG(folder.path() / "red.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), (Size{3, 2}));

    // A FIFO would block a plain read; it is refused at once.
    ASSERT_EQ(mkfifo((folder.path() / "pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(Image::readPNG(folder.path() / "pipe.png"));
    EXPECT_FALSE(Image::readPNG(folder.path() / "missing.png"));
    Testing::writeText(folder.path() / "text.png", "not a picture");
    EXPECT_FALSE(Image::readPNG(folder.path() / "text.png"));
}

TEST(TextLayout, CentredLinesAreCentredOnTheWidestOne) {
    Paragraph paragraph{{TextRun{.text = "a wide first line\nnarrow"}}};
    paragraph.alignment = TextAlignment::Center;
    paragraph.width = 300;
    TextLayout layout(paragraph);
    // Within 300 points, the widest line starts this far in; drawing there centres it.
    EXPECT_NEAR(layout.contentOffset(), (300 - layout.size().width) / 2, 0.5);
    paragraph.alignment = TextAlignment::Leading;
    EXPECT_EQ(TextLayout(paragraph).contentOffset(), 0);
}
