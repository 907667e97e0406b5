// Rich text to plain text, from RTF documents as other applications write them.
#include "RichText.h"

#include <Testing/Testing.h>
#include <gtest/gtest.h>

namespace {

std::filesystem::path fixture(const std::string& name) {
    return std::filesystem::path(KH_SHARE_FIXTURES) / name;
}

std::optional<std::string> fromFixture(const std::string& name) {
    return RichText::plainText(fixture(name));
}

} // namespace

TEST(RichText, TurnsPlatformListsIntoMarkdown) {
    EXPECT_EQ(fromFixture("cocoa-list.rtf"),
              "Groceries\n\n- Apples\n- Pears\n  1. Conference pears\n  2. Williams\nDone.");
}

TEST(RichText, ReadsAWindowsCodePage) {
    EXPECT_EQ(fromFixture("windows-1251.rtf"), "Привет, мир!\nВторая строка – и ещё.\n");
}

TEST(RichText, ReadsUnicodeWithFallbacks) {
    EXPECT_EQ(fromFixture("unicode.rtf"), "Café naïve € off\n😀 smile\n日本語\n");
}

TEST(RichText, KeepsFieldResultsAndDropsPictures) {
    EXPECT_EQ(fromFixture("field.rtf"), "Read the guide first.\nPage 1.");
    EXPECT_EQ(fromFixture("picture.rtf"), "Before  after.\nTail\n");
}

TEST(RichText, ReadsAnRTFDPackageByItsExtension) {
    EXPECT_EQ(fromFixture("Note.rtfd"), "Trip notes\n\n\nLovely view.");
    // The extension decides, whatever its letter case; a package read as RTF is no file.
    Testing::TemporaryFolder folder;
    std::filesystem::copy(fixture("Note.rtfd"), folder.path() / "Upper.RTFD");
    EXPECT_EQ(RichText::plainText(folder.path() / "Upper.RTFD"), "Trip notes\n\n\nLovely view.");
    std::filesystem::copy(fixture("Note.rtfd"), folder.path() / "Package.rtf");
    EXPECT_FALSE(RichText::plainText(folder.path() / "Package.rtf"));
    EXPECT_FALSE(RichText::plainText(folder.path() / "missing.rtf"));
}

TEST(RichText, ReadsDataButNeverFlatRTFD) {
    const auto data = Foundation::dataFrom("{\\rtf1 a\\line b\\par\\pard\t\\bullet\tc}");
    EXPECT_EQ(RichText::plainText(data, RichText::Format::rtf), "a\nb\n- c");
    EXPECT_FALSE(RichText::plainText(data, RichText::Format::flatRTFD));
    EXPECT_FALSE(RichText::plainText(Foundation::dataFrom("plain"), RichText::Format::rtf));
}

TEST(RichText, PlainTextOfAnAttributedString) {
    const Foundation::AttributedString string("a\uFFFCb\r\n\t1)\tone\u2029");
    EXPECT_EQ(RichText::plainText(string), "ab\n1. one\n");
}

TEST(RichText, RewritesOnlyWholeListLines) {
    EXPECT_EQ(RichText::listsAsMarkdown("word\n\t•\tA\n\t\t2)\tB\n\ta.\tC"),
              "word\n- A\n  2. B\n- C");
    EXPECT_EQ(RichText::listsAsMarkdown("\t12.\tx\n\t\t\t◦\ty\n\tZ)\tz"), "12. x\n    - y\n- z");
    // A tab without a marker, a marker without its tab, two letters, no leading tab, a form
    // feed in the item: unchanged.
    for (const std::string_view line : {"a\tb", "\t• x", "\tab.\tx", "•\tx", "\t•\tx\fy"})
        EXPECT_EQ(RichText::listsAsMarkdown(std::string(line)), line) << line;
    EXPECT_EQ(RichText::listsAsMarkdown("\t•\t"), "- ");
    EXPECT_EQ(RichText::listsAsMarkdown("\n\n"), "\n\n");
    // A rewrite longer than its line (deep numbered items) still comes out whole.
    EXPECT_EQ(RichText::listsAsMarkdown("\t\t\t12.\tx\nplain\n\t•\tlast"),
              "    12. x\nplain\n- last");
}
