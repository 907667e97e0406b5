// The relay's pass over 10,000 waiting shares, and over 200 shares beside 3,000 item files that
// do not read, each beside its pass over 200 alone, against the sample bridge holding every
// share as its Dossier is full: each share stays in the outbox through the whole pass, so every
// post meets all of them. Each pass is timed from the moment the files are all in the outbox to
// the answer of the newest share; its time per share is what is compared. The last two lines
// printed are the ratios (10,000 / 200, then 200 beside the files that do not read / 200): a
// relay whose work per post grows with the outbox, or with what it could not read, shows it
// there.
#include "menubar/LocalHTTP.h"
#include "relay/DossierShares.h"
#include "relay/bench/RelayBench.h"

#include <Dispatch/RunLoop.h>
#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <sample-bridge/Server.h>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>
#include <string>
#include <unistd.h>

namespace {

using RelayBench::appGroup;
// The wall clock stands still, so no held share falls due again within a pass.
constexpr double midsummerNoon = 1718452800;
const std::string fullReply = R"({"ok": false, "reason": "full", "msg": "Your Dossier is full."})";

SampleBridge::Server* server = nullptr;

DossierOutbox outbox() {
    return *DossierOutbox::shared(appGroup);
}

// Writes an item file as the extension leaves it, without waiting for the disk: only the
// relay's work is timed.
std::string put(int index, int shares) {
    std::string text;
    for (int word = 0; word < 300; ++word)
        text += "word ";
    const DossierOutboxItem item{DossierOutbox::newRef(), "Share " + std::to_string(index),
                                 std::move(text),         "bench",
                                 "example.com",           midsummerNoon * 1000 - shares + index};
    Testing::writeText(outbox().url(item.ref), item.json().dump());
    return item.ref;
}

// Writes an item file that does not read: no access, and no item in it for a reader that
// reads it anyway.
void putUnreadable() {
    const auto file = outbox().url(DossierOutbox::newRef());
    Testing::writeText(file, "unreadable");
    std::filesystem::permissions(file, std::filesystem::perms::none);
}

// Empties the outbox and waits until the relay has let every row go.
bool clear() {
    std::error_code error;
    for (std::filesystem::directory_iterator entries(outbox().directory, error);
         !error && entries != std::filesystem::directory_iterator(); entries.increment(error))
        ::unlink(entries->path().c_str());
    return Dispatch::RunLoop::main().runUntil([] { return DossierShares::shared().rows().empty(); },
                                              60);
}

void pass(benchmark::State& state, int shares, int unreadable = 0) {
    for (auto _ : state) {
        if (!clear()) {
            state.SkipWithError("the relay kept its rows");
            return;
        }
        // The first share's post waits at a gate while the others are written, so that the pass
        // starts with all of them in the outbox.
        SampleBridge::Gate gate;
        auto held = SampleBridge::Reply::json(409, fullReply);
        held.gate = gate;
        server->script("/dossier", held);
        put(-1, shares);
        if (!Dispatch::RunLoop::main().runUntil([&] { return gate.reached(); }, 10)) {
            state.SkipWithError("the relay did not post");
            return;
        }
        for (int index = 0; index < unreadable; ++index)
            putUnreadable();
        std::string last;
        for (int index = 0; index < shares; ++index)
            last = put(index, shares);

        const auto start = std::chrono::steady_clock::now();
        gate.open();
        const bool answered =
            Dispatch::RunLoop::main().runUntil([&] { return outbox().answer(last).has_value(); },
                                               600, Dispatch::RunLoopMode::Default, 0.001);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!answered) {
            state.SkipWithError("the relay did not answer every share");
            return;
        }
        state.SetIterationTime(took.count() / shares);
    }
}

void tenThousand(benchmark::State& state) {
    pass(state, 10000);
}

void twoHundred(benchmark::State& state) {
    pass(state, 200);
}

void twoHundredBesideUnreadable(benchmark::State& state) {
    pass(state, 200, 3000);
}

// Each is the median of its turns.
BENCHMARK(tenThousand)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->DisplayAggregatesOnly();
BENCHMARK(twoHundredBesideUnreadable)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->DisplayAggregatesOnly();
BENCHMARK(twoHundred)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5)
    ->Repetitions(9)
    ->DisplayAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    RelayBench::useHome();
    Foundation::SystemTime::setSource([] { return midsummerNoon; });
    SampleBridge::Server bridge(LocalHTTP::socketPath(), SampleBridge::State());
    bridge.state().dossier().refuseEvery(
        SampleBridge::DossierRefusal{"full", "Your Dossier is full.", 409});
    server = &bridge;
    DossierShares::shared().start();
    // The start asks the bridge's health and the Dossier's index before it writes the state.
    const auto store = *ShareStateStore::shared(appGroup);
    if (!Dispatch::RunLoop::main().runUntil([&] { return store.mac().has_value(); }, 10))
        return 1;
    return RelayBench::runInterleaved(
        argc, argv,
        {{"tenThousand", "twoHundred", "10,000 shares", "200 shares, per share"},
         {"twoHundredBesideUnreadable", "twoHundred", "200 shares beside 3,000 unreadable files",
          "200 shares alone, per share"}});
}
