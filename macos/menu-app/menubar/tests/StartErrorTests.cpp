#include "menubar/StartError.h"

#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class StartErrorFile : public testing::Test {
protected:
    void SetUp() override {
        home = Testing::useTestHome();
        Foundation::SystemTime::setSource([this] { return now; });
    }
    void TearDown() override {
        Foundation::SystemTime::setSource({});
        std::filesystem::remove(StartError::path());
    }

    void write(const std::string& text, double age) {
        Testing::writeText(StartError::path(), text);
        Testing::setModificationTime(StartError::path(), now - age);
    }

    std::filesystem::path home;
    double now = 1718452800;
};

} // namespace

TEST_F(StartErrorFile, LivesInTheHomesDataFolder) {
    EXPECT_EQ(StartError::path(), home / ".kestrelhaven" / "start-error.txt");
    EXPECT_FALSE(StartError::recent());
}

TEST_F(StartErrorFile, CountsForTwoMinutesTrimmedAndNotBlank) {
    write("\n\t port 17801 is taken \r\n", 119);
    EXPECT_EQ(StartError::recent(), "port 17801 is taken");
    write("port 17801 is taken", 120);
    EXPECT_FALSE(StartError::recent());
    // A date ahead of the clock counts as recent.
    write("port 17801 is taken", -3600);
    EXPECT_EQ(StartError::recent(), "port 17801 is taken");
    write(" \n\t\r\n ", 1);
    EXPECT_FALSE(StartError::recent());
    write("bad \xff byte", 1);
    EXPECT_FALSE(StartError::recent());
}

TEST_F(StartErrorFile, ReadsTheFirst64KiBCutAtAWholeCharacter) {
    // "€" is three bytes; the 64 KiB cut falls inside the last one that starts before it.
    std::string text(StartError::readLimit - 2, 'a');
    text += "€ and more after the limit";
    write(text, 1);
    const auto read = StartError::recent();
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, std::string(StartError::readLimit - 2, 'a'));

    text = std::string(StartError::readLimit - 3, 'b') + "€€";
    write(text, 1);
    EXPECT_EQ(StartError::recent(), std::string(StartError::readLimit - 3, 'b') + "€");
}

TEST_F(StartErrorFile, NeverWaitsOnAFIFO) {
    std::filesystem::create_directories(StartError::path().parent_path());
    ASSERT_EQ(mkfifo(StartError::path().c_str(), 0600), 0);
    Testing::setModificationTime(StartError::path(), now);
    EXPECT_FALSE(StartError::recent());
}
