#include "menubar/OwlIcon.h"

#include <Foundation/Bundle.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>

using OwlIcon::State;

namespace {

const std::pair<State, const char*> descriptions[] = {
    {State::unknown, "Kestrelhaven"},
    {State::alone, "Kestrelhaven, no phone connected"},
    {State::connected, "Kestrelhaven, phone connected"},
    {State::down, "Kestrelhaven, bridge not running"}};

} // namespace

TEST(OwlIcon, AMissingImageFallsBackToThePawprintWithTheSameDescription) {
    Testing::useTestHome();
    for (const auto& [state, description] : descriptions) {
        const auto image = OwlIcon::image(state);
        EXPECT_EQ(image->kind(), AppKit::Image::Kind::Symbol);
        EXPECT_EQ(image->name(), "pawprint.fill");
        EXPECT_EQ(image->accessibilityDescription(), description);
    }
}

TEST(OwlIcon, EachStateHasItsImageFromTheResources) {
    Testing::useTestHome();
    const auto resources = Foundation::Bundle::main().path() / "Contents" / "Resources";
    std::filesystem::create_directories(resources);
    const auto dot = AppKit::Image::withPicture(CoreImage::Image(1, 1, {0}));
    for (const char* name : {"lion-alone", "lion-connected", "lion-sleep"})
        ASSERT_TRUE(dot->writePNG(resources / (std::string(name) + ".png")));

    const char* names[] = {"lion-alone", "lion-alone", "lion-connected", "lion-sleep"};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto image = OwlIcon::image(descriptions[i].first);
        EXPECT_EQ(image->kind(), AppKit::Image::Kind::Resource);
        EXPECT_EQ(image->name(), names[i]);
        EXPECT_EQ(image->accessibilityDescription(), descriptions[i].second);
    }
    // Each call gives its own image, so the unknown state does not relabel the alone one.
    EXPECT_NE(OwlIcon::image(State::unknown), OwlIcon::image(State::alone));
}
