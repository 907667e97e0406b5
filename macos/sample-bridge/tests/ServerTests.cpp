#include "RawClient.h"

#include <Testing/Testing.h>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sample-bridge/Server.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace SampleBridge;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class SampleBridgeServer : public testing::Test {
protected:
    std::filesystem::path socket() const { return folder.path() / "bridge.sock"; }

    Testing::TemporaryFolder folder;
    std::unique_ptr<Server> server = std::make_unique<Server>(socket(), State());
};

} // namespace

TEST_F(SampleBridgeServer, ScriptedRepliesAreUsedInOrderThenTheBridgeAnswers) {
    server->script("/healthz", Reply::json(503, R"({"ok":false})"));
    server->script("/healthz", Reply::raw("no head at all"));
    server->script("/elsewhere", Reply::json(200, "{}"));

    const auto first = RawClient::get(socket(), "/healthz?probe=1");
    EXPECT_EQ(first.status, 503);
    EXPECT_EQ(first.body, R"({"ok":false})");
    RawClient::Connection second(socket());
    second.send("GET /healthz HTTP/1.1\r\n\r\n");
    EXPECT_EQ(second.receive(5), "no head at all");
    const auto third = RawClient::get(socket(), "/healthz");
    EXPECT_EQ(third.status, 200);
    EXPECT_EQ(third.json()["ok"], true);
    EXPECT_EQ(RawClient::get(socket(), "/elsewhere").status, 200);
    EXPECT_EQ(RawClient::get(socket(), "/elsewhere").status, 404);
}

TEST_F(SampleBridgeServer, RecordsEveryRequestItReads) {
    RawClient::post(socket(), "/conversations/pin?from=menu", R"({"session_id":"s"})");
    RawClient::get(socket(), "/nowhere");
    // A body longer than announced is cut to its length.
    RawClient::exchange(socket(), "POST /pair/arm HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}extra");

    const auto requests = server->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/conversations/pin?from=menu");
    EXPECT_EQ(requests[0].header("content-type"), "application/json");
    EXPECT_EQ(requests[0].body, R"({"session_id":"s"})");
    EXPECT_EQ(requests[1].path, "/nowhere");
    EXPECT_EQ(requests[1].body, "");
    EXPECT_EQ(requests[2].body, "{}");
}

TEST_F(SampleBridgeServer, ARequestItCannotReadGets400) {
    const std::string hugeHead =
        "GET / HTTP/1.1\r\nX-Padding: " + std::string(maximumHeadSize, 'p') + "\r\n\r\n";
    for (const std::string& request : {
             std::string("NONSENSE\r\n\r\n"),
             std::string("GET /healthz HTTP/1.1\r\nContent-Length: lots\r\n\r\n"),
             "POST /pair/arm HTTP/1.1\r\nContent-Length: " + std::to_string(maximumBodySize + 1) +
                 "\r\n\r\n",
             hugeHead,
         }) {
        const auto response = RawClient::exchange(socket(), request);
        EXPECT_EQ(response.status, 400) << request.substr(0, 60);
        EXPECT_EQ(response.json(), nlohmann::json::parse(R"({"ok":false,"msg":"Bad request"})"));
    }

    // A request that ends before its head or body is complete.
    for (const char* cut :
         {"GET /healthz HTTP/1.1\r\n", "POST /pair/arm HTTP/1.1\r\nContent-Length: 10\r\n\r\n{}"}) {
        RawClient::Connection connection(socket());
        connection.send(cut);
        connection.endSending();
        EXPECT_EQ(RawClient::parse(connection.receive(5)).status, 400) << cut;
    }
    EXPECT_TRUE(server->requests().empty());
}

TEST_F(SampleBridgeServer, DelaysAndTricklesScriptedReplies) {
    const std::string body = R"({"ok":true,"version":"trickled"})";
    Reply slow = Reply::json(200, body);
    slow.delay = 0.05;
    slow.pieceSize = 7;
    slow.pieceInterval = 0.002;
    server->script("/healthz", slow);

    const auto start = std::chrono::steady_clock::now();
    const auto response = RawClient::get(socket(), "/healthz");
    EXPECT_GE(secondsSince(start), 0.05);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, body);

    // A trickle's head comes at once, then its body a byte at a time.
    server->script("/healthz", Reply::trickle(60, 1));
    RawClient::Connection trickled(socket());
    trickled.send("GET /healthz HTTP/1.1\r\n\r\n");
    const std::string head = trickled.receive(0.5);
    EXPECT_TRUE(head.starts_with("HTTP/1.1 200 OK\r\n") && head.ends_with("\r\n\r\n")) << head;
}

TEST_F(SampleBridgeServer, AGatedReplyWaitsForItsGateOrTheServerToStop) {
    const auto eventually = [](const std::function<bool()>& condition) {
        for (int wait = 0; wait < 500 && !condition(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return condition();
    };
    Gate gate;
    Reply held = Reply::json(200, R"({"ok":true})");
    held.gate = gate;
    server->script("/healthz", held);
    RawClient::Connection client(socket());
    client.send("GET /healthz HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(eventually([&] { return gate.reached(); }));
    bool closed = true;
    EXPECT_EQ(client.receive(0.1, &closed), "");
    EXPECT_FALSE(closed);
    EXPECT_FALSE(gate.passed());
    gate.open();
    EXPECT_EQ(RawClient::parse(client.receive(5, &closed)).body, R"({"ok":true})");
    EXPECT_TRUE(closed);
    client.endSending();
    EXPECT_TRUE(eventually([&] { return gate.passed(); }));

    Gate shut;
    held.gate = shut;
    server->script("/healthz", held);
    RawClient::Connection waiting(socket());
    waiting.send("GET /healthz HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(eventually([&] { return shut.reached(); }));
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(waiting.receive(1, &closed), "");
    EXPECT_TRUE(closed);
    EXPECT_FALSE(shut.passed());
}

TEST_F(SampleBridgeServer, AHeldConnectionStaysOpenUntilTheServerStops) {
    server->script("/healthz", Reply::never());
    Reply partial = Reply::raw("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n{");
    partial.holdOpen = true;
    server->script("/devices", partial);

    RawClient::Connection silent(socket());
    silent.send("GET /healthz HTTP/1.1\r\n\r\n");
    RawClient::Connection cut(socket());
    cut.send("GET /devices HTTP/1.1\r\n\r\n");
    bool closed = true;
    EXPECT_EQ(silent.receive(0.1, &closed), "");
    EXPECT_FALSE(closed);
    EXPECT_TRUE(cut.receive(0.1, &closed).ends_with("\r\n\r\n{"));
    EXPECT_FALSE(closed);

    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(silent.receive(1, &closed), "");
    EXPECT_TRUE(closed);
    cut.receive(1, &closed);
    EXPECT_TRUE(closed);
}

TEST_F(SampleBridgeServer, StopsPromptlyWithAClientHalfwayThroughItsRequest) {
    RawClient::Connection slowpoke(socket());
    slowpoke.send("POST /pair/arm HTTP/1.1\r\nContent-Length: 100\r\n\r\n{");
    RawClient::Connection idle(socket());
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_FALSE(std::filesystem::exists(socket()));
}

TEST(SampleBridgeSocketFile, MakesPrivateFoldersAndRemovesTheSocketWhenDone) {
    Testing::TemporaryFolder folder;
    const auto path = folder.path() / "home" / ".kestrelhaven" / "bridge.sock";
    {
        Server server(path, State());
        struct stat status {};
        ASSERT_EQ(::stat(path.parent_path().c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
        ASSERT_EQ(::lstat(path.c_str(), &status), 0);
        EXPECT_TRUE(S_ISSOCK(status.st_mode));
        EXPECT_EQ(RawClient::get(path, "/healthz").status, 200);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SampleBridgeSocketFile, ReplacesAStaleSocketButNothingElse) {
    Testing::TemporaryFolder folder;
    const auto path = folder.path() / "bridge.sock";

    // A socket bound but not listening, as a crashed server leaves it.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    {
        Server server(path, State());
        EXPECT_EQ(RawClient::get(path, "/healthz").status, 200);
        EXPECT_THROW((Server(path, State())), std::runtime_error);
        EXPECT_EQ(RawClient::get(path, "/healthz").status, 200);
    }

    Testing::writeText(path, "not a socket");
    EXPECT_THROW((Server(path, State())), std::runtime_error);
    EXPECT_EQ(Testing::readText(path), "not a socket");

    EXPECT_THROW((Server(folder.path() / std::string(120, 'x'), State())), std::runtime_error);
}
