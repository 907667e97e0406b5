#include <Foundation/AppGroup.h>
#include <cstdlib>
#include <gtest/gtest.h>

using Foundation::AppGroup::container;

namespace {

// Sets HOME for one test and puts the old value back.
class WithHome {
public:
    explicit WithHome(const char* home) {
        if (const char* old = std::getenv("HOME"))
            m_old = old;
        if (home)
            setenv("HOME", home, 1);
        else
            unsetenv("HOME");
    }
    ~WithHome() {
        if (m_old)
            setenv("HOME", m_old->c_str(), 1);
        else
            unsetenv("HOME");
    }

private:
    std::optional<std::string> m_old;
};

} // namespace

TEST(AppGroup, ContainerLiesUnderHomeByIdentifier) {
    WithHome home("/home/someone");
    EXPECT_EQ(container("group.test.share"),
              std::filesystem::path("/home/someone/Library/Group Containers/group.test.share"));
    using namespace std::string_view_literals;
    for (const std::string_view bad : {""sv, "."sv, ".."sv, "a/b"sv, "/abs"sv, "a\0b"sv})
        EXPECT_FALSE(container(bad)) << bad;
    EXPECT_TRUE(container("..."));
}

TEST(AppGroup, NoContainerWithoutAnAbsoluteHome) {
    {
        WithHome home(nullptr);
        EXPECT_FALSE(container("group.test"));
    }
    WithHome relative("relative/home");
    EXPECT_FALSE(container("group.test"));
}
