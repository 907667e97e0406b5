// A minimal client for the sample bridge's tests: it writes exactly the bytes
// it is given and reads whatever comes back, so that malformed requests and
// held connections can be tried as well as ordinary ones.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace RawClient {

class Connection {
public:
    explicit Connection(const std::filesystem::path& socket);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool connected() const { return m_connected; }
    bool send(std::string_view bytes);
    // Tells the server nothing more is coming.
    void endSending();
    // Reads until the server closes the connection or `timeout` seconds pass without a byte;
    // `closed` tells which.
    std::string receive(double timeout, bool* closed = nullptr);

private:
    int m_fd;
    bool m_connected = false;
};

struct Response {
    int status = 0;
    std::string head;
    std::string body;
    nlohmann::json json() const { return nlohmann::json::parse(body, nullptr, false); }
};

Response parse(const std::string& raw);
// One whole exchange: `request` as given, the reply read to the end.
Response exchange(const std::filesystem::path& socket, std::string_view request);
Response get(const std::filesystem::path& socket, std::string_view path);
Response post(const std::filesystem::path& socket, std::string_view path, std::string_view body);

} // namespace RawClient
