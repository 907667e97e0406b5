#include "ConfigFile.h"

#include <Testing/Testing.h>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* stamp = "2026-03-01T09-05-07Z";

// Takes out every member "ours" of a top-level object.
std::optional<std::string> removeOurs(JSON& document) {
    JSONObject* object = document.asObject();
    if (!object || !object->find("ours"))
        return std::nullopt;
    object->remove("ours");
    return "ours removed";
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t permissions(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_mode & 07777;
}

class ConfigFileEdit : public ::testing::Test {
protected:
    Testing::TemporaryFolder folder;
    fs::path file = folder.path() / "settings.json";
    fs::path backup = folder.path() / ("settings.json." + std::string("kh-uninstall-") + stamp);
    fs::path temporary = folder.path() / ("settings.json.kh-tmp-" + std::to_string(::getpid()));
};

} // namespace

TEST_F(ConfigFileEdit, MissingFilesAndDanglingLinks) {
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::missing());
    fs::create_symlink(folder.path() / "nowhere.json", file);
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::missing());
    EXPECT_EQ(ConfigFile::peek(file, removeOurs), std::nullopt);
}

TEST_F(ConfigFileEdit, WhatCantBeReadFailsWithoutBlocking) {
    const EditOutcome cantRead = EditOutcome::failed("can't read it");
    fs::create_directory(file);
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), cantRead);

    const fs::path fifo = folder.path() / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ConfigFile::edit(fifo, stamp, removeOurs), cantRead);
    EXPECT_EQ(ConfigFile::peek(fifo, removeOurs), std::nullopt);

    // Only "no such file" means missing: a path through a regular file can't be read.
    Testing::writeText(folder.path() / "plain", "{}");
    EXPECT_EQ(ConfigFile::edit(folder.path() / "plain" / "settings.json", stamp, removeOurs),
              cantRead);
}

TEST_F(ConfigFileEdit, InvalidJSONIsLeftAlone) {
    Testing::writeText(file, "");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs),
              EditOutcome::failed(
                  "it isn't valid JSON (unexpected end at byte 0), so it was left alone"));
    Testing::writeText(file, "{\"ours\": 1,}");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs),
              EditOutcome::failed(
                  "it isn't valid JSON (expected a key at byte 11), so it was left alone"));
    EXPECT_EQ(ConfigFile::peek(file, removeOurs), std::nullopt);
    EXPECT_EQ(Testing::readText(file), "{\"ours\": 1,}");
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"settings.json"});
}

TEST_F(ConfigFileEdit, NothingOursIsNotRewritten) {
    Testing::writeText(file, "{\"theirs\":1}");
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::nothingOurs());
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"settings.json"});
}

TEST_F(ConfigFileEdit, ChangedFilesKeepTheirModeAndGetABackup) {
    const std::string old = "{\"theirs\":[1.50],\"ours\":true}\n\n";
    Testing::writeText(file, old);
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);

    EXPECT_EQ(ConfigFile::peek(file, removeOurs), (ConfigFile::Finding{"ours removed", {}}));
    EXPECT_EQ(Testing::readText(file), old);

    const mode_t oldMask = ::umask(0077);
    const EditOutcome outcome = ConfigFile::edit(file, stamp, removeOurs);
    ::umask(oldMask);
    EXPECT_EQ(outcome, EditOutcome::changed("ours removed", backup.string()));
    // Several line feeds at the end become one.
    EXPECT_EQ(Testing::readText(file), "{\n  \"theirs\": [\n    1.50\n  ]\n}\n");
    EXPECT_EQ(permissions(file), 0644u);
    EXPECT_EQ(Testing::readText(backup), old);
    EXPECT_EQ(permissions(backup), 0600u);
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"settings.json", backup.filename()}));
}

TEST_F(ConfigFileEdit, AFileWithoutAFinalLineFeedGetsNone) {
    Testing::writeText(file, "{\"ours\":1}");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs).kind, EditOutcome::Kind::changed);
    EXPECT_EQ(Testing::readText(file), "{}");
}

TEST_F(ConfigFileEdit, LinksAreEditedAtTheirTarget) {
    const fs::path real = folder.path() / "real";
    const fs::path target = real / "settings.json";
    Testing::writeText(target, "{\"ours\":1,\"x\":2}");
    fs::create_directory(folder.path() / "links");
    const fs::path link = folder.path() / "links" / "settings.json";
    fs::create_symlink("../real/settings.json", link);

    const EditOutcome outcome = ConfigFile::edit(link, stamp, removeOurs);
    EXPECT_EQ(outcome,
              EditOutcome::changed("ours removed", target.string() + ".kh-uninstall-" + stamp));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Testing::readText(link), "{\n  \"x\": 2\n}");
    EXPECT_EQ(namesIn(real), (std::set<std::string>{"settings.json", "settings.json.kh-uninstall-" +
                                                                         std::string(stamp)}));
    EXPECT_EQ(namesIn(folder.path() / "links"), std::set<std::string>{"settings.json"});
}

TEST_F(ConfigFileEdit, AnExistingBackupOrTemporaryFileIsNeverOverwrittenNorRemoved) {
    Testing::writeText(file, "{\"ours\":1}");
    Testing::writeText(backup, "an earlier backup");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::failed("File exists"));
    EXPECT_EQ(Testing::readText(file), "{\"ours\":1}");
    EXPECT_EQ(Testing::readText(backup), "an earlier backup");
    EXPECT_FALSE(fs::exists(temporary));

    fs::remove(backup);
    Testing::writeText(temporary, "someone else's");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::failed("File exists"));
    EXPECT_EQ(Testing::readText(temporary), "someone else's");
    EXPECT_FALSE(fs::exists(backup));
}

TEST_F(ConfigFileEdit, TextThatCantBeWrittenBackUnchangedIsLeftAlone) {
    const std::string lossy = "{\"ours\":1,\"name\":\"\\uD800 \xFF\"}";
    Testing::writeText(file, lossy);
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs),
              EditOutcome::failed(
                  "it holds text that couldn't be written back unchanged, so it was left alone"));
    EXPECT_EQ(Testing::readText(file), lossy);
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"settings.json"});

    Testing::writeText(file, "{\"name\":\"\\uDC00\"}");
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs), EditOutcome::nothingOurs());
}

TEST_F(ConfigFileEdit, AFileThatKeepsChangingIsTriedThreeTimes) {
    Testing::writeText(file, "{\"ours\":1}");
    int writes = 0;
    ConfigFile::Seams seams;
    seams.afterTemporaryFile = [&] {
        ++writes;
        Testing::writeText(file, "{\"ours\":1,\"write\":" + std::to_string(writes) + "}");
    };
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs, seams),
              EditOutcome::failed("it kept changing while it was being edited; try again"));
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(Testing::readText(file), "{\"ours\":1,\"write\":3}");
    EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"settings.json"});
}

TEST_F(ConfigFileEdit, AWriteAfterTheBackupIsNotLost) {
    Testing::writeText(file, "{\"ours\":1}");
    bool wrote = false;
    ConfigFile::Seams seams;
    seams.afterBackup = [&] {
        if (std::exchange(wrote, true))
            return;
        // Another program's write: same size, no other sign than the file's identity.
        struct stat old {};
        ASSERT_EQ(::stat(file.c_str(), &old), 0);
        const fs::path replacement = folder.path() / "replacement";
        Testing::writeText(replacement, "{\"ours\":2}");
        const timespec times[2] = {old.st_atim, old.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, replacement.c_str(), times, 0), 0);
        fs::rename(replacement, file);
    };
    EXPECT_EQ(ConfigFile::edit(file, stamp, removeOurs, seams),
              EditOutcome::changed("ours removed", backup.string()));
    EXPECT_TRUE(wrote);
    // The backup that was taken before the other write went with the first attempt.
    EXPECT_EQ(Testing::readText(backup), "{\"ours\":2}");
    EXPECT_EQ(Testing::readText(file), "{}");
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"settings.json", backup.filename()}));
}

TEST_F(ConfigFileEdit, AnEditKilledAnywhereLeavesNoPartialBackupAndTheNextOneTidiesUp) {
    const std::string old = "{\"ours\":\"" + std::string(64, 'x') + "\",\"theirs\":1}\n";
    const std::string edited = "{\n  \"theirs\": 1\n}\n";
    // In the middle of writing a file the size limit's signal kills the process; after a file is
    // whole a seam does.
    struct KillPoint {
        const char* name;
        rlim_t sizeLimit;
        bool afterTemporaryFile;
        bool afterBackup;
    };
    const KillPoint points[] = {
        {"writing-new", edited.size() / 2, false, false},
        {"new-written", RLIM_INFINITY, true, false},
        {"writing-backup", edited.size() * 2, false, false},
        {"backup-in-place", RLIM_INFINITY, false, true},
    };
    const auto die = [] { ::kill(::getpid(), SIGKILL); };
    const std::string later = "2026-03-01T09-06-00Z";
    for (const KillPoint& point : points) {
        SCOPED_TRACE(point.name);
        const fs::path place = folder.path() / point.name;
        fs::create_directory(place);
        const fs::path target = place / "settings.json";
        Testing::writeText(target, old);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // No core file from the size limit's signal.
            ::prctl(PR_SET_DUMPABLE, 0);
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit size{point.sizeLimit, point.sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &size);
            ConfigFile::Seams seams;
            if (point.afterTemporaryFile)
                seams.afterTemporaryFile = die;
            if (point.afterBackup)
                seams.afterBackup = die;
            ConfigFile::edit(target, stamp, removeOurs, seams);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(Testing::readText(target), old);
        for (const std::string& name : namesIn(place)) {
            if (name.find(".kh-uninstall-") != std::string::npos) {
                EXPECT_EQ(Testing::readText(place / name), old) << name;
            }
        }

        // Only this file's leftovers go; another file's are not this edit's to judge.
        const std::string others = "other.json.kh-tmp-" + std::to_string(child);
        Testing::writeText(place / others, "");
        EXPECT_EQ(ConfigFile::edit(target, later, removeOurs).kind, EditOutcome::Kind::changed);
        EXPECT_EQ(Testing::readText(target), edited);
        std::set<std::string> left{"settings.json", "settings.json.kh-uninstall-" + later, others};
        if (point.afterBackup)
            left.insert(backup.filename());
        EXPECT_EQ(namesIn(place), left);
    }
}
