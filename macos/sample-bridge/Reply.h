// A reply the sample bridge writes, byte for byte, and how it writes it.
//
// The bridge's own answers are plain JSON replies. Tests script others to put
// a client through what a real bridge might do: wait before the first byte,
// trickle the reply in small pieces, use chunked transfer coding, send a
// broken head or one that never ends, or say nothing at all. After writing,
// the server closes the connection, unless the reply holds it open: then it
// stays open until the client closes it or the server stops. A reply behind a
// gate waits there, before its delay, until the test opens the gate.
#pragma once

#include "sample-bridge/Gate.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace SampleBridge {

struct Reply {
    std::string bytes;         // everything written, head included
    double delay = 0;          // seconds before the first byte
    std::size_t pieceSize = 0; // non-zero: write in pieces of this size ...
    double pieceInterval = 0;  // ... this many seconds apart ...
    std::size_t atOnce = 0;    // ... after this many bytes written at once
    bool holdOpen = false;
    std::optional<Gate> gate = std::nullopt;

    // A status line with its reason, Content-Type: application/json, Content-Length and
    // Connection: close, then `body`.
    static Reply json(int status, std::string body);
    // The same head with Transfer-Encoding: chunked instead of a length; each chunk's size in
    // hex, followed by ";" and `extension` when one is given. `trailers` are whole header lines
    // ("Name: value\r\n") after the final "0\r\n". An empty chunk is written as a zero size,
    // ending the body early as it would on the wire.
    static Reply chunked(int status, std::vector<std::string> chunks, std::string extension = {},
                         std::string trailers = {});
    // Exactly these bytes: a reply without a head, a bad status line, a cut body.
    static Reply raw(std::string bytes);
    // Reads the request and never writes, holding the connection open.
    static Reply never();
    // A 200 reply whose head comes at once and whose JSON body then comes one byte every
    // `interval` seconds, for about `seconds`.
    static Reply trickle(double seconds, double interval = 0.5);
    // A head that never reaches its blank line, one byte every `interval` seconds for about
    // `seconds`.
    static Reply endlessHead(double seconds, double interval = 0.5);
};

} // namespace SampleBridge
