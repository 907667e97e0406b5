#include "RawClient.h"

#include <Testing/Testing.h>
#include <gtest/gtest.h>
#include <sample-bridge/Server.h>

using namespace SampleBridge;
using nlohmann::json;

namespace {

class SampleBridgeDossier : public testing::Test {
protected:
    void SetUp() override {
        server.state().setClock([] { return 1'700'000'000.0; });
    }

    RawClient::Response add(const json& body) {
        return RawClient::post(server.socketPath(), "/dossier", body.dump());
    }
    json index() {
        const auto response = RawClient::get(server.socketPath(), "/dossier");
        EXPECT_EQ(response.status, 200);
        return response.json();
    }
    Dossier& dossier() { return server.state().dossier(); }

    static json refusal(std::string_view reason, std::string_view msg) {
        return {{"ok", false}, {"reason", reason}, {"msg", msg}};
    }

    Testing::TemporaryFolder folder;
    Server server{folder.path() / "bridge.sock", State()};
};

} // namespace

TEST_F(SampleBridgeDossier, KeepsWhatItTakesAndListsItNewestFirstWithItsLimits) {
    std::string words;
    for (int i = 0; i < 400; ++i)
        words += "word ";
    const auto first =
        add({{"title", "Notes"}, {"text", words}, {"tag", " reading "}, {"source", "example.com"}});
    EXPECT_EQ(first.status, 201);
    EXPECT_EQ(first.json(), (json{{"ok", true},
                                  {"id", "d000001"},
                                  {"msg", "Added to the Dossier."},
                                  {"minutes", 3},
                                  {"tag", "reading"}}));
    const auto second = add({{"title", "Short"}, {"text", "two words"}, {"tag", nullptr}});
    EXPECT_EQ(second.status, 201);
    EXPECT_EQ(
        second.json(),
        (json{{"ok", true}, {"id", "d000002"}, {"msg", "Added to the Dossier."}, {"minutes", 1}}));

    const json listed = index();
    ASSERT_EQ(listed["items"].size(), 2u);
    EXPECT_EQ(listed["items"][0]["id"], "d000002");
    EXPECT_EQ(listed["items"][0]["tag"], nullptr);
    EXPECT_EQ(listed["items"][1]["tag"], "reading");
    EXPECT_EQ(listed["items"][1]["added_at"], 1'700'000'000'000);
    EXPECT_EQ(listed["limits"], (json{{"item_chars", 300000},
                                      {"items", 2},
                                      {"max_items", 2000},
                                      {"total_bytes", 64.0 * 1024 * 1024},
                                      {"used_bytes", 2000 + 9}}));
}

TEST_F(SampleBridgeDossier, RefusesWhatIsNotAnItemIsBlankTooLongOrDoesNotFit) {
    const json bad = refusal("bad_request", "The request isn't a Dossier item.");
    EXPECT_EQ(RawClient::post(server.socketPath(), "/dossier", "[1]").json(), bad);
    EXPECT_EQ(add({{"title", "No text"}}).json(), bad);
    EXPECT_EQ(add({{"title", "T"}, {"text", "x"}, {"tag", 7}}).json(), bad);
    const auto empty = add({{"title", "T"}, {"text", " \n\t"}});
    EXPECT_EQ(empty.status, 400);
    EXPECT_EQ(empty.json(), refusal("empty", "There's no text to add."));

    dossier().setLimits({.itemChars = 3, .maxItems = 1, .totalBytes = std::nullopt});
    // Four code units: "é" is one, "😀" two.
    const auto large = add({{"title", "T"}, {"text", "é😀x"}});
    EXPECT_EQ(large.status, 413);
    EXPECT_EQ(large.json()["reason"], "too_large");
    EXPECT_EQ(add({{"title", "T"}, {"text", "é😀"}}).status, 201);
    const auto full = add({{"title", "T"}, {"text", "abc"}});
    EXPECT_EQ(full.status, 409);
    EXPECT_EQ(full.json(), refusal("full", "Your Dossier is full."));
    EXPECT_FALSE(index()["limits"].contains("total_bytes"));

    dossier().setLimits({.itemChars = 100, .maxItems = std::nullopt, .totalBytes = 10});
    EXPECT_EQ(add({{"title", "T"}, {"text", "123456789"}}).json()["reason"], "full");
    EXPECT_EQ(add({{"title", "T"}, {"text", "1234"}}).status, 201);
}

TEST_F(SampleBridgeDossier, TestsChooseARefusalAMissingDossierOrSilence) {
    dossier().refuseEvery(DossierRefusal{"path", "The Dossier folder is missing.", 500});
    const auto refused = add({{"title", "T"}, {"text", "x"}});
    EXPECT_EQ(refused.status, 500);
    EXPECT_EQ(refused.json(), refusal("path", "The Dossier folder is missing."));
    dossier().refuseEvery(std::nullopt);
    EXPECT_EQ(add({{"title", "T"}, {"text", "x"}}).status, 201);

    dossier().setMode(DossierMode::missing);
    EXPECT_EQ(add({{"title", "T"}, {"text", "x"}}).status, 404);
    EXPECT_EQ(RawClient::get(server.socketPath(), "/dossier").status, 404);

    dossier().setMode(DossierMode::holding);
    RawClient::Connection held(server.socketPath());
    held.send("GET /dossier HTTP/1.1\r\n\r\n");
    bool closed = true;
    EXPECT_EQ(held.receive(0.3, &closed), "");
    EXPECT_FALSE(closed);
    EXPECT_EQ(dossier().items().size(), 1u);
}
