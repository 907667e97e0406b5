// The user's launchd domain and the jobs it holds.
//
// A domain is named "gui/<uid>" after this process's real user id; a job in
// it is addressed by the target "gui/<uid>/<label>". The jobs are kept as one
// property list per job in a folder under the user's home directory
// (.standins/launchd), so that every process of the user (the application,
// the launchctl stand-in) sees the same jobs. Changes are made under a lock
// on that folder; a job's file is replaced atomically, so readers take no lock.
//
// Loading a job (`bootstrap`) starts its program at once; a program that ends
// is not started again until `kickstart`. `bootout` stops the job's program
// (terminate, then kill after a grace) and forgets the job.
#pragma once

#include <Foundation/Error.h>
#include <Launchd/Process.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Launchd {

struct Job {
    std::string label;
    // The program's path first.
    std::vector<std::string> arguments;
    // The property list the job was loaded from.
    std::filesystem::path plist;
    // The instance started last, running or not.
    std::optional<Instance> instance;

    bool isRunning() const { return instance && Launchd::isRunning(*instance); }
};

class Domain {
public:
    // The domain kept under `home`.
    explicit Domain(std::filesystem::path home);
    // The domain kept under this process's home directory ($HOME).
    static Domain current();

    // "gui/<uid>".
    static std::string name();
    // "gui/<uid>/<label>".
    static std::string target(std::string_view label);

    std::optional<Job> job(std::string_view label) const;
    // The labels of every loaded job, sorted.
    std::vector<std::string> labels() const;

    // Loads the agent that the property list at `plist` describes ("Label" and "Program",
    // "ProgramArguments" or, relative to `bundle`, "BundleProgram") and starts its program.
    std::optional<Foundation::Error> bootstrap(const std::filesystem::path& plist,
                                               const std::filesystem::path& bundle = {});
    std::optional<Foundation::Error> bootout(std::string_view label);
    // Starts the job's program when it is not running; with `killRunning`, a running one is
    // stopped first and started again.
    std::optional<Foundation::Error> kickstart(std::string_view label, bool killRunning);

private:
    std::filesystem::path jobFile(std::string_view label) const;
    std::optional<Foundation::Error> save(const Job& job) const;
    std::vector<std::string> environment() const;

    std::filesystem::path m_home;
    std::filesystem::path m_folder;
};

} // namespace Launchd
