// From shared input to a draft or a problem.
#include "ShareInput.h"

#include <gtest/gtest.h>

namespace {

using Foundation::URL;

constexpr std::int64_t limit = 300000;

ShareDraft draftOf(const ShareContents& contents, std::int64_t itemChars = limit) {
    const DraftResult result = ShareInput::draft(contents, itemChars);
    if (const auto* draft = std::get_if<ShareDraft>(&result))
        return *draft;
    ADD_FAILURE() << "no draft: " << std::get<ShareProblem>(result).code();
    return {};
}

ShareProblem problemOf(const ShareContents& contents, std::int64_t itemChars = limit) {
    const DraftResult result = ShareInput::draft(contents, itemChars);
    if (const auto* problem = std::get_if<ShareProblem>(&result))
        return *problem;
    ADD_FAILURE() << "a draft instead of a problem";
    return ShareProblem::nothing();
}

URL url(const char* text) {
    return URL::parse(text).value();
}

} // namespace

TEST(ShareInput, AcceptsTextMarkdownAndRichFilesByExtension) {
    EXPECT_TRUE(ShareInput::acceptsFile("Notes.MD"));
    EXPECT_TRUE(ShareInput::acceptsFile("a.markdown"));
    EXPECT_TRUE(ShareInput::acceptsFile("a.text"));
    EXPECT_TRUE(ShareInput::acceptsFile("a.rtf"));
    EXPECT_FALSE(ShareInput::acceptsFile("README"));
    EXPECT_FALSE(ShareInput::acceptsFile("a.md.png"));
    EXPECT_TRUE(ShareInput::isRichFile("Doc.RTFD"));
    EXPECT_FALSE(ShareInput::isRichFile("a.txt"));
    EXPECT_EQ(ShareInput::maxFileBytes(300000), 900004);
    EXPECT_EQ(ShareInput::maxFileBytes(std::numeric_limits<std::int64_t>::max() / 2),
              std::numeric_limits<std::int64_t>::max());
}

TEST(ShareInput, FindsWebLinksInText) {
    EXPECT_EQ(ShareInput::webURL("  https://example.com/a \n")->absoluteString(),
              "https://example.com/a");
    EXPECT_TRUE(ShareInput::webURL("HTTP://EXAMPLE.COM"));
    EXPECT_FALSE(ShareInput::webURL("see https://example.com"));
    EXPECT_FALSE(ShareInput::webURL("https://exa\u00A0mple.com"));
    EXPECT_FALSE(ShareInput::webURL("ftp://example.com"));
    EXPECT_FALSE(ShareInput::webURL("https:/path-only"));
    EXPECT_FALSE(ShareInput::webURL("example.com"));
    EXPECT_FALSE(ShareInput::webURL(""));
}

TEST(ShareInput, LeadLinesOfRichDocuments) {
    EXPECT_EQ(ShareInput::leadLine("\n  Title  \n\nBody"), "Title");
    EXPECT_FALSE(ShareInput::leadLine("Only line\n \n"));
    EXPECT_FALSE(ShareInput::leadLine(std::string(101, 'x') + "\nbody"));
    EXPECT_EQ(ShareInput::leadLine(std::string(100, 'x') + "\nbody"), std::string(100, 'x'));
}

TEST(ShareInput, TheFirstFileWithTextWins) {
    ShareContents contents;
    contents.files = {{"empty.txt", " \n "}, {"notes.txt", "Line one\r\nLine two"}};
    contents.texts = {"ignored text"};
    contents.webURLs = {url("https://ignored.test")};
    contents.pageTitle = "Ignored title";
    const ShareDraft draft = draftOf(contents);
    EXPECT_EQ(draft.kind, ShareDraft::Kind(ShareDraft::File{"notes.txt"}));
    EXPECT_EQ(draft.text, "Line one\nLine two");
    EXPECT_EQ(draft.title, "notes");
    EXPECT_EQ(draft.source, "notes.txt");
    EXPECT_EQ(draft.sourceLine(), "notes.txt");
    EXPECT_EQ(draft.kindName(), "file");
}

TEST(ShareInput, ARichFilesLeadLineIsItsTitle) {
    ShareContents contents;
    contents.files = {{"letter.rtf", "Dear Sam\n\nA sentence."}};
    EXPECT_EQ(draftOf(contents).title, "Dear Sam");
    contents.files = {{"letter.txt", "Dear Sam\n\nA sentence."}};
    EXPECT_EQ(draftOf(contents).title, "letter");
    // The source is clipped; the kind keeps the whole name.
    const std::string longName = std::string(130, 'n') + ".md";
    contents.files = {{longName, "x"}};
    EXPECT_EQ(draftOf(contents).source, std::string(120, 'n'));
    EXPECT_EQ(draftOf(contents).kind, ShareDraft::Kind(ShareDraft::File{longName}));
}

TEST(ShareInput, ASingleLinkTextBecomesALink) {
    ShareContents contents;
    contents.texts = {"  https://example.com/page  "};
    const ShareDraft link = draftOf(contents);
    EXPECT_EQ(link.kind, ShareDraft::Kind(ShareDraft::Link{"example.com"}));
    EXPECT_EQ(link.text, "# example.com\n\n<https://example.com/page>\n");
    EXPECT_EQ(link.title, "example.com");
    EXPECT_EQ(link.source, "example.com");
    EXPECT_EQ(link.sourceLine(), "Link · example.com");

    contents.texts = {"read https://example.com/page"};
    EXPECT_EQ(draftOf(contents).kind, ShareDraft::Kind(ShareDraft::Text{}));
    contents.texts = {"ftp://example.com/file"};
    EXPECT_EQ(draftOf(contents).kind, ShareDraft::Kind(ShareDraft::Text{}));
    contents.texts = {"HTTPS://EXAMPLE.COM/"};
    EXPECT_EQ(draftOf(contents).kind, ShareDraft::Kind(ShareDraft::Link{"EXAMPLE.COM"}));
}

TEST(ShareInput, TextsBesideALinkGiveItsTitleOrBody) {
    ShareContents contents;
    contents.webURLs = {url("https://example.com/a")};
    contents.texts = {"A short phrase", " https://example.com/a\n"};
    ShareDraft draft = draftOf(contents);
    EXPECT_EQ(draft.title, "A short phrase");
    EXPECT_EQ(draft.text, "# A short phrase\n\n<https://example.com/a>\n");

    contents.texts = {"First paragraph.", "Second paragraph."};
    draft = draftOf(contents);
    EXPECT_EQ(draft.title, "example.com");
    EXPECT_EQ(
        draft.text,
        "# example.com\n\n<https://example.com/a>\n\nFirst paragraph.\n\nSecond paragraph.\n");

    // A page title wins over a phrase, which then goes into the body; repeats stay beside a link.
    contents.pageTitle = "  The Page  ";
    contents.texts = {"Same", "Same"};
    draft = draftOf(contents);
    EXPECT_EQ(draft.title, "The Page");
    EXPECT_EQ(draft.text, "# The Page\n\n<https://example.com/a>\n\nSame\n\nSame\n");

    // A second link is not a title, and a text equal to a second URL item stays.
    contents = {};
    contents.webURLs = {url("https://one.test/"), url("https://two.test/")};
    contents.texts = {"https://two.test/"};
    draft = draftOf(contents);
    EXPECT_EQ(draft.kind, ShareDraft::Kind(ShareDraft::Link{"one.test"}));
    EXPECT_EQ(draft.text, "# one.test\n\n<https://one.test/>\n\nhttps://two.test/\n");

    // A link without a host names itself by its whole text.
    contents = {};
    contents.webURLs = {url("https:opaque")};
    EXPECT_EQ(draftOf(contents).kind, ShareDraft::Kind(ShareDraft::Link{"https:opaque"}));
}

TEST(ShareInput, TextsJoinWithoutRepeats) {
    ShareContents contents;
    contents.texts = {"# Heading\r\nbody", "  ", "# Heading\nbody", "second"};
    contents.pageTitle = " ";
    const ShareDraft draft = draftOf(contents);
    EXPECT_EQ(draft.kind, ShareDraft::Kind(ShareDraft::Text{}));
    EXPECT_EQ(draft.text, "# Heading\nbody\n\nsecond");
    EXPECT_EQ(draft.title, "Heading");
    EXPECT_EQ(draft.source, std::nullopt);
    EXPECT_EQ(draft.sourceLine(), "Text");
    EXPECT_EQ(draft.kindName(), "text");
}

TEST(ShareInput, TheItemLimitIsInclusive) {
    ShareContents contents;
    contents.texts = {std::string(10, 'x')};
    EXPECT_EQ(draftOf(contents, 10).text, std::string(10, 'x'));
    EXPECT_EQ(problemOf(contents, 9), ShareProblem::tooLong(10, 9));
    contents.texts = {"😀😀"};
    EXPECT_EQ(problemOf(contents, 3), ShareProblem::tooLong(4, 3));
}

TEST(ShareInput, ProblemsRankOversizedUnreadableThenOther) {
    ShareContents contents;
    EXPECT_EQ(problemOf(contents), ShareProblem::nothing());
    contents.otherFiles = {"pic.png", "b.png"};
    EXPECT_EQ(problemOf(contents), ShareProblem::otherFile("pic.png"));
    contents.unreadableFiles = {"bin.txt"};
    EXPECT_EQ(problemOf(contents), ShareProblem::unreadable("bin.txt"));
    contents.oversizedFiles = {"big.md"};
    EXPECT_EQ(problemOf(contents, 1234), ShareProblem::fileTooBig("big.md", 1234));
    // Anything usable wins over problem files.
    contents.texts = {"fine"};
    EXPECT_EQ(draftOf(contents).text, "fine");
    contents.texts = {" \n"};
    contents.files = {{"blank.md", "\t"}};
    EXPECT_EQ(problemOf(contents), ShareProblem::fileTooBig("big.md", limit));
}

TEST(ShareDraft, PreviewsTheFirstLines) {
    ShareDraft draft;
    draft.text = "# First\n\n\n   \nSecond";
    EXPECT_EQ(draft.preview(), "First  Second");
    draft.text = "1\n2\n3\n4\n5\n6\n7";
    EXPECT_EQ(draft.preview(), "1 2 3 4 5 6");
    draft.text = "a\r\nb\u2028c\u0085d";
    EXPECT_EQ(draft.preview(), "a b c d");
    draft.text = std::string(399, 'x') + "yz";
    EXPECT_EQ(draft.preview(), std::string(399, 'x') + "y");
    draft.text = "";
    EXPECT_EQ(draft.preview(), "");
    draft.text = "two words";
    EXPECT_EQ(draft.previewLine(), "2 words · about 1 min");
}
