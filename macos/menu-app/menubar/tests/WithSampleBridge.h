// A test fixture with the sample bridge serving on the bridge's socket in the test home.
#pragma once

#include "menubar/LocalHTTP.h"

#include <Dispatch/RunLoop.h>
#include <Testing/Testing.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sample-bridge/Server.h>
#include <string>
#include <sys/socket.h>
#include <vector>

class WithSampleBridge : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome();
        m_server =
            std::make_unique<SampleBridge::Server>(LocalHTTP::socketPath(), SampleBridge::State());
    }
    SampleBridge::Server& server() { return *m_server; }
    void stopServer() { m_server.reset(); }
    void startServer(SampleBridge::State state = SampleBridge::State()) {
        m_server =
            std::make_unique<SampleBridge::Server>(LocalHTTP::socketPath(), std::move(state));
    }

    // Scripts `reply` for the next request for `path`, held at the gate returned until the
    // test opens it.
    SampleBridge::Gate scriptHeld(std::string path, SampleBridge::Reply reply) {
        SampleBridge::Gate gate;
        reply.gate = gate;
        server().script(std::move(path), std::move(reply));
        return gate;
    }
    // Scripts `reply` for the next request for `path`, behind a gate left open that tells when
    // the client has read it.
    SampleBridge::Gate scriptWatched(std::string path, SampleBridge::Reply reply) {
        auto gate = scriptHeld(std::move(path), std::move(reply));
        gate.open();
        return gate;
    }
    // Waits until the client has read the reply behind `gate`, then turns the main queue, where
    // the client hands replies over: a reply that changes nothing shows no other sign of it.
    static bool handedOver(const SampleBridge::Gate& gate) {
        auto& loop = Dispatch::RunLoop::main();
        if (!loop.runUntil([&] { return gate.passed(); }, 5))
            return false;
        loop.runFor(0.02);
        return true;
    }
    // Lets go of the reply held at `gate`; true when, once it is handed over, `changed` stays
    // false for a moment, as it must for a reply that should change nothing.
    static bool changesNothing(SampleBridge::Gate& gate, const std::function<bool()>& changed) {
        gate.open();
        return handedOver(gate) && !Dispatch::RunLoop::main().runUntil(changed, 0.2);
    }

    // The time-outs, in seconds, of the exchanges now open in this process, as each client's
    // socket carries its own (the bridge's sockets carry none).
    static std::vector<double> timeOutsWaiting() {
        std::vector<double> found;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            timeval limit{};
            socklen_t size = sizeof limit;
            if (::getsockopt(std::stoi(entry.path().filename()), SOL_SOCKET, SO_SNDTIMEO, &limit,
                             &size) == 0 &&
                (limit.tv_sec != 0 || limit.tv_usec != 0))
                found.push_back(static_cast<double>(limit.tv_sec) +
                                static_cast<double>(limit.tv_usec) / 1e6);
        }
        return found;
    }

private:
    std::unique_ptr<SampleBridge::Server> m_server;
};
