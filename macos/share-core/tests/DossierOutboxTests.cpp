// The App Group container and the outbox files: names, formats, read rules, writes and the sweep.
#include "DossierOutbox.h"
#include "ShareGroup.h"
#include "ShareGroupHome.h"

#include <JSONCoding/JSONCoding.h>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ref(char digit) {
    return "s" + std::string(32, digit);
}

DossierOutboxItem item(const std::string& ref, double createdAt = 1000, std::string text = "t") {
    return {ref, "Title", std::move(text), std::nullopt, std::nullopt, createdAt};
}

DossierShareAnswer answer(const std::string& ref, double at) {
    return {ref, DossierShareAnswer::State::added, "Added.", std::nullopt, 2, "work", at};
}

mode_t modeOf(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}

class Outbox : public ShareGroupHome {
protected:
    DossierOutbox outbox = DossierOutbox::shared(group).value();

    void write(const std::string& name, const std::string& text) {
        Testing::writeText(outbox.directory / name, text);
    }
    bool exists(const std::string& name) const {
        std::error_code ignored;
        return std::filesystem::exists(std::filesystem::symlink_status(outbox.directory / name));
    }

    // The items as a caller keeps them from what the cached listings report changed, which
    // must be what a listing without the cache gives.
    std::vector<DossierOutboxItem> cached(DossierOutbox::ItemCache& cache) {
        for (const auto& change : outbox.changes(cache)) {
            if (change.item) {
                kept.insert_or_assign(change.ref, change.item);
            } else {
                EXPECT_TRUE(kept.contains(change.ref)) << change.ref;
                kept.erase(change.ref);
            }
        }
        std::vector<DossierOutboxItem> items;
        for (const auto& [ref, item] : kept)
            items.push_back(*item);
        std::sort(items.begin(), items.end(), DossierOutbox::olderFirst);
        EXPECT_EQ(items, outbox.items());
        return items;
    }
    std::map<std::string, std::shared_ptr<const DossierOutboxItem>> kept;
};

} // namespace

TEST(ShareGroup, ReadsItsIdentifierFromTheBundle) {
    Testing::TemporaryFolder folder;
    using Foundation::Bundle;
    EXPECT_EQ(ShareGroup::identifier(Bundle(
                  Testing::makeBundle(folder.path(), {{"KHAppGroup", " group.x "}}, "A.app"))),
              " group.x ");
    EXPECT_FALSE(ShareGroup::identifier(
        Bundle(Testing::makeBundle(folder.path(), {{"KHAppGroup", ""}}, "B.app"))));
    EXPECT_FALSE(ShareGroup::identifier(
        Bundle(Testing::makeBundle(folder.path(), {{"KHAppGroup", 7}}, "C.app"))));
    EXPECT_FALSE(ShareGroup::identifier(Bundle(Testing::makeBundle(folder.path(), {}, "D.app"))));
}

TEST_F(Outbox, LiesInTheContainerAndCreatesNothingUntilPrepared) {
    EXPECT_EQ(outbox.directory, container() / "DossierOutbox");
    EXPECT_FALSE(std::filesystem::exists(container()));
    EXPECT_FALSE(DossierOutbox::shared(".."));
    EXPECT_FALSE(outbox.prepare());
    EXPECT_EQ(modeOf(outbox.directory), 0700u);
    EXPECT_EQ(modeOf(container()), 0700u);
    // An existing folder keeps its permissions.
    std::filesystem::permissions(outbox.directory, std::filesystem::perms(0750));
    EXPECT_FALSE(outbox.prepare());
    EXPECT_EQ(modeOf(outbox.directory), 0750u);
}

TEST_F(Outbox, OnlyExactRefsNameFiles) {
    const std::string fresh = DossierOutbox::newRef();
    EXPECT_TRUE(DossierOutbox::isValidRef(fresh));
    EXPECT_NE(fresh, DossierOutbox::newRef());
    EXPECT_TRUE(DossierOutbox::isValidRef(ref('a')));
    for (const std::string& bad :
         {"S" + std::string(32, 'a'), "s" + std::string(32, 'A'), "s" + std::string(31, 'a'),
          "s" + std::string(33, 'a'), "s" + std::string(31, 'a') + "g", std::string("")})
        EXPECT_FALSE(DossierOutbox::isValidRef(bad)) << bad;
    EXPECT_EQ(DossierOutbox::refFromFileName(ref('1') + ".json"), ref('1'));
    EXPECT_FALSE(DossierOutbox::refFromFileName(ref('1') + ".answer.json"));
    EXPECT_EQ(DossierOutbox::refFromAnswerName(ref('1') + ".answer.json"), ref('1'));
    EXPECT_FALSE(DossierOutbox::refFromAnswerName(ref('1') + ".json"));

    // Names that are almost refs, and temporary files, are neither read nor touched.
    ASSERT_FALSE(outbox.add(item(ref('b'))));
    const std::string upper = "s" + std::string(32, 'B');
    write(upper + ".json", item(upper).json().dump());
    write(upper + ".answer.json", "{}");
    write("s" + std::string(33, 'b') + ".answer.json", "{}");
    write("." + ref('c') + ".json.0A1B2C3D.tmp", item(ref('c')).json().dump());
    EXPECT_EQ(outbox.refs(), std::vector<std::string>{ref('b')});
    outbox.sweepAnswers(1e15, 0);
    outbox.remove(upper);
    EXPECT_TRUE(exists(upper + ".json"));
    EXPECT_TRUE(exists(upper + ".answer.json"));
    EXPECT_TRUE(exists("s" + std::string(33, 'b') + ".answer.json"));
    EXPECT_TRUE(exists("." + ref('c') + ".json.0A1B2C3D.tmp"));
}

TEST_F(Outbox, ItemsAndAnswersRoundTripThroughTheirFiles) {
    DossierOutboxItem shared{ref('a'), "A/B", "text", "tag", std::nullopt, 1712345678901.5};
    ASSERT_FALSE(outbox.add(shared));
    EXPECT_EQ(outbox.item(ref('a')), shared);
    const std::string file = Testing::readText(outbox.url(ref('a')));
    // The platform encoder's form: slashes escaped, absent options left out, one line.
    EXPECT_NE(file.find(R"("title":"A\/B")"), std::string::npos) << file;
    EXPECT_EQ(file.find("source"), std::string::npos);
    EXPECT_EQ(file.find('\n'), std::string::npos);
    EXPECT_EQ(modeOf(outbox.url(ref('a'))), 0600u);

    // Adding the same ref again replaces the file whole; nothing temporary stays.
    shared.title = "Second";
    ASSERT_FALSE(outbox.add(shared));
    EXPECT_EQ(outbox.item(ref('a'))->title, "Second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outbox.directory), {}), 1);

    const DossierShareAnswer written = answer(ref('a'), 5);
    ASSERT_FALSE(outbox.writeAnswer(written));
    EXPECT_EQ(outbox.answer(ref('a')), written);
    EXPECT_EQ(Testing::readText(outbox.answerURL(ref('a'))),
              R"({"ref":")" + ref('a') +
                  R"(","state":"added","msg":"Added.","minutes":2,"tag":"work","at":5.0})");
}

TEST_F(Outbox, ReadersTrustOnlyWellFormedRegularFiles) {
    ASSERT_FALSE(outbox.prepare());
    const std::string r = ref('d');
    const auto answerText = [&](const std::string& inner) {
        return R"({"ref":")" + r + R"(","msg":"m","at":1,)" + inner + "}";
    };
    // Null and unknown keys are fine; a foreign state or fractional minutes are not.
    write(DossierOutbox::answerName(r), answerText(R"("state":"held","reason":null,"x":[1])"));
    EXPECT_EQ(outbox.answer(r)->reason, std::nullopt);
    write(DossierOutbox::answerName(r), answerText(R"("state":"lost")"));
    EXPECT_FALSE(outbox.answer(r));
    write(DossierOutbox::answerName(r), answerText(R"("state":"added","minutes":2.5)"));
    EXPECT_FALSE(outbox.answer(r));
    write(DossierOutbox::answerName(r), answerText(R"("state":"added","minutes":"2")"));
    EXPECT_FALSE(outbox.answer(r));

    // An item whose ref differs from its name is skipped, and left where it is.
    write(DossierOutbox::fileName(r), item(ref('e')).json().dump());
    EXPECT_FALSE(outbox.item(r));
    EXPECT_TRUE(outbox.items().empty());
    EXPECT_TRUE(exists(DossierOutbox::fileName(r)));
    write(DossierOutbox::fileName(r), R"({"ref":")" + r + R"(","title":"t","text":"x"})");
    EXPECT_FALSE(outbox.item(r));

    // A link named like an item is absent, even to a good file; so is a folder.
    const std::string linked = ref('f');
    ASSERT_FALSE(outbox.add(item(linked)));
    std::filesystem::rename(outbox.url(linked), outbox.directory / "target.json");
    std::filesystem::create_symlink(outbox.directory / "target.json", outbox.url(linked));
    EXPECT_FALSE(outbox.item(linked));
    std::filesystem::create_directory(outbox.url(ref('9')));
    EXPECT_FALSE(outbox.item(ref('9')));
    EXPECT_FALSE(outbox.item("../" + ref('9')));
}

TEST_F(Outbox, SizeLimitsAreInclusive) {
    ASSERT_FALSE(outbox.prepare());
    // An item file of exactly the limit is read; one byte more is not.
    const std::string r = ref('a');
    const std::string empty = item(r, 1000, "").json().dump();
    const std::string exact =
        item(r, 1000, std::string(DossierOutbox::maxFileBytes - empty.size(), 'x')).json().dump();
    ASSERT_EQ(exact.size(), DossierOutbox::maxFileBytes);
    write(DossierOutbox::fileName(r), exact);
    EXPECT_TRUE(outbox.item(r));
    write(DossierOutbox::fileName(r), exact + " ");
    EXPECT_FALSE(outbox.item(r));
    EXPECT_TRUE(outbox.items().empty());

    const std::string a = ref('b');
    const std::string answerEmpty = answer(a, 1).json().dump();
    DossierShareAnswer big = answer(a, 1);
    big.msg += std::string(DossierOutbox::maxAnswerBytes - answerEmpty.size(), 'm');
    ASSERT_EQ(big.json().dump().size(), DossierOutbox::maxAnswerBytes);
    write(DossierOutbox::answerName(a), big.json().dump());
    EXPECT_TRUE(outbox.answer(a));
    write(DossierOutbox::answerName(a), big.json().dump() + "\n");
    EXPECT_FALSE(outbox.answer(a));
}

TEST_F(Outbox, ItemsComeOldestFirstAndTiesByRef) {
    ASSERT_FALSE(outbox.add(item(ref('c'), 20)));
    ASSERT_FALSE(outbox.add(item(ref('b'), 10)));
    ASSERT_FALSE(outbox.add(item(ref('a'), 20)));
    ASSERT_FALSE(outbox.add(item(ref('0'), 5.5)));
    std::vector<std::string> order;
    for (const auto& each : outbox.items())
        order.push_back(each.ref);
    EXPECT_EQ(order, (std::vector<std::string>{ref('0'), ref('b'), ref('a'), ref('c')}));
}

TEST_F(Outbox, ACachedListingFollowsEveryChangeOfTheFiles) {
    DossierOutbox::ItemCache cache;
    const auto listed = [&] {
        std::vector<std::string> titles;
        for (const auto& each : cached(cache))
            titles.push_back(each.title);
        return titles;
    };
    EXPECT_TRUE(listed().empty());
    auto first = item(ref('a'), 20);
    ASSERT_FALSE(outbox.add(first));
    ASSERT_FALSE(outbox.add(item(ref('b'), 10)));
    const auto before = listed();
    EXPECT_EQ(before.size(), 2u);
    // Nothing changed, nothing reported, whether the folder is looked at whole or not.
    EXPECT_TRUE(outbox.changes(cache).empty());
    cache.revalidate();
    EXPECT_TRUE(outbox.changes(cache).empty());
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('a'), 1)));
    EXPECT_TRUE(outbox.changes(cache).empty());

    // Replaced with text of the same length, in place or atomically; the older one goes.
    first.title = std::string(first.title.size(), 'z');
    ASSERT_FALSE(outbox.add(first));
    EXPECT_EQ(listed().back(), first.title);
    first.title = std::string(first.title.size(), 'y');
    write(DossierOutbox::fileName(first.ref), first.json().dump());
    EXPECT_EQ(listed().back(), first.title);
    outbox.remove(ref('b'));
    EXPECT_EQ(listed(), std::vector<std::string>{first.title});

    // A file that stops reading leaves the listing, cached or not, and comes back once it reads.
    write(DossierOutbox::fileName(first.ref), "{broken");
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(listed().empty());
    write(DossierOutbox::fileName(first.ref), first.json().dump());
    EXPECT_EQ(listed(), std::vector<std::string>{first.title});
    std::filesystem::remove(outbox.url(first.ref));
    std::filesystem::create_directory(outbox.url(first.ref));
    EXPECT_TRUE(listed().empty());
}

TEST_F(Outbox, ACachedListingReadsAFileThatDidNotReadOnlyOnceItChanges) {
    DossierOutbox::ItemCache cache;
    const auto first = item(ref('a'), 20);
    write(DossierOutbox::fileName(first.ref), "{broken");
    EXPECT_TRUE(cached(cache).empty());

    // Made good through a link from another folder, which tells this one nothing, it is not
    // read again until a whole look finds it changed.
    Testing::TemporaryFolder elsewhere;
    std::filesystem::create_hard_link(outbox.url(first.ref), elsewhere.path() / "link");
    Testing::writeText(elsewhere.path() / "link", first.json().dump());
    EXPECT_TRUE(outbox.changes(cache).empty());
    cache.revalidate();
    EXPECT_EQ(cached(cache), std::vector<DossierOutboxItem>{first});
}

TEST_F(Outbox, AListingTellsWhatItCouldNotRead) {
    const auto good = item(ref('a'));
    ASSERT_FALSE(outbox.add(good));
    write(DossierOutbox::fileName(ref('b')), "{broken");
    write(DossierOutbox::fileName(ref('c')), "");
    std::filesystem::resize_file(outbox.url(ref('c')), DossierOutbox::maxFileBytes + 1);
    auto listing = outbox.listing();
    EXPECT_EQ(listing.items, std::vector<DossierOutboxItem>{good});
    EXPECT_EQ(listing.unread, (std::vector<DossierOutbox::Unread>{
                                  {DossierOutbox::fileName(ref('c')),
                                   std::make_error_code(std::errc::file_too_large)}}));

    // Root reads a folder whatever its mode; as another user for the file system it does not.
    ASSERT_EQ(::chmod(outbox.directory.c_str(), 0), 0);
    const bool root = ::geteuid() == 0;
    if (root)
        ::setfsuid(65534);
    listing = outbox.listing();
    if (root)
        ::setfsuid(0);
    ::chmod(outbox.directory.c_str(), 0700);
    EXPECT_TRUE(listing.items.empty());
    EXPECT_EQ(listing.unread, (std::vector<DossierOutbox::Unread>{
                                  {outbox.directory.string(),
                                   std::make_error_code(std::errc::permission_denied)}}));

    std::filesystem::remove_all(outbox.directory);
    Testing::writeText(outbox.directory, "not a folder");
    EXPECT_EQ(outbox.listing().unread,
              (std::vector<DossierOutbox::Unread>{
                  {outbox.directory.string(), std::make_error_code(std::errc::not_a_directory)}}));
    EXPECT_TRUE(outbox.items().empty());
}

TEST_F(Outbox, OneRelayHoldsTheOutboxAtATime) {
    std::error_code error;
    auto held = outbox.relayLock("application");
    ASSERT_TRUE(held);
    EXPECT_TRUE(std::filesystem::is_regular_file(outbox.lockURL()));
    EXPECT_EQ(outbox.relayer(), (OutboxRelayer{::getpid(), "application"}));
    EXPECT_FALSE(outbox.relayLock("dossier-outbox", &error));
    EXPECT_EQ(error, std::errc::operation_would_block);
    EXPECT_EQ(outbox.relayer()->role, "application");
    // The extension's writes never wait for it.
    EXPECT_FALSE(outbox.add(item(ref('a'))));
    held.reset();
    EXPECT_TRUE(outbox.relayLock("dossier-outbox"));
}

TEST_F(Outbox, WhateverElseStandsAtTheLocksPathIsMovedAsideAndTheLockTaken) {
    const auto lock = outbox.lockURL();
    std::filesystem::create_directories(lock.parent_path());
    const auto elsewhere = lock.parent_path() / "elsewhere";
    Testing::writeText(elsewhere, "kept");
    const std::vector<std::function<void()>> strangers = {
        [&] { std::filesystem::create_directory(lock); },
        [&] { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); },
        [&] { std::filesystem::create_symlink(elsewhere, lock); },
        [&] { std::filesystem::create_symlink("nowhere", lock); },
    };
    std::vector<std::filesystem::file_type> setAside;
    for (const auto& put : strangers) {
        put();
        const auto type = std::filesystem::symlink_status(lock).type();
        std::filesystem::path aside;
        auto held = outbox.relayLock("application", nullptr, &aside);
        ASSERT_TRUE(held);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(lock)));
        EXPECT_EQ(aside.parent_path(), lock.parent_path());
        EXPECT_TRUE(aside.filename().string().starts_with("DossierOutbox.lock.unusable-"));
        setAside.push_back(std::filesystem::symlink_status(aside).type());
        EXPECT_EQ(setAside.back(), type);
        held.reset();
        std::filesystem::remove(lock);
    }
    EXPECT_EQ(setAside.size(), strangers.size());
    // Never followed: what a link named is as it was.
    EXPECT_EQ(Testing::readText(elsewhere), "kept");
    EXPECT_FALSE(std::filesystem::exists(lock.parent_path() / "nowhere"));
}

TEST_F(Outbox, ACachedListingStartsOverWhenTheFolderIsMadeAgainOrWhenAsked) {
    DossierOutbox::ItemCache cache;
    const auto titles = [&] {
        std::vector<std::string> titles;
        for (const auto& each : cached(cache))
            titles.push_back(each.title);
        return titles;
    };
    auto first = item(ref('a'), 20);
    ASSERT_FALSE(outbox.add(first));
    EXPECT_EQ(titles(), std::vector<std::string>{first.title});

    // A write through a link from another folder tells this one nothing.
    Testing::TemporaryFolder elsewhere;
    std::filesystem::create_hard_link(outbox.url(first.ref), elsewhere.path() / "link");
    first.title = std::string(first.title.size(), 'z');
    Testing::writeText(elsewhere.path() / "link", first.json().dump());
    cache.revalidate();
    EXPECT_EQ(titles(), std::vector<std::string>{first.title});

    std::filesystem::remove_all(outbox.directory);
    EXPECT_TRUE(titles().empty());
    ASSERT_FALSE(outbox.add(item(ref('b'), 10)));
    EXPECT_EQ(titles().size(), 1u);
    ASSERT_FALSE(outbox.add(item(ref('c'), 30)));
    EXPECT_EQ(titles().size(), 2u);
}

TEST_F(Outbox, SweepKeepsAnswersUntilTheyAreStale) {
    const double now = 1'000'000'000;
    const double age = 600000;
    ASSERT_FALSE(outbox.add(item(ref('a'))));
    ASSERT_FALSE(outbox.add(item(ref('b'))));
    // With their items: exactly `age` old stays, a millisecond more goes.
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('a'), now - age)));
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('b'), now - age - 1)));
    // Without: 59 seconds stays, 61 goes.
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('c'), now - 59000)));
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('d'), now - 61000)));
    // Broken ones go whatever their age: a foreign state, a mismatched ref, a link (not its
    // target).
    write(DossierOutbox::answerName(ref('e')), R"({"ref":")" + ref('e') +
                                                   R"(","state":"gone","msg":"m","at":)" +
                                                   std::to_string(now) + "}");
    write(DossierOutbox::answerName(ref('f')), answer(ref('0'), now).json().dump());
    write("kept.json", answer(ref('7'), now).json().dump());
    std::filesystem::create_symlink(outbox.directory / "kept.json", outbox.answerURL(ref('7')));

    outbox.sweepAnswers(now, age);
    EXPECT_TRUE(outbox.answer(ref('a')));
    EXPECT_FALSE(exists(DossierOutbox::answerName(ref('b'))));
    EXPECT_TRUE(outbox.answer(ref('c')));
    EXPECT_FALSE(exists(DossierOutbox::answerName(ref('d'))));
    EXPECT_FALSE(exists(DossierOutbox::answerName(ref('e'))));
    EXPECT_FALSE(exists(DossierOutbox::answerName(ref('f'))));
    EXPECT_FALSE(exists(DossierOutbox::answerName(ref('7'))));
    EXPECT_TRUE(exists("kept.json"));
    // Items are never swept.
    EXPECT_EQ(outbox.items().size(), 2u);
}

TEST_F(Outbox, RemovesByValidRefOnly) {
    ASSERT_FALSE(outbox.add(item(ref('a'))));
    ASSERT_FALSE(outbox.writeAnswer(answer(ref('a'), 1)));
    write("x.json", "{}");
    outbox.remove("x");
    outbox.remove(ref('b'));
    EXPECT_TRUE(exists("x.json"));
    outbox.remove(ref('a'));
    EXPECT_FALSE(outbox.item(ref('a')));
    EXPECT_TRUE(outbox.answer(ref('a')));
    outbox.removeAnswer(ref('a'));
    EXPECT_FALSE(outbox.answer(ref('a')));
}

TEST_F(Outbox, WritesFailWithAReason) {
    EXPECT_EQ(outbox.add(item("bad")), ShareWriteError(OutboxError::badRef()));
    EXPECT_EQ(outbox.writeAnswer(answer("bad", 1)), ShareWriteError(OutboxError::badRef()));
    EXPECT_FALSE(std::filesystem::exists(outbox.directory));
    EXPECT_EQ(outbox.add(item(ref('a'), std::nan(""))), ShareWriteError(OutboxError::encode()));
    EXPECT_EQ(outbox.add(item(ref('a'), 1, "\xFF")), ShareWriteError(OutboxError::encode()));

    // An item too large to be read back is refused rather than saved and lost.
    const auto tooLarge =
        outbox.add(item(ref('a'), 1, std::string(DossierOutbox::maxFileBytes, 'x')));
    EXPECT_EQ(tooLarge, ShareWriteError(OutboxError::write(ref('a') + ".json: File too large")));
    EXPECT_FALSE(outbox.item(ref('a')));

    // A failed rename names the file and the system's reason, and leaves no temporary file.
    std::filesystem::create_directories(outbox.url(ref('b')) / "inside");
    const auto renaming = outbox.add(item(ref('b')));
    ASSERT_TRUE(renaming);
    EXPECT_EQ(description(*renaming),
              "The share file “" + ref('b') + ".json” couldn't be put in place: Is a directory.");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outbox.directory), {}), 1);

    EXPECT_EQ(OutboxError::write("n.json").description(),
              "The share file “n.json” couldn't be put in place.");
    EXPECT_EQ(OutboxError::badRef().description(),
              "The share's reference isn't valid, so nothing was written.");
}

TEST_F(Outbox, AFolderThatCannotBeMadeIsTheFileSystemsError) {
    Testing::writeText(home.path() / "Library", "a file where a folder should be");
    const auto failure = outbox.add(item(ref('a')));
    ASSERT_TRUE(failure);
    const auto* folder = std::get_if<Foundation::Error>(&*failure);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->code, ENOTDIR);
    EXPECT_EQ(description(*failure),
              "The folder “" + outbox.directory.string() + "” couldn't be made: Not a directory.");
}

TEST(DossierOutboxItem, ReadingMinutesFromWords) {
    const auto words = [](int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "word ";
        return item(ref('a'), 1, text);
    };
    EXPECT_EQ(words(0).minutes(), 1);
    EXPECT_EQ(words(240).minutes(), 2);
    EXPECT_EQ(words(399).minutes(), 2);
    EXPECT_EQ(words(400).minutes(), 3);
}
