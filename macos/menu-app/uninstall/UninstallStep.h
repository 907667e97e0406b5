// One step of an uninstall run: what it was about and how it went.
//
// The engine records one per removal step, in the order the steps ran; the
// uninstall sheet and the command line show them and the uninstall log keeps
// them. `id` only tells rows apart in lists: each record gets a new one.
#pragma once

#include <Foundation/UUID.h>
#include <string>

struct UninstallStep {
    enum class Status {
        // The thing was removed, stopped or moved to the Trash.
        done,
        // Nothing of the product's was there to remove.
        notFound,
        // The step did not get its work done; the detail says why.
        failed,
    };

    // What a step operation gives; the engine adds the title and the id.
    struct Result {
        Status status;
        std::string detail;
        bool operator==(const Result&) const = default;
    };

    // The status as the log and the command line write it: "done", "not found" or "FAILED".
    static constexpr const char* word(Status status) {
        switch (status) {
        case Status::done:
            return "done";
        case Status::notFound:
            return "not found";
        case Status::failed:
            return "FAILED";
        }
        return "";
    }

    Foundation::UUID id = Foundation::UUID::random();
    std::string title;
    Status status = Status::notFound;
    // One line that says what happened or why not.
    std::string detail;
};
