#include "service/ClaudeCode.h"

#include "service/Bundled.h"

#include <Foundation/Home.h>
#include <Foundation/TextPieces.h>
#include <Foundation/Unicode.h>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Runs of digits compare by value (compared as digit strings, so any length works), other
// characters one by one.
int numericCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            std::string_view runA = a.substr(i, endA - i), runB = b.substr(j, endB - j);
            while (runA.size() > 1 && runA.front() == '0')
                runA.remove_prefix(1);
            while (runB.size() > 1 && runB.front() == '0')
                runB.remove_prefix(1);
            if (runA.size() != runB.size())
                return runA.size() < runB.size() ? -1 : 1;
            if (const int order = runA.compare(runB); order != 0)
                return order < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

// A piece that is wholly digits, saturating at the largest number; anything else is 0.
std::uint64_t versionNumber(std::string_view piece) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (end != piece.data() + piece.size())
        return 0;
    if (error == std::errc::result_out_of_range)
        return std::numeric_limits<std::uint64_t>::max();
    return error == std::errc() ? value : 0;
}

std::optional<std::string> versionOf(const std::string& path) {
    const auto result = Run::run(path, {"--version"}, std::nullopt, ClaudeCode::runTimeout);
    if (result.status != 0)
        return std::nullopt;
    return ClaudeCode::parseVersion(result.output);
}

} // namespace

std::vector<std::string> ClaudeCode::candidates() {
    const std::string home = Bundled::home().string();
    std::vector<std::string> list{home + "/.local/bin/claude", home + "/.claude/local/claude",
                                  "/opt/homebrew/bin/claude", "/usr/local/bin/claude"};
    const std::string nvm = home + "/.nvm/versions/node";
    std::vector<std::string> versions;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(nvm, error), end; !error && entry != end;
         entry.increment(error))
        versions.push_back(entry->path().filename().string());
    std::stable_sort(versions.begin(), versions.end(),
                     [](const auto& a, const auto& b) { return numericCompare(a, b) > 0; });
    for (const auto& version : versions)
        list.push_back(nvm + "/" + version + "/bin/claude");
    for (const char* place : {"/.npm-global/bin/claude", "/.volta/bin/claude", "/.bun/bin/claude"})
        list.push_back(home + place);
    return list;
}

std::string ClaudeCode::loginShell() {
    if (const auto shell = Foundation::loginShell();
        shell && shell->starts_with('/') && isExecutableFile(*shell))
        return *shell;
    return "/bin/zsh";
}

std::optional<ClaudeCode> ClaudeCode::find() {
    std::vector<std::string> places;
    const char* path = std::getenv("PATH");
    for (const auto piece : Foundation::nonEmptyPieces(path ? path : "", ':'))
        places.push_back(std::string(piece) + "/claude");
    const auto fixed = candidates();
    places.insert(places.end(), fixed.begin(), fixed.end());
    for (const auto& place : places)
        if (isExecutableFile(place))
            return ClaudeCode{place, versionOf(place)};

    const auto shell =
        Run::run(loginShell(), {"-l", "-i", "-c", "command -v claude"}, std::nullopt, runTimeout);
    if (shell.status != 0)
        return std::nullopt;
    const auto lines = Foundation::nonEmptyPieces(shell.output, '\n');
    const std::string last = Foundation::Unicode::trimmed(lines.empty() ? "" : lines.back(),
                                                          Foundation::Unicode::isWhitespace);
    if (!last.starts_with('/') || !isExecutableFile(last))
        return std::nullopt;
    return ClaudeCode{last, versionOf(last)};
}

std::optional<std::string> ClaudeCode::parseVersion(std::string_view text) {
    static const std::regex number(R"(\d+\.\d+\.\d+)");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_search(text.begin(), text.end(), match, number))
        return std::nullopt;
    return match.str();
}

int ClaudeCode::compare(std::string_view a, std::string_view b) {
    const auto left = Foundation::nonEmptyPieces(a, '.'),
               right = Foundation::nonEmptyPieces(b, '.');
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const std::uint64_t x = i < left.size() ? versionNumber(left[i]) : 0;
        const std::uint64_t y = i < right.size() ? versionNumber(right[i]) : 0;
        if (x != y)
            return x > y ? 1 : -1;
    }
    return 0;
}
