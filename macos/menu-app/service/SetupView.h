// The Setup window's content: one row per concern, a summary, the action in
// flight, and a bar of buttons.
//
// Each row has a status mark, a bold title, a wrapping detail and at most one
// remedy control: moving the application, the doctor's "config" check, the
// background service, Claude Code, its hooks, the Claude Code integration,
// then (with a doctor report) the environments, failing MCP entries, the
// phones and a few further checks. Everything shown comes from the model and
// the doctor report it holds; every control calls an operation of the model,
// opens a system settings pane, or opens the Add a Container window. The
// whole content is disabled while an action runs.
#pragma once

#include "service/DoctorReport.h"
#include "service/Mark.h"
#include "service/SetupModel.h"

#include <SwiftUI/SwiftUI.h>
#include <functional>
#include <string>

struct SetupView {
    SwiftUI::ObservedObject<SetupModel> model;
    std::function<void()> close;

    static constexpr double width = 580;

    SwiftUI::View body() const;

    // "Everything works: " and what the report shows to work.
    static std::string everythingWorks(const DoctorReport& report);

private:
    using View = SwiftUI::View;

    // The frame of every row: the mark, a middle column, a flexible space and the control.
    static View rowFrame(Mark mark, View middle, View control);
    View row(Mark mark, std::string title, std::string detail, View control = {}) const;
    View doctorRow(const DoctorReport::Check& check) const;
    View fixButton(const DoctorReport::Fix& fix, const DoctorReport::Check& check) const;
    View serviceRow() const;
    View claudeRow() const;
    View claudeRowOwn() const;
    View hooksRow() const;
    View hooksRowOwn() const;
    View integrationRow() const;
    View phoneRows(const DoctorReport& report) const;
    View summary() const;
    View rows(const std::vector<DoctorReport::Check>& checks) const;
};
