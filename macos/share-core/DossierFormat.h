// Word counts, reading time and numbers as the share texts show them.
//
// A word is a maximal run of characters that are not white space (a
// character counts as white space when its first scalar has the Unicode
// White_Space property). Reading time is words / 160, rounded with halves
// away from zero, never under 1 minute. Numbers are grouped by "," every
// three digits whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace DossierFormat {

constexpr std::int64_t wordsPerMinute = 160;

std::int64_t words(std::string_view text);
std::int64_t minutes(std::int64_t words);
std::string thousands(std::int64_t value);

} // namespace DossierFormat
