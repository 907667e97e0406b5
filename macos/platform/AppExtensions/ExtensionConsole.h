// The presentation of an extension's view on a text console.
//
// After every redraw that changed it, the view is written out as text, followed by its
// buttons (keys 1–9, then a–z) and its text fields (keys A, B, …). Each line
// read from the input is one command: a control's key presses it; a field's
// key followed by a space and text types that text into the field; an empty
// line is Return and "esc" is Escape. Lines are read on a thread of their own
// and acted on in the main run loop; at the end of the input nothing more is
// read and the view stays until its request ends.
#pragma once

#include <SwiftUI/HostingController.h>
#include <cstdio>
#include <memory>
#include <string>

namespace AppExtensions {

class ExtensionConsole {
public:
    // Presents `host` on `output`, reading commands from the file descriptor `input`.
    ExtensionConsole(SwiftUI::HostingController& host, std::FILE* output, int input);
    ~ExtensionConsole();
    ExtensionConsole(const ExtensionConsole&) = delete;
    ExtensionConsole& operator=(const ExtensionConsole&) = delete;

    // Writes the view now, unless it reads as it did when last written.
    void show();
    // Acts on one command line; false when it means nothing.
    bool perform(const std::string& line);

private:
    struct Reader;

    SwiftUI::HostingController& m_host;
    std::FILE* m_output;
    std::string m_shown;
    std::shared_ptr<Reader> m_reader;
};

} // namespace AppExtensions
