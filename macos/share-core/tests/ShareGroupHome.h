// A fixture whose HOME is a fresh folder, so the App Group container lies inside it.
#pragma once

#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>

class ShareGroupHome : public ::testing::Test {
protected:
    static constexpr const char* group = "group.com.tallowmeadows.kestrelhaven";

    ShareGroupHome() { setenv("HOME", home.path().c_str(), 1); }

    std::filesystem::path container() const {
        return home.path() / "Library" / "Group Containers" / group;
    }

    Testing::TemporaryFolder home;
};
