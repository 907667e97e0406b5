#include "service/Bundled.h"

#include <Testing/Testing.h>
#include <gtest/gtest.h>

TEST(Bundled, HomeIsTheFolderTheTestBuildNames) {
    const auto& home = Testing::useTestHome();
    EXPECT_EQ(Bundled::home(), home);
    EXPECT_EQ(&Bundled::home(), &Bundled::home());
}
