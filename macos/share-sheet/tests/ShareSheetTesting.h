// What the share sheet's tests share: a temporary App Group under a fresh HOME, a settable wall
// clock, and a way to let the sheet's tasks run while its clock moves on.
#pragma once

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/SystemTime.h>
#include <Testing/Testing.h>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>
#include <share-sheet/ShareSheetModel.h>

class ShareSheetTest : public ::testing::Test {
protected:
    static constexpr const char* group = "group.test.kestrelhaven";

    void SetUp() override {
        ::setenv("HOME", m_home.path().c_str(), 1);
        Foundation::SystemTime::setSource([this] { return wall; });
    }
    void TearDown() override { Foundation::SystemTime::setSource({}); }

    // The wall clock in milliseconds since 1970, as the share files keep time.
    double wallMilliseconds() const { return wall * 1000; }

    // Writes the menu-bar application's state, its heartbeat `age` seconds old.
    void writeMac(double age, std::vector<std::string> recent = {"Research", "Trips"},
                  bool full = false) {
        ASSERT_FALSE(store().writeMac(
            {std::move(recent), 300000, full, true, wallMilliseconds() - age * 1000}));
    }

    ShareStateStore store() const { return *ShareStateStore::shared(group); }
    DossierOutbox outbox() const { return *DossierOutbox::shared(group); }

    // Turns the main run loop, moving its clock on in small steps, until `done` holds or the
    // clock has gone `seconds` on; true when `done` held. The clock also runs on in real time,
    // which counts towards `seconds`, so a slow machine never moves it further than asked.
    static bool runFor(
        double seconds, const std::function<bool()>& done = [] { return false; }) {
        constexpr double step = 0.05;
        const double end = Dispatch::Clock::now() + seconds;
        for (;;) {
            Dispatch::RunLoop::main().runUntil(done, 0.0005);
            const double left = end - Dispatch::Clock::now();
            if (done() || left <= 0)
                return done();
            Dispatch::Clock::advance(std::min(step, left));
        }
    }

    double wall = 1.8e9;

private:
    Testing::TemporaryFolder m_home;
};

inline ShareDraft fileDraft(std::string text = "# Trip\n\nMore notes.") {
    return {ShareDraft::File{"Trip.md"}, std::move(text), "Trip", "Trip.md"};
}
