// A test fixture with the sample bridge serving on the bridge's socket in the test home.
#pragma once

#include "menubar/LocalHTTP.h"

#include <Testing/Testing.h>
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

private:
    std::unique_ptr<SampleBridge::Server> m_server;
};
