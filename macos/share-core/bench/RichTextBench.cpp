// Converting a 32 MiB RTF document to plain text, measured beside reading the same file into
// memory and validating it as UTF-8. The last line printed is the ratio of the two.
#include "RichText.h"
#include "ShareInput.h"

#include <Foundation/FileIO.h>
#include <Testing/BenchmarkRatio.h>
#include <Testing/Testing.h>
#include <benchmark/benchmark.h>

namespace {

// One stretch of a document as the platform and word processors write them: paragraphs with
// formatting, accented letters as code-page bytes and Unicode escapes, a list, a link field and
// a small picture.
constexpr std::string_view stretch =
    "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\n"
    "\\f0\\fs24 \\cf0 The caf\\'e9 on the corner opens at eight; its {\\b na\\u239\\'efve} "
    "menu lists \\uc0\\u8364 3 coffee and {\\i pains au chocolat}.\\\n"
    "\\pard\\tx220\\tx720\\pardeftab720\\li720\\fi-720\\partightenfactor0\n"
    "\\ls1\\ilvl0\\cf0 {\\listtext\t\\uc0\\u8226 \t}Bring the {\\field{\\*\\fldinst{HYPERLINK "
    "\"https://example.com/notes\"}}{\\fldrslt notes}} and a pen\\\n"
    "{\\listtext\t\\uc0\\u8226 \t}Ask about the \\ldblquote quiet room\\rdblquote \\emdash  "
    "upstairs\\\n"
    "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\n"
    "\\cf0 {\\*\\shppict{\\pict\\pngblip\\picw16\\pich16 89504e470d0a1a0a0000000d49484452}}"
    "Long paragraphs follow, plain words mostly, as most documents hold: the quick brown fox "
    "jumps over the lazy dog while the committee drafts its annual report on river levels.\\\n";

std::string document() {
    const std::string head = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2761\n"
                             "{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
                             "{\\colortbl;\\red255\\green255\\blue255;}\n";
    std::string rtf = head;
    while (rtf.size() + stretch.size() + 1 <= ShareInput::maxRichFileBytes)
        rtf += stretch;
    rtf += "}";
    return rtf;
}

const std::filesystem::path& documentFile() {
    static const Testing::TemporaryFolder folder;
    static const std::filesystem::path file = [] {
        const auto path = folder.path() / "large.rtf";
        Testing::writeText(path, document());
        return path;
    }();
    return file;
}

void richTextToPlainText(benchmark::State& state) {
    for (auto _ : state) {
        const auto text = RichText::plainText(documentFile());
        if (!text)
            state.SkipWithError("the document did not read");
        benchmark::DoNotOptimize(text);
    }
}

void readAndValidate(benchmark::State& state) {
    for (auto _ : state) {
        const auto data = Foundation::readFile(documentFile(), ShareInput::maxRichFileBytes);
        if (!data || !Foundation::isValidUTF8(Foundation::textView(*data)))
            state.SkipWithError("the document did not read");
        benchmark::DoNotOptimize(data);
    }
}

BENCHMARK(richTextToPlainText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(readAndValidate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    documentFile();
    return Testing::runComparing(argc, argv, "richTextToPlainText", "readAndValidate",
                                 "reading and validating the file");
}
