#include "Domain.h"

#include <Foundation/FileIO.h>
#include <Foundation/FileLock.h>
#include <Foundation/Home.h>
#include <Foundation/PropertyList.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace Launchd {

namespace {

// How long a job's program may take to end after it was asked to terminate.
constexpr double stopGrace = 5;

using Foundation::Error;
using Foundation::PropertyList;

Error failure(int code, const std::string& sentence) {
    return {Foundation::posixErrorDomain, code, sentence};
}

// Labels name files in the jobs folder.
bool isValidLabel(std::string_view label) {
    return !label.empty() && label.front() != '.' && label.find('/') == std::string_view::npos &&
           label.find('\0') == std::string_view::npos;
}

// Holds the domain's lock while the result lives.
std::optional<Foundation::FileLock> lockFolder(const std::filesystem::path& folder) {
    return Foundation::FileLock::take(folder / ".lock", Foundation::FileLock::Wait::Yes);
}

PropertyList encode(const Job& job) {
    PropertyList::Array arguments(job.arguments.begin(), job.arguments.end());
    PropertyList::Dictionary entries{{"Label", job.label},
                                     {"ProgramArguments", std::move(arguments)},
                                     {"Plist", job.plist.string()}};
    if (job.instance) {
        entries.emplace("PID", std::int64_t{job.instance->pid});
        entries.emplace("StartTime", static_cast<std::int64_t>(job.instance->startTime));
    }
    return entries;
}

std::optional<Job> decode(const PropertyList& record) {
    const auto* label = record.find("Label");
    const auto* arguments = record.find("ProgramArguments");
    const auto* plist = record.find("Plist");
    if (!label || !label->text() || !arguments || !arguments->textList() || !plist ||
        !plist->text())
        return std::nullopt;
    Job job{*label->text(), *arguments->textList(), *plist->text(), std::nullopt};
    const auto* pid = record.find("PID");
    const auto* startTime = record.find("StartTime");
    if (pid && pid->integer() && startTime && startTime->integer())
        job.instance = Instance{static_cast<pid_t>(*pid->integer()),
                                static_cast<std::uint64_t>(*startTime->integer())};
    return job;
}

// The job an agent's property list describes, not yet started.
std::optional<Job> describedJob(const std::filesystem::path& plist,
                                const std::filesystem::path& bundle, Error* error) {
    const auto contents = Foundation::readPropertyList(plist);
    const auto* label = contents ? contents->find("Label") : nullptr;
    if (!label || !label->text() || !isValidLabel(*label->text())) {
        *error = failure(EINVAL, "No agent with a valid label in " + plist.string());
        return std::nullopt;
    }
    Job job{*label->text(), {}, plist, std::nullopt};
    std::string program;
    if (const auto* path = contents->find("Program"); path && path->text())
        program = *path->text();
    else if (const auto* relative = contents->find("BundleProgram");
             relative && relative->text() && !bundle.empty())
        program = (bundle / *relative->text()).string();
    if (const auto* arguments = contents->find("ProgramArguments");
        arguments && arguments->textList() && !arguments->textList()->empty()) {
        job.arguments = *arguments->textList();
        if (!program.empty())
            job.arguments[0] = program;
    } else if (!program.empty()) {
        job.arguments = {program};
    }
    if (job.arguments.empty()) {
        *error = failure(EINVAL, "No program for " + job.label + " in " + plist.string());
        return std::nullopt;
    }
    return job;
}

Error noSuchService(std::string_view label) {
    return failure(ESRCH, "No service " + std::string(label) + " in " + Domain::name());
}

} // namespace

Domain::Domain(std::filesystem::path home)
    : m_home(std::move(home)), m_folder(m_home / ".standins" / "launchd") {}

Domain Domain::current() {
    return Domain(Foundation::homeDirectory());
}

std::string Domain::name() {
    return "gui/" + std::to_string(::getuid());
}

std::string Domain::target(std::string_view label) {
    return name() + "/" + std::string(label);
}

std::filesystem::path Domain::jobFile(std::string_view label) const {
    return m_folder / (std::string(label) + ".plist");
}

std::optional<Job> Domain::job(std::string_view label) const {
    if (!isValidLabel(label))
        return std::nullopt;
    const auto record = Foundation::readPropertyList(jobFile(label));
    return record ? decode(*record) : std::nullopt;
}

std::vector<std::string> Domain::labels() const {
    std::vector<std::string> labels;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder, error)) {
        const auto name = entry.path();
        if (name.extension() == ".plist" && job(name.stem().string()))
            labels.push_back(name.stem().string());
    }
    std::sort(labels.begin(), labels.end());
    return labels;
}

std::optional<Foundation::Error> Domain::save(const Job& job) const {
    std::string sentence;
    if (Foundation::writeFileAtomically(
            jobFile(job.label),
            Foundation::dataFrom(Foundation::serializePropertyList(encode(job))), 0600, &sentence))
        return std::nullopt;
    return failure(EIO, sentence);
}

std::vector<std::string> Domain::environment() const {
    std::vector<std::string> environment{"HOME=" + m_home.string(),
                                         "PATH=/usr/bin:/bin:/usr/sbin:/sbin"};
    for (const char* name : {"USER", "LOGNAME", "SHELL", "TMPDIR"}) {
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

std::optional<Foundation::Error> Domain::bootstrap(const std::filesystem::path& plist,
                                                   const std::filesystem::path& bundle) {
    Error error;
    auto described = describedJob(plist, bundle, &error);
    if (!described)
        return error;
    if (std::error_code made; !Foundation::createFolder(m_folder, &made))
        return Foundation::posixError(made, "Couldn't create " + m_folder.string());
    const auto lock = lockFolder(m_folder);
    if (job(described->label))
        return failure(EEXIST, "Service " + described->label + " is already loaded");
    described->instance = start(described->arguments, environment(), &error);
    if (!described->instance)
        return error;
    return save(*described);
}

std::optional<Foundation::Error> Domain::bootout(std::string_view label) {
    const auto lock = lockFolder(m_folder);
    const auto loaded = job(label);
    if (!loaded)
        return noSuchService(label);
    if (loaded->instance && !stop(*loaded->instance, stopGrace))
        return failure(EBUSY, "Couldn't stop " + loaded->label);
    if (::unlink(jobFile(label).c_str()) != 0)
        return Foundation::posixError(errno, "Couldn't unload " + loaded->label);
    return std::nullopt;
}

std::optional<Foundation::Error> Domain::kickstart(std::string_view label, bool killRunning) {
    const auto lock = lockFolder(m_folder);
    auto loaded = job(label);
    if (!loaded)
        return noSuchService(label);
    if (loaded->isRunning()) {
        if (!killRunning)
            return std::nullopt;
        if (!stop(*loaded->instance, stopGrace))
            return failure(EBUSY, "Couldn't stop " + loaded->label);
    }
    Error error;
    loaded->instance = start(loaded->arguments, environment(), &error);
    if (!loaded->instance)
        return error;
    return save(*loaded);
}

} // namespace Launchd
