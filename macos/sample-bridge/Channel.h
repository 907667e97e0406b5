// One accepted connection of the sample bridge, read and written so that no
// wait outlasts the server.
//
// The socket is non-blocking and every wait polls it beside the server's stop
// descriptor, which turns readable once when the server stops and stays so.
// A stopping server therefore never waits on a client, however slow or silent
// it is. Writes to a client that has gone fail rather than raise SIGPIPE. The
// channel closes its socket when it goes.
#pragma once

#include <string>
#include <string_view>

namespace SampleBridge {

class Channel {
public:
    enum class Read { Data, End, Failed };

    // Takes ownership of `socket`; `stop` stays the server's.
    Channel(int socket, int stop);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // Appends what arrives to `into`, waiting at most `timeout` seconds for it. End: the client
    // finished sending. Failed: an error, the time-out, or the server stopping.
    Read read(std::string& into, double timeout);
    // Writes every byte; false when the client went, stalled or the server stopped.
    bool write(std::string_view bytes);
    // Waits `seconds`; false when the server stopped meanwhile.
    bool pause(double seconds);
    // Waits until `descriptor` is readable; false when the server stopped meanwhile.
    bool awaitReadable(int descriptor);
    // Ends the reply and drops what the client still sends until it closes, for at most a
    // second, so that input left unread cannot reset the connection before the reply is read.
    void finish();
    // Keeps the connection until the client closes it or the server stops.
    void hold();

private:
    enum class Wait { Ready, TimedOut, Stopped };
    Wait await(short events, double timeout);

    int m_socket;
    int m_stop;
};

} // namespace SampleBridge
