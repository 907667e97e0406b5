#include <AppExtensions/FileURL.h>
#include <Dispatch/RunLoop.h>
#include <Testing/Testing.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <share-core/ShareInput.h>
#include <share-extension/ShareLoader.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace AppExtensions;
using ShareLoader::FileRead;
using testing::ElementsAre;

namespace {

constexpr std::int64_t itemChars = 10; // a budget of 34 bytes
const std::string rtf = R"({\rtf1\ansi Rich {\b words}.})";

template <typename T> T await(Dispatch::Async<T> work) {
    std::optional<T> result;
    struct Runner {
        static Dispatch::Async<void> run(Dispatch::Async<T> work, std::optional<T>* result) {
            *result = co_await work;
        }
    };
    Dispatch::startTask(Runner::run(std::move(work), &result));
    EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return result.has_value(); }, 10));
    return std::move(*result);
}

ShareContents loadItems(std::vector<ExtensionItem> items) {
    return await(ShareLoader::load(std::move(items), itemChars));
}

ShareContents loadOne(std::shared_ptr<ItemProvider> provider) {
    return loadItems({ExtensionItem{std::nullopt, std::nullopt, {std::move(provider)}}});
}

// A provider of `types` in order; a file URL offers `file`, other types `value`.
std::shared_ptr<ItemProvider> offering(std::vector<std::string> types,
                                       const std::filesystem::path& file = {},
                                       Representation value = std::string("shared words"),
                                       std::optional<std::string> name = std::nullopt) {
    auto provider = std::make_shared<ItemProvider>();
    for (auto& type : types) {
        if (type == "public.file-url") {
            provider->registerFile(file);
        } else {
            provider->registerItem(type, value);
        }
    }
    provider->setSuggestedName(std::move(name));
    return provider;
}

// Contents holding only `value` in `field`.
template <typename Field>
ShareContents only(Field ShareContents::*field, std::type_identity_t<Field> value) {
    ShareContents contents;
    contents.*field = std::move(value);
    return contents;
}

void makeSparse(const std::filesystem::path& path, off_t size) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

class ShareLoaderTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const std::string& text) {
        const auto path = m_folder.path() / name;
        Testing::writeText(path, text);
        return path;
    }
    std::filesystem::path path(const std::string& name) const { return m_folder.path() / name; }

private:
    Testing::TemporaryFolder m_folder;
};

} // namespace

TEST_F(ShareLoaderTest, TheFirstNonBlankTitleWinsUntrimmedAndBlankContentTextsAreDropped) {
    using Foundation::AttributedString;
    auto contents = loadItems({
        {AttributedString(" \n "), AttributedString(" \n\t"), {}},
        {AttributedString(" Page "), AttributedString("\tWord"), {}},
        {AttributedString("Later"), AttributedString("More\r\nlines"), {}},
    });
    EXPECT_EQ(contents.pageTitle, " Page ");
    EXPECT_THAT(contents.texts, ElementsAre("\tWord", "More\nlines"));
}

TEST_F(ShareLoaderTest, EachKindOfAttachmentEndsWhereItBelongs) {
    const auto log = write("notes.log", "Log lines");
    const auto rich = write("letter.txt", rtf);
    const auto markdown = write("Trip.md", "# Trip");
    const auto fifo = path("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto mailto = *Foundation::URL::parse("mailto:someone@example.com");
    const auto https = *Foundation::URL::parse("HTTPS://example.com/page");
    auto utf16First = std::make_shared<ItemProvider>();
    utf16First->registerItem("public.png", Representation(Foundation::Data{1}));
    utf16First->registerItem("public.utf8-plain-text",
                             Representation(Foundation::Data{0xff, 0xfe, 'h', 0, 'i', 0}));
    utf16First->registerItem("public.plain-text", Representation(Foundation::Data{0xff}));
    struct Case {
        const char* what;
        std::shared_ptr<ItemProvider> provider;
        ShareContents expected;
    } cases[] = {
        {"a file offered with a plain-text type is read whatever its name",
         offering({"public.file-url", "public.plain-text"}, log),
         only(&ShareContents::files, {{"notes.log", "Log lines"}})},
        {"a file offered only by URL is judged by its name", offering({"public.file-url"}, log),
         only(&ShareContents::otherFiles, {"notes.log"})},
        {"a file offered with RTF is read as rich text",
         offering({"public.file-url", "public.rtf"}, rich),
         only(&ShareContents::files, {{"letter.txt", "Rich words."}})},
        {"Markdown", offering({"public.file-url", "net.daringfireball.markdown"}, markdown),
         only(&ShareContents::files, {{"Trip.md", "# Trip"}})},
        {"a FIFO is unreadable, never waited on",
         offering({"public.file-url", "public.plain-text"}, fifo),
         only(&ShareContents::unreadableFiles, {"pipe.txt"})},
        {"a missing file", offering({"public.file-url", "public.data"}, path("gone.md")),
         only(&ShareContents::unreadableFiles, {"gone.md"})},
        {"text", offering({"public.plain-text"}), only(&ShareContents::texts, {"shared words"})},
        {"a text over budget", offering({"public.plain-text"}, {}, std::string(35, 'x')),
         only(&ShareContents::oversizedFiles, {"The shared text"})},
        {"the first accepted text type is asked for", utf16First,
         only(&ShareContents::texts, {"hi"})},
        {"RTF data", offering({"public.rtf"}, {}, Foundation::dataFrom(rtf)),
         only(&ShareContents::texts, {"Rich words."})},
        {"flat RTFD data does not read",
         offering({"com.apple.rtfd"}, {}, Foundation::dataFrom(rtf)),
         {}},
        {"a mail link", offering({"public.url"}, {}, mailto), {}},
        {"a web link in capitals", offering({"public.url"}, {}, https),
         only(&ShareContents::webURLs, {https})},
        {"a link that gives no URL", offering({"public.url"}, {}, Foundation::Data{}, "Link"),
         only(&ShareContents::otherFiles, {"Link"})},
        {"another kind, named", offering({"public.png"}, {}, Foundation::Data{}, "photo.png"),
         only(&ShareContents::otherFiles, {"photo.png"})},
        {"another kind, unnamed", offering({"public.png"}), {}},
    };
    for (auto& c : cases) {
        EXPECT_EQ(loadOne(c.provider), c.expected) << c.what;
    }
}

TEST_F(ShareLoaderTest, FilesAreReadUpToTheirBudgetAndNoFurther) {
    const auto budget = ShareInput::maxFileBytes(itemChars);
    EXPECT_EQ(ShareLoader::readTextFile(write("at.txt", std::string(budget, 'a')), itemChars),
              (FileRead{FileRead::Text{std::string(budget, 'a')}}));
    EXPECT_EQ(ShareLoader::readTextFile(write("over.txt", std::string(budget + 1, 'a')), itemChars),
              (FileRead{FileRead::TooBig{}}));
    EXPECT_EQ(ShareLoader::readTextFile(write("nul.txt", std::string("a\0b", 3)), itemChars),
              (FileRead{FileRead::Unreadable{}}));

    // An RTFD package counts its files, links not followed.
    const auto package = path("Note.rtfd");
    std::filesystem::create_directories(package);
    Testing::writeText(package / "TXT.rtf", rtf);
    makeSparse(package / "picture.png", ShareInput::maxRichFileBytes - rtf.size());
    makeSparse(path("huge"), 2 * ShareInput::maxRichFileBytes);
    std::filesystem::create_symlink(path("huge"), package / "link.png");
    EXPECT_EQ(ShareLoader::readRichFile(package), (FileRead{FileRead::Text{"Rich words."}}));
    makeSparse(package / "picture.png", ShareInput::maxRichFileBytes - rtf.size() + 1);
    EXPECT_EQ(ShareLoader::readRichFile(package), (FileRead{FileRead::TooBig{}}));

    makeSparse(path("big.rtf"), ShareInput::maxRichFileBytes + 1);
    EXPECT_EQ(ShareLoader::readRichFile(path("big.rtf")), (FileRead{FileRead::TooBig{}}));
    const auto fifo = path("pipe.rtf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ShareLoader::readRichFile(fifo), (FileRead{FileRead::Unreadable{}}));

    // A link is followed to a regular file, as for plain text, and judged by that file.
    const std::pair<std::filesystem::path, FileRead> linked[] = {
        {write("letter.rtf", rtf), FileRead{FileRead::Text{"Rich words."}}},
        {path("big.rtf"), FileRead{FileRead::TooBig{}}},
        {fifo, FileRead{FileRead::Unreadable{}}},
    };
    for (const auto& [target, expected] : linked) {
        const auto link = path("link-" + target.filename().string());
        std::filesystem::create_symlink(target, link);
        EXPECT_EQ(ShareLoader::readRichFile(link), expected) << target;
    }
}

TEST_F(ShareLoaderTest, SizeLimitsApplyToSharedFilesAndEveryScopeOpenedIsClosed) {
    const auto budget = ShareInput::maxFileBytes(itemChars);
    const auto at = write("at.md", std::string(budget, 'a'));
    const auto over = write("over.md", std::string(budget + 1, 'a'));
    const auto rich = write("letter.rtf", rtf);
    const auto held = write("held.txt", "held");
    ExtensionItem item;
    for (const auto& file : {at, over, rich, held}) {
        item.attachments.push_back(
            offering({"public.file-url", "net.daringfireball.markdown"}, file));
    }
    ASSERT_TRUE(SecurityScope::startAccessing(held)) << "the host's grant opens the scope";
    const auto contents = loadItems({item});
    EXPECT_THAT(contents.files,
                ElementsAre(ShareFile{"at.md", std::string(budget, 'a')},
                            ShareFile{"letter.rtf", "Rich words."}, ShareFile{"held.txt", "held"}));
    EXPECT_THAT(contents.oversizedFiles, ElementsAre("over.md"));
    for (const auto& file : {at, over, rich}) {
        EXPECT_EQ(SecurityScope::accessCount(file), 0) << file;
    }
    EXPECT_EQ(SecurityScope::accessCount(held), 1) << "the loader closes only what it opened";
}
