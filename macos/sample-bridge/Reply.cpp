#include "sample-bridge/Reply.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace SampleBridge {

namespace {

std::string_view reason(int status) {
    switch (status) {
    case 100:
        return "Continue";
    case 101:
        return "Switching Protocols";
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 202:
        return "Accepted";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 413:
        return "Content Too Large";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Unknown";
    }
}

std::string head(int status, std::string_view framing) {
    std::string text = "HTTP/1.1 " + std::to_string(status) + " ";
    text.append(reason(status)).append("\r\nContent-Type: application/json\r\n");
    text.append(framing).append("Connection: close\r\n\r\n");
    return text;
}

// How many bytes one every `interval` seconds takes to last `seconds`.
std::size_t byteCount(double seconds, double interval) {
    return static_cast<std::size_t>(std::ceil(seconds / interval));
}

std::string hex(std::size_t value) {
    char buffer[2 * sizeof value + 1];
    std::snprintf(buffer, sizeof buffer, "%zx", value);
    return buffer;
}

} // namespace

Reply Reply::json(int status, std::string body) {
    Reply reply;
    reply.bytes = head(status, "Content-Length: " + std::to_string(body.size()) + "\r\n");
    reply.bytes += body;
    return reply;
}

Reply Reply::chunked(int status, std::vector<std::string> chunks, std::string extension,
                     std::string trailers) {
    Reply reply;
    reply.bytes = head(status, "Transfer-Encoding: chunked\r\n");
    for (const std::string& chunk : chunks) {
        reply.bytes += hex(chunk.size());
        if (!extension.empty())
            reply.bytes += ";" + extension;
        reply.bytes += "\r\n" + chunk + "\r\n";
    }
    reply.bytes += "0\r\n" + trailers + "\r\n";
    return reply;
}

Reply Reply::raw(std::string bytes) {
    Reply reply;
    reply.bytes = std::move(bytes);
    return reply;
}

Reply Reply::never() {
    Reply reply;
    reply.holdOpen = true;
    return reply;
}

Reply Reply::trickle(double seconds, double interval) {
    const std::string body = std::string(byteCount(seconds, interval), ' ') + R"({"ok":true})";
    Reply reply = json(200, body);
    reply.atOnce = reply.bytes.size() - body.size();
    reply.pieceSize = 1;
    reply.pieceInterval = interval;
    return reply;
}

Reply Reply::endlessHead(double seconds, double interval) {
    Reply reply =
        raw("HTTP/1.1 200 OK\r\nX-Padding: " + std::string(byteCount(seconds, interval), '.'));
    reply.pieceSize = 1;
    reply.pieceInterval = interval;
    return reply;
}

} // namespace SampleBridge
