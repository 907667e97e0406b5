#include "menubar/LocalHTTP.h"

#include "service/Bundled.h"

#include <Foundation/FileDescriptor.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace LocalHTTP {

namespace {

// The platform's address record holds 104 path bytes with the terminating zero; the same limit
// holds here although Linux's record is larger.
constexpr std::size_t maximumSocketPathLength = 103;
constexpr double maximumTimeout = 1e6;

bool unsafeInRequestLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n \0", 4)) != std::string_view::npos;
}

double clamped(double timeout) {
    return timeout >= minimumTimeout ? std::min(timeout, maximumTimeout) : minimumTimeout;
}

timeval timeValue(double timeout) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout);
    value.tv_usec = static_cast<suseconds_t>((timeout - std::floor(timeout)) * 1'000'000);
    return value;
}

// The time one exchange may take: each wait for the peer ends after the time-out, and all of
// them together end by twice the time-out, however the peer spaces its bytes.
class Budget {
public:
    using Clock = std::chrono::steady_clock;
    enum class Wait { ready, quiet, spent };

    explicit Budget(double timeout)
        : m_step(
              std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout))),
          m_end(Clock::now() + 2 * m_step) {}

    bool spent() const { return Clock::now() >= m_end; }

    // Waits until `fd` is ready for `events`: quiet when a time-out passed first, spent when the
    // exchange's time did. A failed wait counts as ready, so the next call reports the failure.
    Wait await(int fd, short events) const {
        const Clock::time_point until = std::min(Clock::now() + m_step, m_end);
        for (;;) {
            const Clock::duration left = until - Clock::now();
            if (left <= Clock::duration::zero())
                return spent() ? Wait::spent : Wait::quiet;
            pollfd entry{fd, events, 0};
            const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            const int ready = ::poll(&entry, 1, static_cast<int>(milliseconds));
            if (ready > 0 || (ready < 0 && errno != EINTR))
                return Wait::ready;
        }
    }

private:
    Clock::duration m_step;
    Clock::time_point m_end;
};

bool wouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

// Writes every byte; false when a write fails or writes nothing, or the budget runs out first.
// To a peer that has gone the write fails instead of raising SIGPIPE.
bool writeAll(int fd, Foundation::Bytes bytes, const Budget& budget) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        if (budget.spent())
            return false;
        const ssize_t count =
            ::send(fd, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && wouldBlock()) {
            if (budget.await(fd, POLLOUT) != Budget::Wait::ready)
                return false;
            continue;
        }
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

// Reads to the end of the stream, a read error or a time-out's silence; nothing when the reply
// grows past the limit or the budget runs out first.
std::optional<Foundation::Data> readAll(int fd, const Budget& budget) {
    Foundation::Data reply;
    std::uint8_t buffer[16384];
    for (;;) {
        if (budget.spent())
            return std::nullopt;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && wouldBlock()) {
            const Budget::Wait wait = budget.await(fd, POLLIN);
            if (wait == Budget::Wait::quiet)
                return reply;
            if (wait == Budget::Wait::spent)
                return std::nullopt;
            continue;
        }
        if (count <= 0)
            return reply;
        if (reply.size() + static_cast<std::size_t>(count) > maximumReplySize)
            return std::nullopt;
        reply.insert(reply.end(), buffer, buffer + count);
    }
}

std::string requestHead(std::string_view method, std::string_view path,
                        const std::optional<Foundation::Data>& body) {
    std::string head;
    head.append(method).append(" ").append(path).append(" HTTP/1.1\r\n");
    head.append("Host: localhost\r\nConnection: close\r\n");
    if (body) {
        head.append("Content-Type: application/json\r\n");
        head.append("Content-Length: ").append(std::to_string(body->size())).append("\r\n");
    } else if (method != "GET") {
        head.append("Content-Length: 0\r\n");
    }
    head.append("\r\n");
    return head;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator,
                                    bool omitEmpty) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const std::size_t at = text.find(separator);
        const std::string_view piece = text.substr(0, at);
        if (!omitEmpty || !piece.empty())
            pieces.push_back(piece);
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + separator.size());
    }
}

// A whole integer in the given base with an optional sign; nothing when it is not one or does
// not fit.
template <class Integer> std::optional<Integer> parseInteger(std::string_view text, int base) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    Integer value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A status code is exactly three digits; anything else in its place is no usable answer.
int statusCode(std::string_view field) {
    if (field.size() != 3 ||
        !std::ranges::all_of(field, [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return parseInteger<int>(field, 10).value_or(0);
}

std::string_view trimSpacesAndTabs(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string lowercasedASCII(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

} // namespace

const std::string& socketPath() {
    static const std::string* path =
        new std::string((Bundled::home() / ".kestrelhaven/bridge.sock").string());
    return *path;
}

Reply send(std::string_view method, std::string_view path,
           const std::optional<Foundation::Data>& body, double timeout) {
    return send(socketPath(), method, path, body, timeout);
}

Reply send(const std::string& socketFile, std::string_view method, std::string_view path,
           const std::optional<Foundation::Data>& body, double timeout) {
    if (unsafeInRequestLine(method) || unsafeInRequestLine(path))
        return {};
    const Foundation::FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket)
        return {};
    timeout = clamped(timeout);
    const Budget budget(timeout);
    // Bounds the connect, which waits while the bridge's queue of new connections is full.
    const timeval limit = timeValue(timeout);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);

    if (socketFile.size() > maximumSocketPathLength)
        return {};
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketFile.data(), socketFile.size());
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};

    const std::string head = requestHead(method, path, body);
    Foundation::Data request(head.begin(), head.end());
    if (body)
        request.insert(request.end(), body->begin(), body->end());
    if (!writeAll(socket.get(), request, budget))
        return {};

    const auto reply = readAll(socket.get(), budget);
    if (!reply)
        return {};
    return parse(*reply);
}

Reply parse(Foundation::Bytes raw) {
    static constexpr std::string_view separator = "\r\n\r\n";
    const std::string_view text = Foundation::textView(raw);
    const std::size_t headEnd = text.find(separator);
    if (headEnd == std::string_view::npos)
        return {};
    const std::string head = Foundation::decodeUTF8Lossy(text.substr(0, headEnd));
    const auto lines = split(head, "\r\n", false);

    Reply reply;
    const auto statusFields = split(lines.front(), " ", true);
    if (statusFields.size() >= 2)
        reply.status = statusCode(statusFields[1]);

    const auto bodyBytes = raw.subspan(headEnd + separator.size());
    reply.body = Foundation::Data(bodyBytes.begin(), bodyBytes.end());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string lowered = lowercasedASCII(lines[i]);
        if (lowered.starts_with("transfer-encoding:") &&
            lowered.find("chunked") != std::string::npos) {
            reply.body = dechunk(bodyBytes);
            break;
        }
    }
    return reply;
}

Foundation::Data dechunk(Foundation::Bytes body) {
    const std::string_view text = Foundation::textView(body);
    Foundation::Data output;
    std::size_t position = 0;
    while (position < body.size()) {
        const std::size_t lineEnd = text.find("\r\n", position);
        if (lineEnd == std::string_view::npos)
            break;
        const std::string sizeLine =
            Foundation::decodeUTF8Lossy(text.substr(position, lineEnd - position));
        const auto pieces = split(sizeLine, ";", true);
        const std::string_view sizeText =
            trimSpacesAndTabs(pieces.empty() ? std::string_view() : pieces.front());
        const auto size = parseInteger<long long>(sizeText, 16);
        if (!size || *size <= 0)
            break;
        const std::size_t dataStart = lineEnd + 2;
        const std::size_t available = body.size() - dataStart;
        const std::size_t length = static_cast<unsigned long long>(*size) > available
                                       ? available
                                       : static_cast<std::size_t>(*size);
        output.insert(output.end(), body.begin() + static_cast<std::ptrdiff_t>(dataStart),
                      body.begin() + static_cast<std::ptrdiff_t>(dataStart + length));
        const std::size_t dataEnd = dataStart + length;
        if (body.size() - dataEnd <= 1)
            break;
        position = dataEnd + 2;
    }
    return output;
}

} // namespace LocalHTTP
