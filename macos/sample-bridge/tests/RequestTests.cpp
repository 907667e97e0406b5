#include <gtest/gtest.h>
#include <sample-bridge/Reply.h>
#include <sample-bridge/Request.h>

using namespace SampleBridge;

TEST(SampleBridgeRequest, ReadsTheRequestLineAndHeaders) {
    const auto head = parseHead("post /pair/status?x=1 HTTP/1.1\r\nHost: localhost\r\n"
                                "X-Empty:\r\ncontent-length:  12 \t\r\nX-Twice: a\r\nx-twice: b");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->request.method, "post");
    EXPECT_EQ(head->request.path, "/pair/status?x=1");
    EXPECT_EQ(head->request.route(), "/pair/status");
    EXPECT_EQ(head->contentLength, 12u);
    EXPECT_EQ(head->request.header("CONTENT-LENGTH"), "12");
    EXPECT_EQ(head->request.header("x-empty"), "");
    EXPECT_EQ(head->request.header("X-TWICE"), "a");
    EXPECT_FALSE(head->request.header("Connection"));

    const auto bare = parseHead("GET / HTTP/1.0");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->contentLength, 0u);
    EXPECT_TRUE(bare->request.headers.empty());
}

TEST(SampleBridgeRequest, RefusesHeadsThatCouldMisframeTheBody) {
    const std::string line = "GET / HTTP/1.1";
    for (const std::string& head : {
             std::string("GET /"),
             std::string("GET  / HTTP/1.1"),
             std::string("GET / HTTP/1.1 extra"),
             std::string("GET / HTTP/2.0"),
             std::string("GET relative HTTP/1.1"),
             std::string("G(T / HTTP/1.1"),
             std::string("\r\nGET / HTTP/1.1"),
             line + "\r\nNo colon here",
             line + "\r\n: no name",
             line + "\r\nSpaced name : x",
             line + "\r\nHost: a\r\n folded: continuation",
             line + "\r\nHost: a\nX: bare line feed",
             line + "\r\nX: nul" + std::string(1, '\0'),
             line + "\r\nTransfer-Encoding: chunked",
         }) {
        EXPECT_FALSE(parseHead(head)) << head;
    }
}

TEST(SampleBridgeRequest, ContentLengthIsPlainDigitsWithinTheBound) {
    const auto lengthOf = [](const std::string& value) -> std::optional<std::size_t> {
        const auto head = parseHead("POST / HTTP/1.1\r\nContent-Length: " + value);
        return head ? std::optional(head->contentLength) : std::nullopt;
    };
    EXPECT_EQ(lengthOf("0"), 0u);
    EXPECT_EQ(lengthOf(std::to_string(maximumBodySize)), maximumBodySize);
    for (const std::string& bad : {std::to_string(maximumBodySize + 1), std::string("-1"),
                                   std::string("+5"), std::string("0x10"), std::string("5 5"),
                                   std::string(""), std::string("99999999999999999999999")}) {
        EXPECT_FALSE(lengthOf(bad)) << bad;
    }
    EXPECT_EQ(lengthOf("7\r\nContent-Length: 7"), 7u);
    EXPECT_FALSE(lengthOf("7\r\nContent-Length: 8"));
}

TEST(SampleBridgeReply, JSONRepliesCarryReasonAndExactLength) {
    EXPECT_EQ(Reply::json(404, R"({"ok":false})").bytes,
              "HTTP/1.1 404 Not Found\r\nContent-Type: application/json\r\n"
              "Content-Length: 12\r\nConnection: close\r\n\r\n{\"ok\":false}");
    EXPECT_TRUE(Reply::json(599, "").bytes.starts_with("HTTP/1.1 599 Unknown\r\n"));
}

TEST(SampleBridgeReply, ChunkedRepliesFrameEachChunkInHex) {
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(Reply::chunked(200, {alphabet, "!"}).bytes,
              "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
              "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
              "1a\r\n" +
                  alphabet + "\r\n1\r\n!\r\n0\r\n\r\n");
    const std::string withExtras = Reply::chunked(200, {"ok"}, "n=v", "X-T: 1\r\n").bytes;
    EXPECT_TRUE(withExtras.ends_with("\r\n\r\n2;n=v\r\nok\r\n0\r\nX-T: 1\r\n\r\n")) << withExtras;
}
