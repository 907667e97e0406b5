#include "AgentService.h"

#include "TestDouble.h"

#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <Foundation/PropertyList.h>
#include <Launchd/Domain.h>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ServiceManagement {

namespace {

constexpr const char* errorDomain = "SMAppServiceErrorDomain";

Foundation::Error failure(int code, const std::string& sentence) {
    return {errorDomain, code, sentence};
}

std::filesystem::path registry() {
    return Foundation::homeDirectory() / ".standins" / "servicemanagement";
}

// Property-list names name files in the registry.
bool isValidName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos;
}

std::optional<bool> readApproval(const std::filesystem::path& registration) {
    const auto record = Foundation::readPropertyList(registration);
    const auto* approved = record ? record->find("Approved") : nullptr;
    return approved ? approved->boolean() : std::nullopt;
}

} // namespace

AgentService::AgentService(std::filesystem::path bundle, std::string plistName)
    : m_bundle(std::move(bundle)), m_plistName(std::move(plistName)) {}

AgentService AgentService::agent(std::string plistName) {
    return AgentService(Foundation::Bundle::main().path(), std::move(plistName));
}

std::filesystem::path AgentService::plist() const {
    return m_bundle / "Contents" / "Library" / "LaunchAgents" / m_plistName;
}

std::filesystem::path AgentService::registration() const {
    return registry() / (m_plistName + ".registration");
}

std::optional<std::string> AgentService::label() const {
    if (!isValidName(m_plistName))
        return std::nullopt;
    const auto contents = Foundation::readPropertyList(plist());
    const auto* label = contents ? contents->find("Label") : nullptr;
    if (!label || !label->text())
        return std::nullopt;
    return *label->text();
}

Status AgentService::status() const {
    if (!label())
        return Status::notFound;
    const auto approved = readApproval(registration());
    if (!approved)
        return Status::notFound;
    return *approved ? Status::enabled : Status::requiresApproval;
}

std::optional<Foundation::Error> AgentService::registerService() const {
    const auto label = this->label();
    if (!label)
        return failure(ENOENT, "Couldn't find the agent “" + m_plistName +
                                   "” in the application's LaunchAgents");
    const TestDouble::Choices choices = TestDouble::current();
    if (!choices.requiresApproval && choices.registerFailure)
        return choices.registerFailure;
    if (!choices.requiresApproval) {
        // Loaded unless launchd holds it already: registering again leaves a running agent be.
        Launchd::Domain domain = Launchd::Domain::current();
        if (!domain.job(*label)) {
            if (auto error = domain.bootstrap(plist(), m_bundle))
                return failure(static_cast<int>(error->code), error->description);
        }
    }
    if (std::error_code made; !Foundation::createFolder(registry(), &made))
        return Foundation::posixError(made, "Couldn't create " + registry().string());
    std::string sentence;
    const Foundation::PropertyList record(Foundation::PropertyList::Dictionary{
        {"Bundle", m_bundle.string()}, {"Label", *label}, {"Approved", !choices.requiresApproval}});
    if (!Foundation::writeFileAtomically(
            registration(), Foundation::dataFrom(Foundation::serializePropertyList(record)), 0600,
            &sentence))
        return failure(EIO, sentence);
    return choices.registerFailure;
}

std::optional<Foundation::Error> AgentService::unregister() const {
    const auto label = this->label();
    if (!label || !readApproval(registration()))
        return failure(ESRCH, "The agent “" + m_plistName + "” isn't registered");
    if (::unlink(registration().c_str()) != 0)
        return Foundation::posixError(errno, "Couldn't unregister “" + m_plistName + "”");
    Launchd::Domain domain = Launchd::Domain::current();
    if (domain.job(*label)) {
        if (auto error = domain.bootout(*label))
            return failure(static_cast<int>(error->code), error->description);
    }
    return std::nullopt;
}

void openSystemSettingsLoginItems() {
    if (!Foundation::createFolder(registry()))
        return;
    const int fd = ::open((registry() / "login-items-opened").c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, "opened\n", 7);
    ::close(fd);
}

int loginItemsOpenings() {
    const auto record = Foundation::readFile(registry() / "login-items-opened", 1 << 20);
    if (!record)
        return 0;
    int count = 0;
    for (const std::uint8_t byte : *record)
        count += byte == '\n';
    return count;
}

} // namespace ServiceManagement
