#include "sample-bridge/SavedState.h"

#include "sample-bridge/ClaudeFiles.h"

#include <Foundation/FileIO.h>
#include <Foundation/SetAside.h>
#include <string>
#include <system_error>

namespace SampleBridge {

namespace {

JSON devicesOf(State& state) {
    return state.devices()["devices"];
}

// Puts a saved record into `state`; false, changing nothing, when it is not one.
bool take(const JSON& saved, State& state) {
    const auto settings = saved.find("settings");
    const auto devices = saved.find("devices");
    const auto dossier = saved.find("dossier");
    if (settings == saved.end() || !settings->is_object() || devices == saved.end() ||
        !devices->is_array() || dossier == saved.end() || !state.dossier().restore(*dossier))
        return false;
    state.settings().setValues(*settings);
    state.setDevices(*devices);
    return true;
}

} // namespace

SavedState::SavedState(std::filesystem::path file) : m_file(std::move(file)) {}

void SavedState::restore(State& state, std::ostream& errors) {
    std::lock_guard lock(m_mutex);
    const auto read = ClaudeFiles::readObject(m_file);
    if (read.existed && !(read.document && take(JSON(*read.document), state))) {
        std::filesystem::path aside;
        // Earlier files set aside are kept: a name in use is passed over.
        const std::error_code moved = Foundation::moveToFreeName(m_file, ".unreadable", aside);
        m_writable = !moved;
        errors << "sample bridge: " << m_file.string() << " isn't readable; "
               << (moved ? "it is left as it is, and nothing is kept this time"
                         : "it was moved to " + aside.string() + ", and the demo begins again")
               << "\n";
    }
    remember(state.settings().values(), devicesOf(state), state.dossier().revision());
}

bool SavedState::save(State& state) {
    std::lock_guard lock(m_mutex);
    JSON settings = state.settings().values();
    JSON devices = devicesOf(state);
    const std::uint64_t dossierRevision = state.dossier().revision();
    if (settings == m_settings && devices == m_devices && dossierRevision == m_dossierRevision)
        return true;
    if (!m_writable)
        return false;
    const ClaudeFiles::Document saved = {
        {"settings", settings}, {"devices", devices}, {"dossier", state.dossier().saved()}};
    // A failed write is tried again after the next request.
    std::string error;
    if (!ClaudeFiles::writeObject(m_file, saved, error))
        return false;
    remember(settings, devices, dossierRevision);
    return true;
}

void SavedState::remember(const JSON& settings, const JSON& devices,
                          std::uint64_t dossierRevision) {
    m_settings = settings;
    m_devices = devices;
    m_dossierRevision = dossierRevision;
}

} // namespace SampleBridge
