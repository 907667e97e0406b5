#include "menubar/LocalHTTP.h"
#include "menubar/tests/WithSampleBridge.h"

#include <Testing/Testing.h>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using Foundation::dataFrom;
using LocalHTTP::parse;
using SampleBridge::Reply;

namespace {

std::string text(const std::optional<Foundation::Data>& body) {
    return body ? std::string(body->begin(), body->end()) : "<absent>";
}

LocalHTTP::Reply parseText(std::string_view raw) {
    return parse(dataFrom(raw));
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using LocalHTTPExchange = WithSampleBridge;

} // namespace

TEST(LocalHTTP, ParsesStatusAndBody) {
    auto reply = parseText("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n\r\n{}");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(text(reply.body), "{}");

    reply = parseText("HTTP/1.1    404    Not Found\r\n\r\n");
    EXPECT_EQ(reply.status, 404);
    EXPECT_EQ(text(reply.body), "");

    // Content-Length is never consulted: everything after the head is the body.
    EXPECT_EQ(text(parseText("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nabc").body), "abc");
}

TEST(LocalHTTP, AStatusThatIsNotThreeDigitsGivesZeroWithTheBody) {
    for (const char* line :
         {"HTTP/1.1 OK", "HTTP/1.1", "HTTP/1.1 2x0 OK", "HTTP/1.1 +-2 OK", "HTTP/1.1 -200 OK",
          "HTTP/1.1 +201 Created", "HTTP/1.1 20 Short", "HTTP/1.1 2000 Long",
          "HTTP/1.1 99999999999999999999 Big", "HTTP/1.1\t200 Tabbed"}) {
        const auto reply = parseText(std::string(line) + "\r\n\r\nbody");
        EXPECT_EQ(reply.status, 0) << line;
        EXPECT_EQ(text(reply.body), "body") << line;
    }
}

TEST(LocalHTTP, WithoutACompleteHeadThereIsNoAnswer) {
    for (const char* raw : {"", "HTTP/1.1 200 OK\r\n", "HTTP/1.1 200 OK\r\nX: y\r\n\r", "{}"}) {
        const auto reply = parseText(raw);
        EXPECT_EQ(reply.status, 0);
        EXPECT_FALSE(reply.body);
    }
}

TEST(LocalHTTP, UndoesChunkedEncoding) {
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n";
    EXPECT_EQ(text(parseText(head + "5\r\nhello\r\n0\r\n\r\n").body), "hello");
    // Extensions and trailers are ignored; sizes may be padded and in either case.
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(text(parseText(head + "1A;name=value\r\n" + alphabet + "\r\n \t3\t \r\n123\r\n" +
                             "0\r\nTrailer: x\r\n\r\n")
                       .body),
              alphabet + "123");
    EXPECT_EQ(text(parseText(head + "a\r\n0123456789\r\n0\r\n\r\n").body), "0123456789");
    // Only the first transfer-encoding line that names chunked counts.
    EXPECT_EQ(text(parseText("HTTP/1.1 200 OK\r\ntransfer-encoding: gzip, chunked\r\n\r\n"
                             "2\r\nok\r\n0\r\n\r\n")
                       .body),
              "ok");
    EXPECT_EQ(
        text(parseText("HTTP/1.1 200 OK\r\nX-Note: chunked\r\n\r\n2\r\nok\r\n0\r\n\r\n").body),
        "2\r\nok\r\n0\r\n\r\n");
}

TEST(LocalHTTP, AMalformedOrCutChunkedBodyYieldsWhatCameBeforeTheFault) {
    using LocalHTTP::dechunk;
    const auto decoded = [](std::string_view body) { return text(dechunk(dataFrom(body))); };
    EXPECT_EQ(decoded("3\r\nabc\r\n5\r\nde"), "abcde");
    EXPECT_EQ(decoded("3\r\nabc\r\n2\r\nde\r\n"), "abcde");
    EXPECT_EQ(decoded("3\r\nabc\r\nzz\r\nignored\r\n0\r\n\r\n"), "abc");
    EXPECT_EQ(decoded("3\r\nabc\r\n-2\r\nxx\r\n"), "abc");
    EXPECT_EQ(decoded("3\r\nabc\r\n"), "abc");
    EXPECT_EQ(decoded("3\r\nabc"), "abc");
    EXPECT_EQ(decoded("3abc"), "");
    EXPECT_EQ(decoded(""), "");
    // A size that does not fit counts as no number at all.
    EXPECT_EQ(decoded("2\r\nok\r\nFFFFFFFFFFFFFFFFFFFF\r\nmore\r\n"), "ok");
    EXPECT_EQ(decoded("7FFFFFFFFFFFFFFF\r\nshort"), "short");
}

TEST_F(LocalHTTPExchange, SendsExactlyTheRequestHeadItDescribes) {
    EXPECT_EQ(LocalHTTP::send("GET", "/healthz", std::nullopt, 2).status, 200);
    LocalHTTP::send("POST", "/pair/arm", std::nullopt, 2);
    LocalHTTP::send("get", "/healthz", std::nullopt, 2);
    LocalHTTP::send("POST", "/conversations/pin", dataFrom(R"({"session_id":"s"})"), 2);
    LocalHTTP::send("POST", "/settings", Foundation::Data{}, 2);

    const auto requests = server().requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/healthz");
    EXPECT_EQ(requests[0].header("host"), "localhost");
    EXPECT_EQ(requests[0].header("connection"), "close");
    EXPECT_FALSE(requests[0].header("content-length"));
    EXPECT_FALSE(requests[0].header("content-type"));
    EXPECT_EQ(requests[1].header("content-length"), "0");
    EXPECT_FALSE(requests[1].header("content-type"));
    EXPECT_EQ(requests[2].header("content-length"), "0");
    EXPECT_EQ(requests[3].header("content-type"), "application/json");
    EXPECT_EQ(requests[3].header("content-length"), "18");
    EXPECT_EQ(requests[3].body, R"({"session_id":"s"})");
    EXPECT_EQ(requests[4].header("content-type"), "application/json");
    EXPECT_EQ(requests[4].header("content-length"), "0");
}

TEST_F(LocalHTTPExchange, RefusesUnsafeRequestLinesWithoutConnecting) {
    for (const auto& [method, path] : std::vector<std::pair<std::string, std::string>>{
             {"GET", "/a b"}, {"GET", "/a\r\nX: y"}, {"GE T", "/"}, {"GET\n", "/"}}) {
        const auto reply = LocalHTTP::send(method, path, std::nullopt, 2);
        EXPECT_EQ(reply.status, 0);
        EXPECT_FALSE(reply.body);
    }
    EXPECT_TRUE(server().requests().empty());
}

TEST_F(LocalHTTPExchange, ReadsLongAndTrickledRepliesWhole) {
    const std::string big(100'000, 'x');
    server().script("/big", Reply::json(200, big));
    EXPECT_EQ(text(LocalHTTP::send("GET", "/big", std::nullopt, 2).body), big);

    Reply trickle = Reply::chunked(200, {"ab", "cd", "ef"}, "ext=1", "X-Trailer: t\r\n");
    trickle.pieceSize = 3;
    trickle.pieceInterval = 0.002;
    server().script("/trickle", trickle);
    const auto reply = LocalHTTP::send("GET", "/trickle", std::nullopt, 2);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(text(reply.body), "abcdef");
}

TEST_F(LocalHTTPExchange, EveryStatusClassComesBackWithItsBody) {
    for (const int status : {101, 204, 302, 403, 404, 500, 503}) {
        server().script("/status", Reply::json(status, R"({"msg":"m"})"));
        const auto reply = LocalHTTP::send("GET", "/status", std::nullopt, 2);
        EXPECT_EQ(reply.status, status);
        EXPECT_EQ(text(reply.body), R"({"msg":"m"})");
    }
    server().script("/odd", Reply::raw("HTTP/1.1 abc Odd\r\n\r\n{}"));
    const auto odd = LocalHTTP::send("GET", "/odd", std::nullopt, 2);
    EXPECT_EQ(odd.status, 0);
    EXPECT_EQ(text(odd.body), "{}");
}

TEST_F(LocalHTTPExchange, AReplyWithoutAHeadIsNoAnswer) {
    server().script("/nohead", Reply::raw("garbage without a blank line"));
    const auto reply = LocalHTTP::send("GET", "/nohead", std::nullopt, 2);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.body);
}

TEST_F(LocalHTTPExchange, TheTimeOutBoundsEachReadBeforeAndAfterTheHead) {
    server().script("/never", Reply::never());
    auto start = std::chrono::steady_clock::now();
    auto reply = LocalHTTP::send("GET", "/never", std::nullopt, 0.2);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.body);
    EXPECT_LT(secondsSince(start), 2.0);

    // A head, part of the body, then silence: the status with what arrived.
    Reply partial = Reply::raw("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n{\"ok\":tr");
    partial.holdOpen = true;
    server().script("/partial", partial);
    reply = LocalHTTP::send("GET", "/partial", std::nullopt, 0.2);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(text(reply.body), "{\"ok\":tr");

    // A time-out of zero or less does not mean waiting for ever.
    for (const double timeout : {0.0, -1.0}) {
        server().script("/never", Reply::never());
        start = std::chrono::steady_clock::now();
        EXPECT_EQ(LocalHTTP::send("GET", "/never", std::nullopt, timeout).status, 0);
        EXPECT_LT(secondsSince(start), 2.0);
    }
}

TEST_F(LocalHTTPExchange, AReplyThatKeepsTricklingEndsAtTwiceTheTimeOutAsNoAnswer) {
    // Each byte comes well within the time-out, and the reply would last seconds.
    constexpr double timeout = 0.2;
    for (const Reply& trickled : {Reply::trickle(5, 0.02), Reply::endlessHead(5, 0.02)}) {
        server().script("/trickle", trickled);
        const auto start = std::chrono::steady_clock::now();
        const auto reply = LocalHTTP::send("GET", "/trickle", std::nullopt, timeout);
        EXPECT_EQ(reply.status, 0);
        EXPECT_FALSE(reply.body);
        EXPECT_LT(secondsSince(start), 2 * timeout + 0.5);
    }
}

TEST_F(LocalHTTPExchange, AReplyOverTheLimitIsNoAnswer) {
    Reply huge = Reply::json(200, std::string(LocalHTTP::maximumReplySize, 'x'));
    server().script("/huge", std::move(huge));
    const auto reply = LocalHTTP::send("GET", "/huge", std::nullopt, 5);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.body);
}

TEST_F(LocalHTTPExchange, WithoutTheBridgeThereIsNoAnswerAtOnce) {
    stopServer();
    const auto start = std::chrono::steady_clock::now();
    const auto reply = LocalHTTP::send("GET", "/healthz", std::nullopt, 2);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.body);
    EXPECT_LT(secondsSince(start), 0.5);

    // A socket file that nobody listens on refuses the connection.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, LocalHTTP::socketPath().c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(LocalHTTP::send("GET", "/healthz", std::nullopt, 2).status, 0);
    close(fd);
    unlink(LocalHTTP::socketPath().c_str());
}

TEST(LocalHTTP, APeerThatClosesBeforeReadingALargeBodyIsNoAnswer) {
    Testing::TemporaryFolder folder;
    const std::string path = (folder.path() / "peer.sock").string();
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    std::thread peer([&] { close(accept(listener, nullptr, nullptr)); });
    // Far more than the socket holds, so the write meets the closed peer; the process lives on.
    const auto reply = LocalHTTP::send(path, "POST", "/dossier", Foundation::Data(8 << 20, '{'), 5);
    peer.join();
    close(listener);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.body);
}

TEST(LocalHTTPPaths, ASocketPathOver103BytesIsNotTried) {
    Testing::TemporaryFolder folder;
    const auto base = folder.path().string() + "/";
    const auto pathOfLength = [&](std::size_t length) {
        return base + std::string(length - base.size() - 5, 'p') + ".sock";
    };
    SampleBridge::Server fits(pathOfLength(103));
    EXPECT_EQ(LocalHTTP::send(fits.socketPath(), "GET", "/healthz", std::nullopt, 2).status, 200);
    SampleBridge::Server tooLong(pathOfLength(104));
    EXPECT_EQ(LocalHTTP::send(tooLong.socketPath(), "GET", "/healthz", std::nullopt, 2).status, 0);
    EXPECT_TRUE(tooLong.requests().empty());
}

TEST(LocalHTTPPaths, TheSocketLivesInTheDataFolderUnderHome) {
    const auto& home = Testing::useTestHome();
    EXPECT_EQ(LocalHTTP::socketPath(), (home / ".kestrelhaven/bridge.sock").string());
}
