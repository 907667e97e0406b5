#include <AppExtensions/ExtensionConsole.h>
#include <AppExtensions/ExtensionContext.h>
#include <AppExtensions/ExtensionRequest.h>
#include <AppExtensions/FileURL.h>
#include <Dispatch/RunLoop.h>
#include <SwiftUI/SwiftUI.h>
#include <Testing/Testing.h>
#include <UniformTypeIdentifiers/UTType.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace AppExtensions;
using UniformTypeIdentifiers::UTType;

namespace {

template <typename T>
std::optional<T> await(const std::function<void(std::function<void(std::optional<T>)>)>& load) {
    std::optional<std::optional<T>> result;
    load([&](std::optional<T> value) {
        Dispatch::RunLoop::main().perform([&result, value] { result = value; });
    });
    EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return result.has_value(); }, 5));
    return result.value_or(std::nullopt);
}

std::optional<std::string> loadString(const ItemProvider& provider) {
    return await<std::string>([&](auto done) { provider.loadString(done); });
}

} // namespace

TEST(UTType, ConformanceFollowsTheHierarchyAndUnknownTypesHaveNone) {
    struct Case {
        const char* type;
        const char* to;
        bool conforms;
    } cases[] = {
        {"net.daringfireball.markdown", "public.plain-text", true},
        {"net.daringfireball.markdown", "public.text", true},
        {"public.utf8-plain-text", "public.plain-text", true},
        {"public.utf16-plain-text", "public.plain-text", true},
        {"public.file-url", "public.url", true},
        {"public.url", "public.file-url", false},
        {"public.rtf", "public.plain-text", false},
        {"com.apple.rtfd", "public.text", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UTType::make(c.type)->conforms(*UTType::make(c.to)), c.conforms)
            << c.type << " → " << c.to;
    }
    EXPECT_FALSE(UTType::make("public.heic"));
    EXPECT_EQ(UTType::forFileName("Notes.MD").identifier(), "net.daringfireball.markdown");
    EXPECT_EQ(UTType::forFileName("a.txt").identifier(), "public.plain-text");
    EXPECT_EQ(UTType::forFileName("a.rtfd").identifier(), "com.apple.rtfd");
    EXPECT_EQ(UTType::forFileName("photo.png").identifier(), "public.data");
}

TEST(FileURL, RoundTripsPathsWithSpecialCharactersAndRefusesOtherURLs) {
    for (std::string path : {"/tmp/a b/Trip notes.md", "/x/100%?#.txt", "/é/ü.rtf"}) {
        EXPECT_EQ(filePath(fileURL(path)), std::filesystem::path(path)) << path;
    }
    EXPECT_FALSE(filePath(*Foundation::URL::parse("https://example.com/a")));
    EXPECT_FALSE(filePath(*Foundation::URL::parse("file://server/a")));
    EXPECT_EQ(filePath(*Foundation::URL::parse("FILE://localhost/a")), std::filesystem::path("/a"));
}

TEST(ItemProvider, LoadsByConformanceInRegistrationOrderAndAnswersNothingWhenItHasNothing) {
    ItemProvider provider;
    provider.registerItem("public.png", Representation(Foundation::dataFrom("png")));
    provider.registerItem("public.utf8-plain-text", Representation(Foundation::dataFrom("utf-8")));
    provider.registerItem("public.plain-text", Representation(std::string("plain")));
    EXPECT_EQ(loadString(provider), "utf-8");
    EXPECT_EQ(await<Foundation::Data>(
                  [&](auto done) { provider.loadDataRepresentation("public.png", done); }),
              Foundation::dataFrom("png"));
    EXPECT_FALSE(await<Foundation::URL>([&](auto done) { provider.loadURL(done); }));

    ItemProvider invalid;
    invalid.registerItem("public.plain-text", Representation(Foundation::Data{0xff, 0xfe, 'a', 0}));
    EXPECT_FALSE(loadString(invalid)) << "bytes that are not UTF-8 make no string";
}

TEST(ExtensionRequest, RoundTripsAndOffersEachAttachmentAsAShareMenuWould) {
    std::vector<SharedItem> items{{"Trip",
                                   "Body",
                                   {{SharedAttachment::Kind::Text, "hello"},
                                    {SharedAttachment::Kind::Link, "https://example.com/a"},
                                    {SharedAttachment::Kind::File, "/tmp/Notes.md"}}}};
    auto decoded = decodeRequest(Foundation::dataFrom(encodeRequest(items)));
    ASSERT_TRUE(decoded);
    auto extension = extensionItems(*decoded);
    ASSERT_EQ(extension.size(), 1u);
    EXPECT_EQ(extension[0].attributedTitle->string(), "Trip");
    EXPECT_EQ(extension[0].attributedContentText->string(), "Body");
    ASSERT_EQ(extension[0].attachments.size(), 3u);
    EXPECT_EQ(extension[0].attachments[0]->registeredTypeIdentifiers(),
              std::vector<std::string>{"public.plain-text"});
    EXPECT_EQ(extension[0].attachments[1]->registeredTypeIdentifiers(),
              std::vector<std::string>{"public.url"});
    EXPECT_EQ(extension[0].attachments[2]->registeredTypeIdentifiers(),
              (std::vector<std::string>{"public.file-url", "net.daringfireball.markdown"}));
    EXPECT_EQ(extension[0].attachments[2]->suggestedName(), "Notes.md");

    for (const char* bad : {"[]", R"({"items":[{"title":3}]})",
                            R"({"items":[{"attachments":[{"file":"relative.md"}]}]})",
                            R"({"items":[{"attachments":[{"text":"a","url":"b"}]}]})"}) {
        EXPECT_FALSE(decodeRequest(Foundation::dataFrom(bad))) << bad;
    }
}

TEST(SecurityScope, OnlyGrantedFilesOpenAndPairsAreCounted) {
    const std::filesystem::path granted = "/tmp/kh-scope-test/granted.md";
    EXPECT_FALSE(SecurityScope::startAccessing(granted));
    ItemProvider provider;
    provider.registerFile(granted);
    EXPECT_TRUE(SecurityScope::startAccessing(granted));
    EXPECT_TRUE(SecurityScope::startAccessing(granted));
    EXPECT_EQ(SecurityScope::accessCount(granted), 2);
    SecurityScope::stopAccessing(granted);
    SecurityScope::stopAccessing(granted);
    SecurityScope::stopAccessing(granted);
    EXPECT_EQ(SecurityScope::accessCount(granted), 0);
}

TEST(ExtensionContext, EndsOnceWhicheverCallComesFirst) {
    ExtensionContext context({});
    int ends = 0;
    context.setOnEnd([&](const ExtensionContext::Outcome&) { ++ends; });
    context.cancelRequest(userCancelled);
    context.completeRequest();
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(context.outcome(), (ExtensionContext::Outcome{false, userCancelled}));
}

TEST(ExtensionConsole, LinesPressControlsTypeIntoFieldsAndPressReturn) {
    auto text = std::make_shared<std::string>();
    int adds = 0;
    SwiftUI::HostingController host(SwiftUI::VStack({
        SwiftUI::Text("Notes\x1b[2J from Mia"),
        SwiftUI::TextField("Title", SwiftUI::Binding<std::string>(
                                        [text] { return *text; },
                                        [text](const std::string& value) { *text = value; })),
        SwiftUI::Button("Add", [&] { ++adds; })
            .keyboardShortcut(SwiftUI::KeyboardShortcut::DefaultAction),
    }));
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    Testing::TemporaryFolder folder;
    std::FILE* output = std::fopen((folder.path() / "console.txt").c_str(), "w+");
    {
        ExtensionConsole console(host, output, pipeEnds[0]);
        console.show();
        EXPECT_TRUE(console.perform("A Trip notes"));
        EXPECT_EQ(*text, "Trip notes");
        EXPECT_TRUE(console.perform("1"));
        EXPECT_TRUE(console.perform(""));
        EXPECT_EQ(adds, 2);
        EXPECT_FALSE(console.perform("9"));
        ASSERT_EQ(::write(pipeEnds[1], "1\n", 2), 2);
        EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return adds == 3; }, 5))
            << "lines read from the input act in the main run loop";
    }
    ::close(pipeEnds[1]);
    std::rewind(output);
    std::string shown(4096, '\0');
    shown.resize(std::fread(shown.data(), 1, shown.size(), output));
    std::fclose(output);
    EXPECT_NE(shown.find("[1] Add"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[A text] type into “Title”"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Nothing is there."), std::string::npos) << shown;
    EXPECT_NE(shown.find("Notes\uFFFD[2J from Mia"), std::string::npos)
        << "a text's control characters never reach the terminal";
}
