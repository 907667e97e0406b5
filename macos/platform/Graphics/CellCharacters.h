// Characters as a terminal keeps them in its cells, and how many columns each takes.
//
// A terminal gives each scalar it draws one column, or two where it is wide or
// full width, and keeps the zero-width scalars after it (combining marks,
// Hangul's vowel and final jamo) in the same cell. Cells split text and count
// columns the same way, so a row written takes exactly its width: a sequence
// that some terminals join into one picture (an emoji with a skin tone, two
// regional indicators) takes its parts' columns. What a terminal would take as
// a command, or would draw somewhere else, never reaches it: control
// characters, bidirectional controls, unassigned code points and invalid UTF-8
// show as U+FFFD, by the rule every text from outside is written by
// (`printable`). The invisible format characters (zero-width spaces and
// joiners, the word joiner, the byte order mark, the soft hyphen) are left
// out, so an emoji sequence joined by U+200D shows as its parts, and so is the
// emoji presentation selector, whose width terminals disagree on. Marks with
// nothing to sit on show on a dotted circle.
#pragma once

#include <Foundation/Printable.h>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace Graphics {

using Foundation::isControlScalar;
using Foundation::printable;

// Calls `visit` with each character of the text as a terminal keeps it, in order, until it
// returns false; invalid UTF-8 comes as U+FFFD, and CR LF as one character.
void forEachCellCharacter(std::string_view text,
                          const std::function<bool(std::string_view)>& visit);
// What cells draw for one character of `forEachCellCharacter`, and its columns.
std::pair<std::string, int> drawable(std::string_view character);
// Whether the character ends a line: a line feed, CR LF, or a line or paragraph separator.
bool isLineBreak(std::string_view character);
// How many columns a terminal gives the text as cells draw it.
int columnsOf(std::string_view text);

} // namespace Graphics
