#include "menubar/LocalHTTP.h"

#include "service/Bundled.h"

#include <Foundation/FileDescriptor.h>
#include <Foundation/FileIO.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
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

timeval timeValue(double timeout) {
    timeout = timeout >= minimumTimeout ? std::min(timeout, maximumTimeout) : minimumTimeout;
    timeval value{};
    value.tv_sec = static_cast<time_t>(timeout);
    value.tv_usec = static_cast<suseconds_t>((timeout - std::floor(timeout)) * 1'000'000);
    return value;
}

// One send; to a peer that has gone it fails instead of raising SIGPIPE.
ssize_t sendOnce(int fd, const void* data, std::size_t size) {
    return ::send(fd, data, size, MSG_NOSIGNAL);
}

// Reads to the end of the stream, a read error or the receive time-out; nothing when the reply
// grows past the limit.
std::optional<Foundation::Data> readAll(int fd) {
    Foundation::Data reply;
    std::uint8_t buffer[16384];
    for (;;) {
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
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
    const timeval limit = timeValue(timeout);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
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
    if (!Foundation::writeFully(socket.get(), request, sendOnce))
        return {};

    const auto reply = readAll(socket.get());
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
        reply.status = parseInteger<int>(statusFields[1], 10).value_or(0);

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
