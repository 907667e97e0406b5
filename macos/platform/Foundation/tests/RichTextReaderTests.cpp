#include <Foundation/RichTextParser.h>
#include <Foundation/RichTextReader.h>
#include <Foundation/RichTextScan.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>

using namespace Foundation;

namespace {

std::optional<std::string> read(std::string_view rtf) {
    return RichTextParser::plainString(rtf);
}

} // namespace

TEST(RichTextReader, KeepsTextBreaksAndSpecialCharacters) {
    EXPECT_EQ(read("{\\rtf1\\ansi One\\par Two\\line Three\\tab Four\r\n\\\nFive}"),
              "One\nTwo\u2028Three\tFour\nFive");
    EXPECT_EQ(read("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote "
                   "a\\~b\\_c\\-d\\{\\}\\\\\\page\\emspace}"),
              "\u2014\u2013\u2022\u2018\u2019\u201C\u201Da\u00A0b\u2011cd{}\\\f\u2003");
    // Formatting words and their parameters leave no trace; one space ends a word.
    EXPECT_EQ(read("{\\rtf1{\\b\\fs28 Bold}  \\i0 two}"), "Bold  two");
}

TEST(RichTextReader, SkipsGroupsThatAreNotText) {
    EXPECT_EQ(read("{\\rtf1{\\fonttbl{\\f0 Helvetica;}}{\\colortbl;\\red0;}"
                   "{\\*\\expandedcolortbl;;}{\\info{\\title T}}{\\stylesheet{\\s1 Head;}}"
                   "{\\header H}{\\*\\unknown U {\\nested N}\\{\\~\\'e9}Body}"),
              "Body");
    // A field's instruction goes, its result stays, starred or not.
    EXPECT_EQ(read("{\\rtf1 See {\\field{\\*\\fldinst{HYPERLINK \"https://x.test/\"}}"
                   "{\\fldrslt{\\ul the page}}} and {\\field{\\fldinst PAGE}{\\fldrslt 3}}.}"),
              "See the page and 3.");
}

TEST(RichTextReader, ReadsUnicodeWithItsFallbackCount) {
    EXPECT_EQ(read("{\\rtf1 \\u8364?x}"), "€x");
    EXPECT_EQ(read("{\\rtf1\\uc0 \\u8364 x}"), "€x");
    EXPECT_EQ(read("{\\rtf1\\uc2 \\u8364\\'80\\'80x}"), "€x");
    // The count belongs to its group; a group's end also ends the fallback.
    EXPECT_EQ(read("{\\rtf1{\\uc3 \\u233 abcd}\\u233 ef{\\u233}g}"), "édéfég");
    // A surrogate pair, negative as writers put it; a lone half is a replacement character.
    EXPECT_EQ(read("{\\rtf1 \\u-10179?\\u-8704?!}"), "😀!");
    EXPECT_EQ(read("{\\rtf1 \\u-10179?x}"), "\uFFFDx");
    // A value is a 16-bit unit, signed or not; any other value is a replacement character.
    EXPECT_EQ(read("{\\rtf1 \\u-32768?\\u65535?\\u-32769?\\u65536?\\u-80303?x}"),
              "\u8000\uFFFF\uFFFD\uFFFD\uFFFDx");
}

TEST(RichTextReader, DecodesBytesThroughTheDocumentsCodePage) {
    EXPECT_EQ(read("{\\rtf1\\ansi caf\\'e9 \\'93q\\'94}"), "café “q”");
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"), "Привет");
    EXPECT_EQ(read("{\\rtf1\\mac caf\\'8e}"), "café");
    // Raw bytes above ASCII decode the same way.
    EXPECT_EQ(read("{\\rtf1\\ansi caf\xE9}"), "café");
    // Double-byte pages: two escapes make one character, and a second byte may be plain ASCII.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83A!}"), "あア!");
    EXPECT_EQ(read("{\\rtf1\\ansicpg932 \\'82}"), "\uFFFD");
    // An unknown page reads as Windows Latin 1.
    EXPECT_EQ(read("{\\rtf1\\ansicpg99999 \\'e9}"), "é");
}

TEST(RichTextReader, AttachmentsStandAsObjectReplacementCharacters) {
    EXPECT_EQ(read("{\\rtf1 a{\\pict\\pngblip\\picw10 89504e47{}0d0a}b}"), "a\uFFFCb");
    // Of a picture and its plain alternative, one counts.
    EXPECT_EQ(read("{\\rtf1 a{\\*\\shppict{\\pict\\pngblip 00}}{\\nonshppict{\\pict 00}}b}"),
              "a\uFFFCb");
    // Binary data is skipped by its length, braces and backslashes in it included.
    EXPECT_EQ(read("{\\rtf1 a{\\pict\\bin4 }{\\x}b}"), "a\uFFFCb");
    EXPECT_EQ(read("{\\rtf1 a\\bin999999 tail"), "a");
    // An RTFD attachment: the character after its group is a placeholder.
    EXPECT_EQ(read("{\\rtf1 a{{\\NeXTGraphic pic.png \\width40 \\height40\n}\\'ac}b}"), "a\uFFFCb");
}

TEST(RichTextReader, KeepsListTextAsThePlatformWritesIt) {
    EXPECT_EQ(read("{\\rtf1\\ls1\\ilvl0{\\listtext\t\\uc0\\u8226 \t}One\\\n"
                   "{\\listtext\t2.\t}Two\\\n}"),
              "\t•\tOne\n\t2.\tTwo\n");
}

TEST(RichTextReader, RefusesWhatIsNotRTFAndBoundsNesting) {
    EXPECT_FALSE(read("plain text"));
    EXPECT_FALSE(read(" {\\rtf1 x}"));
    EXPECT_FALSE(read(""));
    // Open groups at the end count as closed; what follows the last brace is not read.
    EXPECT_EQ(read("{\\rtf1 open{\\b bold"), "openbold");
    EXPECT_EQ(read("{\\rtf1 done}after"), "done");
    std::string deep = "{\\rtf1 ";
    for (std::size_t i = 0; i < RichTextParser::maxDepth; ++i)
        deep += "{";
    EXPECT_FALSE(read(deep + "x"));
    deep.erase(deep.size() - 1);
    EXPECT_EQ(read(deep + "x"), "x");
    // Huge parameters saturate instead of overflowing.
    EXPECT_EQ(read("{\\rtf1\\uc99999999999999999999 \\u99999999999999999999 abc}"), "\uFFFD");
}

TEST(RichTextReader, ReadsFilesAndPackagesButNotFlatRTFD) {
    Testing::TemporaryFolder folder;
    const auto file = folder.path() / "note.rtf";
    Testing::writeText(file, "{\\rtf1 Note}");
    ASSERT_TRUE(readRichText(file, RichTextType::rtf, 1000));
    EXPECT_EQ(readRichText(file, RichTextType::rtf, 1000)->string(), "Note");
    EXPECT_FALSE(readRichText(file, RichTextType::rtf, 11));

    const auto link = folder.path() / "link.rtf";
    std::filesystem::create_symlink(file, link);
    ASSERT_TRUE(readRichText(link, RichTextType::rtf, 1000));
    EXPECT_EQ(readRichText(link, RichTextType::rtf, 1000)->string(), "Note");

    const auto package = folder.path() / "Doc.rtfd";
    Testing::writeText(package / "TXT.rtf",
                       "{\\rtf1 In {{\\NeXTGraphic i.png \\width1\n}\xAC}pkg}");
    Testing::writeText(package / "i.png", "not really a picture");
    ASSERT_TRUE(readRichText(package, RichTextType::rtfd, 1000));
    EXPECT_EQ(readRichText(package, RichTextType::rtfd, 1000)->string(), "In \uFFFCpkg");
    EXPECT_FALSE(readRichText(file, RichTextType::rtfd, 1000));

    EXPECT_FALSE(readRichText(dataFrom("{\\rtf1 x}"), RichTextType::rtfd));
    EXPECT_EQ(readRichText(dataFrom("{\\rtf1 x}"), RichTextType::rtf)->string(), "x");
}

TEST(RichTextReader, PlainRunsEndAtTheFirstSpecialByteWherever) {
    using Foundation::RichTextScan::plainRunEnd;
    for (const char stop : {'\\', '{', '}', '\r', '\n', '\0', '\xC3'}) {
        for (std::size_t at = 0; at < 40; ++at) {
            // Tabs and other controls on the way are plain text.
            std::string text(40, 'a');
            text[3] = '\t';
            text[21] = '\x1F';
            if (at != 3 && at != 21)
                text[at] = stop;
            const std::size_t expected = at == 3 || at == 21 ? 40 : at;
            EXPECT_EQ(plainRunEnd(text, 0), expected) << int(stop) << " at " << at;
            EXPECT_EQ(plainRunEnd(text, std::min<std::size_t>(expected, 2)), expected);
        }
    }
    EXPECT_EQ(plainRunEnd("", 0), 0u);
}
