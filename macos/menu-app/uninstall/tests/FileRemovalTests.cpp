#include "uninstall/FileRemovals.h"
#include "uninstall/UninstallLog.h"
#include "uninstall/Uninstaller.h"
#include "uninstall/tests/UninstallFixture.h"

#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using Status = UninstallStep::Status;
using Result = UninstallStep::Result;

namespace {

namespace fs = std::filesystem;

class FileRemovals : public UninstallHome {
protected:
    void TearDown() override {
        Foundation::SystemTime::setSource({});
        UninstallHome::TearDown();
    }
    fs::path socket() const { return home / ".kestrelhaven/bridge.sock"; }
};

TEST_F(FileRemovals, PathsUnderTheHomeAreAbbreviated) {
    const std::string h = home.string();
    const struct {
        std::string path, shown;
    } cases[] = {
        {h + "/.claude.json", "~/.claude.json"},
        {h + "/a/b", "~/a/b"},
        {h, h},
        {h + "/", h + "/"},
        {h + "x/.claude.json", h + "x/.claude.json"},
        {"/etc/hosts", "/etc/hosts"},
    };
    for (const auto& each : cases)
        EXPECT_EQ(Uninstaller::tilde(each.path), each.shown) << each.path;
}

TEST_F(FileRemovals, TheTestTrashNeverReplacesAnything) {
    Foundation::SystemTime::setSource([] { return 1772355907.75; });
    Foundation::Error error;
    for (const char* expected : {"notes", "notes 1772355907"}) {
        Testing::writeText(home / "notes", expected);
        EXPECT_EQ(Uninstaller::trash(home / "notes", &error), expected);
        EXPECT_EQ(Testing::readText(home / ".Trash" / expected), expected);
    }
    // A third within the same second has nowhere to go.
    Testing::writeText(home / "notes", "third");
    EXPECT_EQ(Uninstaller::trash(home / "notes", &error), std::nullopt);
    EXPECT_EQ(error.description, "Couldn't move notes to the Trash: File exists");
    EXPECT_EQ(Testing::readText(home / "notes"), "third");
}

TEST_F(FileRemovals, TheDossierCommandGoesOnlyWhenItIsOurs) {
    const fs::path command = home / ".local/bin/dossier";
    EXPECT_EQ(Uninstaller::removeDossierShim(), (Result{Status::notFound, "no such file"}));
    Testing::writeText(command, "#!/bin/sh\necho someone else's\n");
    EXPECT_EQ(Uninstaller::removeDossierShim(),
              (Result{Status::notFound, "~/.local/bin/dossier is another program's: left alone"}));
    EXPECT_TRUE(fs::exists(command));

    // Our link goes, its target stays.
    fs::remove(command);
    const fs::path script = home.parent_path() / "dossier.sh";
    Testing::writeText(script, "#!/bin/sh\n# kestrelhaven-dossier-shim\n");
    fs::create_symlink(script, command);
    EXPECT_EQ(Uninstaller::removeDossierShim(),
              (Result{Status::done, "~/.local/bin/dossier removed"}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(command)));
    EXPECT_TRUE(fs::exists(script));
}

TEST_F(FileRemovals, OnlyASocketIsTakenForTheBridgesSocket) {
    EXPECT_EQ(Uninstaller::removeSocket(), (Result{Status::notFound, "no socket"}));
    fs::create_directories(socket().parent_path());
    fs::create_symlink(home / "nowhere", socket());
    EXPECT_FALSE(Uninstaller::isSocket(socket()));
    EXPECT_EQ(Uninstaller::removeSocket(), (Result{Status::notFound, "no socket"}));
    fs::remove(socket());

    Testing::writeText(socket(), "");
    EXPECT_EQ(Uninstaller::removeSocket(),
              (Result{Status::failed, "~/.kestrelhaven/bridge.sock isn't a socket; left alone"}));
    fs::remove(socket());

    leaveSocket(socket());
    EXPECT_TRUE(Uninstaller::isSocket(socket()));
    EXPECT_EQ(Uninstaller::removeSocket(),
              (Result{Status::done, "removed ~/.kestrelhaven/bridge.sock"}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(socket())));
}

TEST_F(FileRemovals, TheLogKeepsEachStepOnItsLineAndNeverFollowsALink) {
    std::vector<UninstallStep> steps{
        {.title = "Socket", .status = Status::notFound, .detail = "no socket"},
        {.title = "Hooks in ~/x", .status = Status::failed, .detail = "first\nsecond\r\nthird"},
        {.title = "The dossier command", .status = Status::done, .detail = "removed"}};
    EXPECT_EQ(Uninstaller::logRecord(steps, false, "/Applications/K.app", 1772355907),
              "\n== 2026-03-01T09:05:07Z Kestrelhaven uninstall (app /Applications/K.app)\n"
              "Socket: not found — no socket\n"
              "Hooks in ~/x: FAILED — first second  third\n"
              "The dossier command: done — removed\n");
    EXPECT_EQ(Uninstaller::backupStamp(1772355907), "2026-03-01T09-05-07Z");

    // Someone else's file behind a link at the log's place stays as it was.
    const fs::path elsewhere = home.parent_path() / "elsewhere.txt";
    Testing::writeText(elsewhere, "theirs");
    fs::create_directories(Uninstaller::logFile().parent_path());
    fs::create_symlink(elsewhere, Uninstaller::logFile());
    Uninstaller::log(steps, true);
    EXPECT_EQ(Testing::readText(elsewhere), "theirs");

    // A FIFO at its place does not hold the run up.
    fs::remove(Uninstaller::logFile());
    ASSERT_EQ(::mkfifo(Uninstaller::logFile().c_str(), 0600), 0);
    Uninstaller::log(steps, true);
}

} // namespace
