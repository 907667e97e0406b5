#include "menubar/StartError.h"

#include "service/Bundled.h"

#include <Foundation/FileIO.h>
#include <Foundation/SystemTime.h>
#include <Foundation/Unicode.h>
#include <sys/stat.h>

namespace StartError {

namespace {

// The length of `bytes` without a UTF-8 sequence that the cut left incomplete.
std::size_t wholeCharacters(const Foundation::Data& bytes) {
    std::size_t end = bytes.size();
    std::size_t continuation = 0;
    while (end > 0 && continuation < 3 && (bytes[end - 1] & 0xC0) == 0x80) {
        --end;
        ++continuation;
    }
    if (end == 0)
        return bytes.size();
    const std::uint8_t lead = bytes[end - 1];
    const std::size_t expected = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    return expected > continuation ? end - 1 : bytes.size();
}

} // namespace

const std::filesystem::path& path() {
    static const std::filesystem::path file = Bundled::home() / ".kestrelhaven" / "start-error.txt";
    return file;
}

std::optional<std::string> recent() {
    struct stat status {};
    if (::stat(path().c_str(), &status) != 0)
        return std::nullopt;
    const double modified = static_cast<double>(status.st_mtim.tv_sec) +
                            static_cast<double>(status.st_mtim.tv_nsec) / 1e9;
    if (Foundation::SystemTime::now() - modified >= recentFor)
        return std::nullopt;
    auto bytes = Foundation::readFilePrefix(path(), readLimit);
    if (!bytes)
        return std::nullopt;
    if (bytes->size() == readLimit)
        bytes->resize(wholeCharacters(*bytes));
    const std::string text(bytes->begin(), bytes->end());
    if (!Foundation::isValidUTF8(text))
        return std::nullopt;
    using namespace Foundation::Unicode;
    std::string trimmedText = trimmed(text, isWhitespaceOrNewline);
    if (trimmedText.empty())
        return std::nullopt;
    return trimmedText;
}

} // namespace StartError
