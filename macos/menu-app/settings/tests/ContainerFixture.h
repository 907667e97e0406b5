// A test fixture for the Add a Container window: the built bundle's bridge tool in a test-build
// home, and the sample bridge serving there in-process on a clock that moves with
// Dispatch::Clock, so that moving the clock past a poll also moves the bridge's time.
#pragma once

#include "menubar/LocalHTTP.h"
#include "service/Bundled.h"
#include "service/tests/ServiceFixture.h"
#include "settings/ContainerSetupModel.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/SystemTime.h>
#include <memory>
#include <sample-bridge/CheckIns.h>
#include <sample-bridge/Server.h>

class WithContainerBridge : public WithBuiltBundle {
protected:
    void SetUp() override {
        WithBuiltBundle::SetUp();
        SampleBridge::State state;
        state.setClock([offset = Foundation::SystemTime::now() - Dispatch::Clock::now()] {
            return offset + Dispatch::Clock::now();
        });
        server = std::make_unique<SampleBridge::Server>(LocalHTTP::socketPath(), std::move(state));
    }

    void TearDown() override {
        server.reset();
        WithBuiltBundle::TearDown();
    }

    // Adds a container environment with the bridge's tool, as another window would have.
    static void addContainer(const std::string& name, const std::string& label) {
        const auto run = Bundled::cli({"env", "add", name, label, "--container", "--json"}, 20);
        ASSERT_EQ(run.status, 0) << run.output << run.error;
    }

    static void planCheckIn(const std::string& name, SampleBridge::CheckIns::Plan plan) {
        std::string error;
        ASSERT_TRUE(SampleBridge::CheckIns::plan(name, plan, error)) << error;
    }

    // Waits until the model's tool run is over.
    static bool settled(const ContainerSetupModel& model) {
        return Dispatch::RunLoop::main().runUntil(
            [&] { return model.phase->kind != ContainerSetupModel::Phase::Kind::working; }, 30);
    }

    // Moves the clock by `seconds` and waits until the model's connection is `kind`.
    static bool afterPoll(const ContainerSetupModel& model,
                          ContainerSetupModel::Connection::Kind kind,
                          double seconds = ContainerSetupModel::pollInterval) {
        Dispatch::Clock::advance(seconds);
        return Dispatch::RunLoop::main().runUntil([&] { return model.connection->kind == kind; },
                                                  30);
    }

    std::size_t environmentRequests() const {
        std::size_t count = 0;
        for (const auto& request : server->requests())
            count += request.route() == "/environments" ? 1 : 0;
        return count;
    }

    std::unique_ptr<SampleBridge::Server> server;
};
