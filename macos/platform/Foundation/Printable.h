// Text from outside made safe to write where a terminal reads it.
//
// Bridge replies, files, tool output and process listings may hold control
// characters, which a terminal takes as commands: clearing the screen,
// retitling the window, writing the clipboard, or answering a report request
// by typing into the shell. Every such text is written through `printable`,
// which shows each control character (C0, DEL, C1), each bidirectional
// control and each invalid UTF-8 sequence as U+FFFD; `printableLines` keeps
// line feeds and tabs, for texts that may run over several lines. A
// bidirectional control would reorder the text after it, so that a file name
// ending "\u202Efdp.exe" reads as one ending "exe.pdf". Text without controls
// comes back as it was.
#pragma once

#include <string>
#include <string_view>

namespace Foundation {

// Whether a terminal takes `scalar` as a control (C0, DEL, C1).
bool isControlScalar(char32_t scalar);
// Whether `scalar` changes the direction text runs in: the marks (U+200E, U+200F, U+061C), the
// embeddings and overrides (U+202A–U+202E) and the isolates (U+2066–U+2069).
bool isBidiControl(char32_t scalar);
// The text with control characters, bidirectional controls and invalid UTF-8 shown as U+FFFD.
std::string printable(std::string_view text);
// The same, keeping line feeds and tabs.
std::string printableLines(std::string_view text);

} // namespace Foundation
