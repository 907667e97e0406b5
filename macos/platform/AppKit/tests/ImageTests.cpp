#include <AppKit/Image.h>
#include <Foundation/Bundle.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace AppKit;

namespace {

std::filesystem::path resources() {
    Testing::useTestHome();
    const auto folder = Foundation::Bundle::main().path() / "Contents" / "Resources";
    std::filesystem::create_directories(folder);
    return folder;
}

// A two-by-two checker scaled to 8 × 6 points.
std::shared_ptr<Image> checker() {
    return Image::withPicture(CoreImage::Image(2, 2, {0, 255, 255, 0}).transformed(4, 3));
}

} // namespace

TEST(Image, NamedImagesComeFromTheBundlesResourcesEachItsOwnObject) {
    const auto folder = resources();
    ASSERT_TRUE(checker()->writePNG(folder / "checker.png"));

    const auto first = Image::named("checker");
    const auto second = Image::named("checker");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->kind(), Image::Kind::Resource);
    EXPECT_EQ(first->name(), "checker");
    EXPECT_EQ(first->size(), (Size{8, 6}));
    first->setAccessibilityDescription("one");
    EXPECT_FALSE(second->accessibilityDescription());

    EXPECT_FALSE(Image::named("missing"));
    Testing::writeText(folder / "broken.png", "not a PNG");
    EXPECT_FALSE(Image::named("broken"));
    // A FIFO in the resources is never waited on.
    ASSERT_EQ(mkfifo((folder / "fifo.png").c_str(), 0600), 0);
    EXPECT_FALSE(Image::named("fifo"));
}

TEST(Image, SymbolsAreNamesWithoutArtwork) {
    const auto symbol = Image::systemSymbol("pawprint.fill", "Kestrelhaven");
    EXPECT_EQ(symbol->kind(), Image::Kind::Symbol);
    EXPECT_EQ(symbol->name(), "pawprint.fill");
    EXPECT_EQ(symbol->accessibilityDescription(), "Kestrelhaven");
    Testing::TemporaryFolder folder;
    EXPECT_FALSE(symbol->writePNG(folder.path() / "symbol.png"));
}

TEST(Image, PicturesDrawAtTheirExtent) {
    const auto folder = resources();
    const auto image = checker();
    EXPECT_EQ(image->size(), (Size{8, 6}));
    ASSERT_TRUE(image->writePNG(folder / "drawn.png"));
    // Read back as a resource: the file holds the drawn size, not the picture's pixels.
    const auto drawn = Image::named("drawn");
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->size(), (Size{8, 6}));
}
