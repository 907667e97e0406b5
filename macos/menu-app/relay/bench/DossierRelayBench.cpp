// The relay draining 200 queued shares to the sample bridge, measured beside a baseline that
// does the same work for each share by hand: read and decode the item file, one POST through
// LocalHTTP::send, an atomic answer write, and the item file's unlink. The last line printed is
// the ratio of the two (relay / by hand).
#include "menubar/LocalHTTP.h"
#include "relay/DossierShares.h"
#include "relay/bench/RelayBench.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/FileIO.h>
#include <JSONCoding/JSONCoding.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <sample-bridge/Server.h>
#include <share-core/DossierOutbox.h>
#include <share-core/DossierPost.h>
#include <share-core/ShareClock.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using RelayBench::appGroup;
// The baseline works in an outbox of its own, which the relay does not watch.
constexpr const char* baselineGroup = "group.com.tallowmeadows.kestrelhaven.baseline";
constexpr int shares = 200;

SampleBridge::Server* server = nullptr;

DossierOutbox outbox(const char* group = appGroup) {
    return *DossierOutbox::shared(group);
}

// Queues the shares, oldest first, in an outbox cleared of earlier answers, as the extension
// leaves it once it has read them; gives the ref of the newest.
std::string queueShares(const DossierOutbox& box) {
    std::error_code error;
    for (std::filesystem::directory_iterator entries(box.directory, error);
         !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (const auto ref = DossierOutbox::refFromAnswerName(entries->path().filename().string()))
            box.removeAnswer(*ref);
    }
    const double now = ShareClock::now();
    std::string text;
    for (int word = 0; word < 300; ++word)
        text += "word ";
    std::string last;
    for (int index = 0; index < shares; ++index) {
        const DossierOutboxItem item{
            DossierOutbox::newRef(), "Share " + std::to_string(index), text, "bench", "example.com",
            now - shares + index};
        box.add(item);
        last = item.ref;
    }
    return last;
}

void relay(benchmark::State& state) {
    static const bool started = [] {
        DossierShares::shared().start();
        return Dispatch::RunLoop::main().runUntil(
            [] { return DossierShares::shared().rows().empty(); }, 5);
    }();
    if (!started)
        state.SkipWithError("the relay did not start");
    for (auto _ : state) {
        state.PauseTiming();
        server->state().dossier().clear();
        const std::string last = queueShares(outbox());
        // Lets the folder watcher schedule its pass, which the clock then makes due at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        state.ResumeTiming();
        Dispatch::Clock::advance(DossierShares::debounce);
        const bool drained = Dispatch::RunLoop::main().runUntil(
            [&] { return outbox().answer(last).has_value() && !outbox().item(last); }, 60);
        if (!drained)
            state.SkipWithError("the relay did not drain the outbox");
    }
}

void byHand(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        server->state().dossier().clear();
        const DossierOutbox box = outbox(baselineGroup);
        queueShares(box);
        const std::vector<std::string> refs = box.refs();
        state.ResumeTiming();
        for (const std::string& ref : refs) {
            const auto data = Foundation::readFile(box.url(ref), DossierOutbox::maxFileBytes,
                                                   Foundation::Links::Refuse);
            const auto item = data ? JSONCoding::decode<DossierOutboxItem>(*data) : std::nullopt;
            if (!item) {
                state.SkipWithError("an item did not read");
                return;
            }
            JSONCoding::JSON body = JSONCoding::JSON::object();
            for (auto& [key, value] : DossierShareRequest::body(*item))
                body[key] = std::move(value);
            auto reply = LocalHTTP::send("POST", "/dossier",
                                         Foundation::dataFrom(*JSONCoding::serialize(body)), 30);
            const auto outcome = DossierPostOutcome::from(reply.status, std::move(reply.body));
            box.writeAnswer(outcome.answer(*item, ShareClock::now()));
            ::unlink(box.url(ref).c_str());
        }
    }
}

// Both take their turns in random order, and each is the median of its turns, since the time of
// writing files to storage changes with what else the machine does.
BENCHMARK(relay)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(9)
    ->DisplayAggregatesOnly();
BENCHMARK(byHand)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(9)
    ->DisplayAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    RelayBench::useHome();
    SampleBridge::Server bridge(LocalHTTP::socketPath(), SampleBridge::State());
    server = &bridge;
    return RelayBench::runInterleaved(argc, argv, {{"relay", "byHand", "ours", "by hand"}});
}
