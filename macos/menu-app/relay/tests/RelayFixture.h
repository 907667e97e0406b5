// A test fixture for the Dossier relay: a test home whose bundle names an App
// Group, HOME pointed at that home so that the group's container lies in it,
// the sample bridge serving on the bridge's socket, the wall clock fixed, the
// log recorded and notifications recorded by a test double; and a folder
// kept from changing, for the relay's failures to write.
#pragma once

#include "menubar/tests/WithSampleBridge.h"
#include "relay/DossierShares.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Log.h>
#include <Foundation/SystemTime.h>
#include <UserNotifications/TestDouble.h>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <mutex>
#include <sample-bridge/Server.h>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

// Keeps every entry of a folder as it is, for the life of the object, even for the superuser;
// `held` is false when the system would not.
class FrozenFolder {
public:
    explicit FrozenFolder(const std::filesystem::path& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (::geteuid() != 0) {
            held = ::fchmod(m_fd, 0500) == 0;
            return;
        }
        int flags = 0;
        held = ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 &&
               (flags |= FS_IMMUTABLE_FL, ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0);
    }
    ~FrozenFolder() {
        thaw();
        ::close(m_fd);
    }
    FrozenFolder(const FrozenFolder&) = delete;
    FrozenFolder& operator=(const FrozenFolder&) = delete;
    void thaw() {
        if (::geteuid() != 0) {
            ::fchmod(m_fd, 0700);
        } else if (int flags = 0; ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
    }
    bool held = false;

private:
    int m_fd;
};

class Relay : public WithSampleBridge {
protected:
    static constexpr const char* appGroup = "group.com.tallowmeadows.kestrelhaven";
    // 2024-06-15 12:00 UTC.
    static constexpr double midsummerNoon = 1718452800;

    void SetUp() override {
        home = Testing::useTestHome({{"KHAppGroup", appGroup}});
        ::setenv("HOME", home.c_str(), 1);
        Foundation::SystemTime::setSource([this] { return now.load(); });
        Foundation::setLogSink([this](const Foundation::LogEntry& entry) {
            std::lock_guard guard(m_logLock);
            m_logged.push_back(entry);
        });
        WithSampleBridge::SetUp();
        server().state().setClock([this] { return now.load(); });
    }

    void TearDown() override {
        // Before the bridge goes, so that a post in flight ends at once.
        relay().stop();
        Foundation::setLogSink({});
        Foundation::SystemTime::setSource({});
    }

    static DossierShares& relay() { return DossierShares::shared(); }
    static DossierOutbox outbox() { return *DossierOutbox::shared(appGroup); }
    static ShareStateStore store() { return *ShareStateStore::shared(appGroup); }

    double nowMs() const { return now.load() * 1000; }
    // Moves both clocks: the wall clock of the share files and the clock of timers.
    void moveOn(double seconds) {
        now = now.load() + seconds;
        Dispatch::Clock::advance(seconds);
    }

    // Writes a share into the outbox as the extension does, made `age` milliseconds ago.
    DossierOutboxItem share(std::string title, std::string text = "A few words to keep.",
                            std::optional<std::string> tag = std::nullopt, double age = 0) {
        DossierOutboxItem item{DossierOutbox::newRef(), std::move(title), std::move(text),
                               std::move(tag),          std::nullopt,     nowMs() - age};
        EXPECT_EQ(outbox().add(item), std::nullopt);
        return item;
    }

    std::optional<DossierShareAnswer> answer(const DossierOutboxItem& item) const {
        return outbox().answer(item.ref);
    }
    bool answered(const DossierOutboxItem& item, DossierShareAnswer::State state) const {
        const auto found = answer(item);
        return found && found->state == state;
    }
    bool gone(const DossierOutboxItem& item) const { return !outbox().item(item.ref); }

    // The bodies of the POSTs to "/dossier", in order.
    std::vector<std::string> posts() {
        std::vector<std::string> bodies;
        for (const auto& request : server().requests())
            if (request.route() == "/dossier" && request.method == "POST")
                bodies.push_back(request.body);
        return bodies;
    }

    std::vector<std::string> logged(Foundation::LogLevel level) {
        std::lock_guard guard(m_logLock);
        std::vector<std::string> messages;
        for (const auto& entry : m_logged)
            if (entry.level == level)
                messages.push_back(entry.message);
        return messages;
    }
    std::size_t loggedCount(const std::string& message) {
        const auto messages = logged(Foundation::LogLevel::Info);
        return std::count(messages.begin(), messages.end(), message);
    }

    // The menu's rows as (title, line) pairs.
    static std::vector<std::pair<std::string, std::string>> rows() {
        std::vector<std::pair<std::string, std::string>> shown;
        for (const auto& row : relay().rows())
            shown.emplace_back(row.title, row.line);
        return shown;
    }

    static bool eventually(const std::function<bool()>& condition, double timeout = 5) {
        return Dispatch::RunLoop::main().runUntil(condition, timeout);
    }
    // Runs queued work without moving any clock, long enough for a debounced pass to be seen.
    static void settle() { Dispatch::RunLoop::main().runFor(0.4); }
    // Waits until the relay's queue has done all the work queued on it so far: the removal of a
    // share that never was, queued behind that work, is logged once it has run.
    void relayQueueRan() {
        const std::string ref = DossierOutbox::newRef();
        relay().remove(ref);
        ASSERT_TRUE(
            eventually([&] { return loggedCount("share " + ref + " removed by the user"); }));
    }

    std::filesystem::path home;
    std::atomic<double> now = midsummerNoon;
    UserNotifications::TestDouble notifications{
        {.status = UserNotifications::AuthorizationStatus::authorized}};

private:
    std::mutex m_logLock;
    std::vector<Foundation::LogEntry> m_logged;
};
