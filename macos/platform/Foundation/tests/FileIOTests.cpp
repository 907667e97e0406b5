#include <Foundation/FileIO.h>
#include <Foundation/FileLock.h>
#include <Testing/Testing.h>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace Foundation;

TEST(FileIO, ReadsRegularFilesWithinTheLimitOnly) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "f.txt";
    Testing::writeText(file, "12345");
    EXPECT_EQ(readFile(file, 5), dataFrom("12345"));

    const auto tooLarge = readRegularFile(file, 4);
    EXPECT_FALSE(tooLarge.data);
    EXPECT_EQ(tooLarge.failure, ReadFailure::TooLarge);

    EXPECT_EQ(readRegularFile(folder.path() / "none", 10).failure, ReadFailure::Missing);
    EXPECT_EQ(readRegularFile(folder.path(), 10).failure, ReadFailure::NotRegular);

    // A FIFO with no writer would block an ordinary read for ever.
    const auto fifo = folder.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readRegularFile(fifo, 10).failure, ReadFailure::NotRegular);
}

TEST(FileIO, ReadsTheStartOfRegularFilesOnly) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "f.txt";
    Testing::writeText(file, "12345");
    EXPECT_EQ(readFilePrefix(file, 3), dataFrom("123"));
    EXPECT_EQ(readFilePrefix(file, 9), dataFrom("12345"));
    EXPECT_EQ(readFilePrefix(folder.path(), 3), std::nullopt);
    const auto fifo = folder.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readFilePrefix(fifo, 3), std::nullopt);
}

TEST(FileIO, CreatesOnlyNewFilesWithExactlyTheStatedMode) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "new";
    const mode_t oldMask = umask(0077);
    EXPECT_FALSE(createFile(file, dataFrom("x"), 0644));
    umask(oldMask);
    EXPECT_EQ(Testing::readText(file), "x");
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);

    EXPECT_EQ(createFile(file, dataFrom("y"), 0600), std::errc::file_exists);
    EXPECT_EQ(Testing::readText(file), "x");
    // Nor through a link, dangling or not.
    std::filesystem::create_symlink(folder.path() / "nowhere", folder.path() / "link");
    EXPECT_EQ(createFile(folder.path() / "link", dataFrom("y"), 0600), std::errc::file_exists);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "nowhere"));
}

TEST(FileIO, AppendsOnlyToARegularFileOrANewOne) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "log";
    EXPECT_FALSE(appendToFile(file, dataFrom("a"), 0600));
    EXPECT_FALSE(appendToFile(file, dataFrom("b"), 0644));
    EXPECT_EQ(Testing::readText(file), "ab");
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    std::filesystem::create_symlink(file, folder.path() / "link");
    EXPECT_TRUE(appendToFile(folder.path() / "link", dataFrom("c"), 0600));
    const auto fifo = folder.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(appendToFile(fifo, dataFrom("c"), 0600));
    EXPECT_EQ(appendToFile(folder.path(), dataFrom("c"), 0600), std::errc::is_a_directory);
    EXPECT_EQ(Testing::readText(file), "ab");
}

TEST(FileIO, AtomicWritesReplaceTheTargetWithTheStatedMode) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "state.json";
    Testing::writeText(file, "old");
    ASSERT_TRUE(writeFileAtomically(file, dataFrom("new contents"), 0600));
    EXPECT_EQ(Testing::readText(file), "new contents");
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(FileIO, AFailedAtomicWriteLeavesNothingAndSaysWhy) {
    Testing::TemporaryFolder folder;
    std::string error;
    EXPECT_FALSE(writeFileAtomically(folder.path() / "missing" / "f", dataFrom("x"), 0600, &error));
    EXPECT_NE(error.find("Couldn't create"), std::string::npos);

    const auto target = folder.path() / "dir";
    std::filesystem::create_directories(target / "child");
    EXPECT_FALSE(writeFileAtomically(target, dataFrom("x"), 0600, &error));
    EXPECT_NE(error.find("Couldn't replace"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(FileIO, CreatesFoldersWithTheirParents) {
    Testing::TemporaryFolder folder;
    const auto nested = folder.path() / "a" / "b" / "c";
    EXPECT_TRUE(createFolder(nested));
    struct stat status {};
    ASSERT_EQ(stat(nested.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    Testing::writeText(folder.path() / "file", "");
    std::error_code error;
    EXPECT_FALSE(createFolder(folder.path() / "file" / "below", &error));
    EXPECT_EQ(error, std::errc::not_a_directory);
    EXPECT_FALSE(createFolder(folder.path() / "file", &error));
    EXPECT_EQ(error, std::errc::not_a_directory);
}

TEST(FileIO, AMoveNeverReplacesWhatStandsAtItsDestination) {
    Testing::TemporaryFolder folder;
    const auto from = folder.path() / "from";
    const auto to = folder.path() / "to";
    Testing::writeText(from, "new");
    Testing::writeText(to, "old");
    EXPECT_EQ(moveItem(from, to), std::errc::file_exists);
    EXPECT_EQ(Testing::readText(to), "old");
    EXPECT_EQ(Testing::readText(from), "new");
    // Not even a dangling link is replaced.
    std::filesystem::remove(to);
    std::filesystem::create_symlink(folder.path() / "nowhere", to);
    EXPECT_EQ(moveItem(from, to), std::errc::file_exists);

    std::filesystem::remove(to);
    EXPECT_EQ(moveItem(from, to), std::error_code());
    EXPECT_EQ(Testing::readText(to), "new");
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_EQ(moveItem(from, folder.path() / "again"), std::errc::no_such_file_or_directory);
}

TEST(FileIO, PrefixReadsCutLargeFilesButStillRefuseOddOnes) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "f.txt";
    Testing::writeText(file, "12345");
    EXPECT_EQ(readFilePrefix(file, 3), dataFrom("123"));
    EXPECT_EQ(readFilePrefix(file, 5), dataFrom("12345"));
    EXPECT_EQ(readFilePrefix(file, 50), dataFrom("12345"));

    Testing::writeText(file, std::string(100'000, 'x'));
    EXPECT_EQ(readFilePrefix(file, 65'536)->size(), 65'536u);

    EXPECT_FALSE(readFilePrefix(folder.path() / "none", 10));
    const auto fifo = folder.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readFilePrefix(fifo, 10));
}

TEST(FileIO, ReadsExactlyAtTheLimitAndCanRefuseLinks) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "f";
    Testing::writeText(file, std::string(100, 'x'));
    EXPECT_TRUE(readFile(file, 100));
    EXPECT_EQ(readRegularFile(file, 99).failure, ReadFailure::TooLarge);

    const auto link = folder.path() / "link";
    std::filesystem::create_symlink(file, link);
    EXPECT_TRUE(readFile(link, 100));
    EXPECT_EQ(readRegularFile(link, 100, Links::Refuse).failure, ReadFailure::NotRegular);
    EXPECT_TRUE(readFile(file, 100, Links::Refuse));
}

TEST(FileIO, AtomicWriteNamesItsTemporaryFileAndTellsARenameFailure) {
    Testing::TemporaryFolder folder;
    std::vector<std::string> names;
    const auto namer = [&](const std::string& target) {
        names.push_back("." + target + "." + std::to_string(names.size()) + ".tmp");
        return names.back();
    };
    // A taken temporary name is passed over for the next one.
    Testing::writeText(folder.path() / ".t.0.tmp", "");
    EXPECT_FALSE(atomicWrite(folder.path() / "t", dataFrom("x"), 0600, namer));
    EXPECT_EQ(names, (std::vector<std::string>{".t.0.tmp", ".t.1.tmp"}));
    EXPECT_EQ(Testing::readText(folder.path() / "t"), "x");

    std::filesystem::create_directories(folder.path() / "dir" / "child");
    const auto failure = atomicWrite(folder.path() / "dir", dataFrom("x"), 0600, namer);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->renaming);
    EXPECT_TRUE(failure->code);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / names.back()));

    const auto missing = atomicWrite(folder.path() / "no" / "t", dataFrom("x"), 0600, namer);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->renaming);
    EXPECT_EQ(missing->code, std::errc::no_such_file_or_directory);
}

TEST(FileLock, OneHolderAtATimeAndNoChildInheritsTheLock) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "held.lock";
    auto held = FileLock::take(file, FileLock::Wait::No);
    ASSERT_TRUE(held);
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // Another open of the file, even in this process, does not get it while it is held.
    std::error_code error;
    EXPECT_FALSE(FileLock::take(file, FileLock::Wait::No, &error));
    EXPECT_EQ(error, std::errc::operation_would_block);

    // A program started meanwhile does not keep it once its holder lets go.
    pid_t child = 0;
    char sleep[] = "sleep";
    char seconds[] = "30";
    char* arguments[] = {sleep, seconds, nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);
    held.reset();
    EXPECT_TRUE(FileLock::take(file, FileLock::Wait::No));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    std::filesystem::create_symlink(file, folder.path() / "link.lock");
    EXPECT_FALSE(FileLock::take(folder.path() / "link.lock", FileLock::Wait::Yes, &error));
    EXPECT_EQ(error, std::errc::too_many_symbolic_link_levels);
    EXPECT_FALSE(FileLock::take(folder.path(), FileLock::Wait::Yes, &error));
}
