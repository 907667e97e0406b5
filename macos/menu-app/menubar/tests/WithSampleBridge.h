// A test fixture with the sample bridge serving on the bridge's socket in the test home.
#pragma once

#include "menubar/LocalHTTP.h"

#include <Dispatch/RunLoop.h>
#include <Testing/Testing.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sample-bridge/Server.h>

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

    // Lets go of the reply held at `gate` and waits until the client has read it; true when
    // `changed` then stays false for a moment, as it must for a reply that should change nothing.
    static bool changesNothing(SampleBridge::Gate& gate, const std::function<bool()>& changed) {
        gate.open();
        auto& loop = Dispatch::RunLoop::main();
        return loop.runUntil([&] { return gate.passed(); }, 5) && !loop.runUntil(changed, 0.2);
    }

private:
    std::unique_ptr<SampleBridge::Server> m_server;
};
