#include <Foundation/UUID.h>
#include <gtest/gtest.h>
#include <regex>

TEST(UUID, IsRandomVersionFourInUppercaseText) {
    const std::string text = Foundation::UUID::random().uuidString();
    EXPECT_TRUE(std::regex_match(
        text, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << text;
    EXPECT_NE(Foundation::UUID::random().uuidString(), Foundation::UUID::random().uuidString());
}
