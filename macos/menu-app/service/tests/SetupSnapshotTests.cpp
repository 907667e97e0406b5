// The Setup window drawn to PNG against the sample bridge. Set KH_SNAPSHOT_DIR to keep the
// image: KH_SNAPSHOT_DIR=/tmp/shots ctest --test-dir build/dev -R SetupSnapshot
#include "service/SetupWindowController.h"
#include "service/tests/SetupFixture.h"

#include <Graphics/Canvas.h>
#include <Graphics/Image.h>
#include <SwiftUI/HostingView.h>
#include <cairo.h>
#include <cmath>
#include <cstdlib>
#include <set>

namespace {

using SetupSnapshot = WithSetup;

} // namespace

TEST_F(SetupSnapshot, TheWindowDrawsToAPNGOfItsSize) {
    startBridge();
    installClaude();
    auto controller = std::make_shared<SetupWindowController>();
    controller->show();
    ASSERT_TRUE(eventually([&] {
        return controller->model()->doctor->has_value() && !*controller->model()->checking;
    }));
    const auto& window = *controller->window();
    auto* host = SwiftUI::hostingController(window);
    ASSERT_TRUE(host);
    // The window has followed the rows the report added.
    ASSERT_TRUE(eventually([&] { return window.contentSize() == host->fittingSize(); }));

    const char* kept = std::getenv("KH_SNAPSHOT_DIR");
    const auto folder = kept && *kept ? std::filesystem::path(kept) : tools.path();
    std::filesystem::create_directories(folder);
    const auto file = folder / "setup.png";
    std::string error;
    ASSERT_TRUE(host->writePNG(file, std::nullopt, &error)) << error;

    const auto image = Graphics::Image::readPNG(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size().width, 580);
    EXPECT_EQ(image->size().height, std::ceil(window.contentSize().height));
    EXPECT_GT(image->size().height, 400);

    // Not blank: the text, marks and buttons give many colours besides the background.
    Graphics::Canvas canvas(image->size());
    image->draw(canvas.context(), {{0, 0}, image->size()});
    cairo_surface_t* surface = cairo_get_target(canvas.context());
    cairo_surface_flush(surface);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
        colours.insert(row, row + canvas.width());
    }
    EXPECT_GT(colours.size(), 50u);
    controller->window()->close();
}
