#include <gtest/gtest.h>
TEST(Placeholder, x) {}
