// The blocking HTTP/1.1 client over the bridge's Unix-domain socket.
//
// One request per connection: `send` connects to `socketPath()`, writes one
// request with "Connection: close", reads the reply to the end of the stream
// and parses it. Status 0 means the bridge gave no usable answer; the body is
// then absent, unless a head arrived whose status is not three digits. The time-out
// bounds every single wait for the bridge, and twice the time-out the whole
// exchange (connect, write, read to the end): a bridge that trickles its
// reply, or never ends its head, gives status 0 then, whatever has arrived.
//
// Beyond the plain exchange, replies over 64 MiB end with status 0, a
// non-positive time-out is raised to a small minimum, and a method or path
// holding CR, LF or space is refused without connecting.
#pragma once

#include <Foundation/Data.h>
#include <optional>
#include <string>
#include <string_view>

namespace LocalHTTP {

struct Reply {
    int status = 0;
    std::optional<Foundation::Data> body;
};

// The largest reply read; a longer one counts as no answer.
inline constexpr std::size_t maximumReplySize = 64 * 1024 * 1024;
// The shortest time-out used; shorter ones, zero and negative ones are raised to it.
inline constexpr double minimumTimeout = 0.01;

// `Bundled::home()` + ".kestrelhaven/bridge.sock", fixed at first use.
const std::string& socketPath();

Reply send(std::string_view method, std::string_view path,
           const std::optional<Foundation::Data>& body, double timeout);

// Sends to the socket at `socketFile` rather than the bridge's; `send` calls it.
Reply send(const std::string& socketFile, std::string_view method, std::string_view path,
           const std::optional<Foundation::Data>& body, double timeout);

// Splits a whole reply into status and body, undoing chunked transfer encoding.
Reply parse(Foundation::Bytes raw);

// Decodes a chunked body; a malformed or cut body gives the chunks before the fault.
Foundation::Data dechunk(Foundation::Bytes body);

} // namespace LocalHTTP
