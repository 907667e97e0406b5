// What the sample bridge keeps of its state across restarts, as the bridge keeps
// its own in its data folder: the settings, the paired phones and the Dossier,
// in one JSON file. (The environments keep themselves, in environments.json.)
//
// `restore` puts what the file holds into a state. A missing file leaves the
// state as it is (the demo, for a fresh data folder); a file that does not read
// as such a record leaves the state as it is too, and is moved aside to the
// first free name of "<file>.unreadable", "<file>.unreadable-2", … so that the
// next save keeps it; when it cannot be moved aside, nothing is ever written
// over it. `save` writes the file atomically (0600) when what it keeps changed
// since it was last read or written, and otherwise only compares, so that it
// can follow every request; it tells when the state holds what the file does
// not, so that a change is never answered as kept when it was not. Safe to
// call from any thread.
#pragma once

#include "sample-bridge/State.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <ostream>

namespace SampleBridge {

class SavedState {
public:
    explicit SavedState(std::filesystem::path file);

    // Says on `errors` why a file that was there could not be taken back.
    void restore(State& state, std::ostream& errors);
    // False when the state holds a change that could not be written.
    bool save(State& state);

private:
    // With the lock held.
    void remember(const JSON& settings, const JSON& devices, std::uint64_t dossierRevision);

    std::filesystem::path m_file;
    std::mutex m_mutex;
    bool m_writable = true;
    JSON m_settings;
    JSON m_devices;
    std::uint64_t m_dossierRevision = 0;
};

} // namespace SampleBridge
