#include <SwiftUI/SwiftUI.h>
#include <gtest/gtest.h>
#include <share-sheet/ChipFlow.h>
#include <sstream>

using namespace SwiftUI;

namespace {

// The origins of the boxes, in order, from the text rendering with frames.
std::vector<Point> boxOrigins(HostingController& host) {
    std::istringstream lines(host.renderText({.frames = true}));
    std::vector<Point> origins;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Rectangle") == std::string::npos) {
            continue;
        }
        Point origin;
        char comma = 0;
        std::istringstream(line.substr(line.rfind('@') + 1)) >> origin.x >> comma >> origin.y;
        origins.push_back(origin);
    }
    return origins;
}

View chips(std::vector<Size> sizes) {
    std::vector<View> boxes;
    for (Size size : sizes) {
        boxes.push_back(Rectangle().frame({.width = size.width, .height = size.height}));
    }
    return ChipFlow(6)(std::move(boxes));
}

} // namespace

TEST(ChipFlow, FlowsIntoRowsThatWrapWhenTheNextChildWouldNotFit) {
    struct Case {
        std::optional<double> width;
        std::vector<Size> sizes;
        Size size;
        std::vector<Point> origins;
    } cases[] = {
        {162, {{50, 20}, {50, 20}, {50, 24}}, {162, 24}, {{0, 0}, {56, 0}, {112, 0}}},
        {161, {{50, 20}, {50, 20}, {50, 24}}, {161, 50}, {{0, 0}, {56, 0}, {0, 26}}},
        // Shorter children share their row's top; the next row starts below the tallest.
        {100, {{40, 30}, {40, 10}, {40, 10}}, {100, 46}, {{0, 0}, {46, 0}, {0, 36}}},
        {100, {{300, 10}, {20, 10}}, {100, 26}, {{0, 0}, {0, 16}}},
        {std::nullopt, {{50, 20}, {50, 20}, {50, 24}}, {162, 24}, {{0, 0}, {56, 0}, {112, 0}}},
        {100, {}, {100, 0}, {}},
        {std::nullopt, {}, {0, 0}, {}},
    };
    for (const auto& c : cases) {
        View view = chips(c.sizes);
        HostingController host(c.width ? view.frame({.width = *c.width}) : view);
        EXPECT_EQ(host.fittingSize(), c.size) << c.width.value_or(-1);
        EXPECT_EQ(boxOrigins(host), c.origins) << c.width.value_or(-1);
    }
}
