#include <Foundation/Log.h>
#include <Foundation/SystemTime.h>
#include <Foundation/UserDefaults.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace Defaults = Foundation::UserDefaults;

namespace {

class UserDefaults : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome({{"CFBundleIdentifier", "com.example.defaults"}});
        Defaults::setHome(home.path());
        Foundation::setLogSink(
            [this](const Foundation::LogEntry& entry) { logged.push_back(entry.message); });
    }
    void TearDown() override {
        Foundation::setLogSink({});
        Foundation::SystemTime::setSource({});
    }

    Testing::TemporaryFolder home;
    std::vector<std::string> logged;
};

} // namespace

TEST_F(UserDefaults, KeepValuesByTypeInAFileUnderHome) {
    const auto file = home.path() / "Library/Preferences/com.example.defaults.json";
    EXPECT_EQ(Defaults::file(), file);
    EXPECT_EQ(Defaults::boolean("setupSeen"), std::nullopt);

    Defaults::setBool("setupSeen", true);
    Defaults::setString("bridgeBuild", "42");
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);
    EXPECT_EQ(Defaults::string("bridgeBuild"), "42");
    // A value of another type reads as absent.
    EXPECT_EQ(Defaults::string("setupSeen"), std::nullopt);
    EXPECT_EQ(Defaults::boolean("bridgeBuild"), std::nullopt);

    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(Testing::readText(file), R"({"bridgeBuild":"42","setupSeen":true})");

    // Another process's start reads the same values; a removed key is gone from the file.
    Defaults::remove("bridgeBuild");
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);
    EXPECT_EQ(Defaults::string("bridgeBuild"), std::nullopt);
    EXPECT_EQ(Testing::readText(file), R"({"setupSeen":true})");
}

TEST_F(UserDefaults, AFileWithoutValuesIsMovedAsideBeforeTheNextChange) {
    // 2026-03-01T09:05:07Z.
    Foundation::SystemTime::setSource([] { return 1772355907.0; });
    const auto file = Defaults::file();
    const auto aside = file.string() + ".unusable-2026-03-01T09-05-07Z";
    Testing::writeText(file, "[1, 2");
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::boolean("mcpWanted"), std::nullopt);
    Defaults::setBool("mcpWanted", false);
    EXPECT_EQ(Testing::readText(file), R"({"mcpWanted":false})");
    EXPECT_EQ(Testing::readText(aside), "[1, 2");

    // An oversized one goes the same way, never over the one set aside before it.
    const std::string large = R"({"bridgeBuild":"41"})" + std::string(1024 * 1024, ' ');
    Testing::writeText(file, large);
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::string("bridgeBuild"), std::nullopt);
    // Text that is not UTF-8 is kept, with replacement characters, rather than failing the write.
    Defaults::setString("bridgeBuild", "4\xff"
                                       "2");
    EXPECT_EQ(Testing::readText(aside), "[1, 2");
    EXPECT_EQ(std::filesystem::file_size(aside + "-2"), large.size());
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::string("bridgeBuild"), "4\uFFFD2");
    EXPECT_THAT(logged, testing::ElementsAre(testing::HasSubstr("isn't a JSON object"),
                                             testing::HasSubstr("is larger than")));
}

TEST_F(UserDefaults, AFileThatCantBeReadIsNeverWrittenOver) {
    const auto file = Defaults::file();
    std::filesystem::create_directories(file.parent_path());
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    Defaults::setBool("setupSeen", true);
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);
    Defaults::remove("setupSeen");
    EXPECT_TRUE(std::filesystem::is_fifo(file));
    EXPECT_THAT(logged, testing::ElementsAre(testing::HasSubstr("can't be read")));
}

TEST_F(UserDefaults, AFailedWriteKeepsTheValueForThisProcess) {
    // A file where the Library folder belongs.
    Testing::writeText(home.path() / "Library", "in the way");
    Defaults::setBool("setupSeen", true);
    EXPECT_EQ(Defaults::boolean("setupSeen"), true);
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::boolean("setupSeen"), std::nullopt);
}

TEST_F(UserDefaults, ListsOfTextsReadBackOnlyWhenEveryElementIsText) {
    using List = std::vector<std::string>;
    EXPECT_EQ(Defaults::stringList("updatePhoneDistributions"), std::nullopt);
    Defaults::setStringList("updatePhoneDistributions", {"testflight", "appstore", "testflight"});
    EXPECT_EQ(Defaults::stringList("updatePhoneDistributions"),
              (List{"testflight", "appstore", "testflight"}));
    Defaults::setStringList("empty", {});
    EXPECT_EQ(Defaults::stringList("empty"), List{});
    EXPECT_EQ(Defaults::string("empty"), std::nullopt);

    Testing::writeText(Defaults::file(),
                       R"({"mixed":["testflight",1],"text":"testflight","nested":[["a"]]})");
    Defaults::setHome(home.path());
    EXPECT_EQ(Defaults::stringList("mixed"), std::nullopt);
    EXPECT_EQ(Defaults::stringList("text"), std::nullopt);
    EXPECT_EQ(Defaults::stringList("nested"), std::nullopt);
}
