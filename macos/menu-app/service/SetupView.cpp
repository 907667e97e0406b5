#include "service/SetupView.h"

#include "service/Bundled.h"
#include "settings/ContainerWindowController.h"

#include <algorithm>

using namespace SwiftUI;

namespace {

View progress(std::string text, bool secondary) {
    View line = Text(std::move(text));
    if (secondary)
        line = line.foregroundStyle(Color::secondary);
    return HStack({.alignment = VerticalAlignment::Center, .spacing = 8},
                  {ProgressView().controlSize(ControlSize::Small), line});
}

void openNewContainer() {
    ContainerWindowController::shared().show(std::nullopt);
}

} // namespace

View SetupView::rowFrame(Mark mark, View middle, View control) {
    return HStack(
        {.alignment = VerticalAlignment::Top, .spacing = 10},
        {Image::systemName(mark.symbol()).foregroundStyle(mark.color()).frame({.width = 18}),
         std::move(middle), Spacer(12), std::move(control)});
}

View SetupView::row(Mark mark, std::string title, std::string detail, View control) const {
    return rowFrame(
        mark,
        VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
               {Text(std::move(title)).bold(),
                Text(std::move(detail)).foregroundStyle(Color::secondary).fixedSize(false, true)}),
        std::move(control));
}

View SetupView::fixButton(const DoctorReport::Fix& fix, const DoctorReport::Check& check) const {
    return Button(Text(fix.label), [model = model.get(), fix, check] { model->fix(fix, check); });
}

View SetupView::doctorRow(const DoctorReport::Check& check) const {
    const auto& fix = check.fix;
    const bool offered = fix && ((check.status != "ok" && check.status != "info") ||
                                 fix->action == "add_container" || fix->action == "add_config_dir");
    return row(Mark(check.status), check.title, check.detail,
               offered ? fixButton(*fix, check) : View());
}

View SetupView::rows(const std::vector<DoctorReport::Check>& checks) const {
    return ForEach(
        checks, [](const DoctorReport::Check& check) { return check.id; },
        [this](const DoctorReport::Check& check) { return doctorRow(check); });
}

View SetupView::body() const {
    const auto& report = *model->doctor;
    std::vector<View> content{
        Text("Set Up Kestrelhaven").font(Font::title2).bold(),
        Text("Kestrelhaven runs its bridge in the background, so your iPhone can talk to "
             "Claude Code on this Mac.")
            .foregroundStyle(Color::secondary)
            .fixedSize(false, true),
        If(Bundled::needsMoving(),
           [&] {
               return row(Mark::warn, "Move Kestrelhaven to Applications",
                          "It's running from the disk image or a download folder. Drag it to "
                          "Applications, quit, and open it from there.");
           }),
        If(report && report->check("config"), [&] { return doctorRow(*report->check("config")); }),
        serviceRow(),
        claudeRow(),
        hooksRow(),
        integrationRow(),
        If(report.has_value(),
           [&] {
               std::vector<DoctorReport::Check> failingMcp, further;
               for (const auto& check : report->checks) {
                   if (check.id.starts_with("mcp:") && check.status != "ok" &&
                       check.status != "info")
                       failingMcp.push_back(check);
                   if (check.id == "push" || check.id == "login_shell" ||
                       check.id == "stranger_token")
                       further.push_back(check);
               }
               return Group({rows(report->environments()), rows(failingMcp), phoneRows(*report),
                             rows(further)});
           }),
        Divider(),
        summary(),
        If(model->busy->has_value(), [&] { return progress(**model->busy, false); }),
        If(model->note->has_value(),
           [&] {
               return Text(**model->note).foregroundStyle(Color::secondary).fixedSize(false, true);
           }),
        If(model->problem->has_value(),
           [&] {
               return Text(**model->problem)
                   .foregroundStyle(Color::red)
                   .textSelection(TextSelectability::Enabled)
                   .fixedSize(false, true);
           }),
        HStack(
            {.alignment = VerticalAlignment::Center},
            {Button("Claude Code in a container…", openNewContainer).buttonStyle(ButtonStyle::Link),
             Spacer(), Button("Check Again", [model = model.get()] { model->refresh(); }),
             Button("Done",
                    [close = close] {
                        if (close)
                            close();
                    })
                 .keyboardShortcut(KeyboardShortcut::DefaultAction)}),
    };
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 16}, std::move(content))
        .padding(20)
        .frame({.width = width})
        .disabled(model->busy->has_value());
}

View SetupView::summary() const {
    const auto& report = *model->doctor;
    if (!report)
        return If(*model->checking, [] { return progress("Checking everything…", true); });
    const auto* bridge = report->check("bridge");
    const bool serviceFine = *model->service == ServiceManagement::Status::enabled &&
                             model->developerAgents->empty() && bridge && bridge->status == "ok";
    std::size_t count = 0;
    for (const auto& check : report->checks)
        if (check.id != "bridge" && check.status != "ok" && check.status != "info")
            ++count;
    count += Bundled::needsMoving() ? 1 : 0;
    count += serviceFine ? 0 : 1;
    if (count == 0)
        return Label(Text(everythingWorks(*report)), Image::systemName("checkmark.seal.fill"))
            .foregroundStyle(Color::green)
            .fixedSize(false, true);
    const std::string sentence =
        count == 1 ? "One thing to do above." : std::to_string(count) + " things to do above.";
    return Label(Text(sentence), Image::systemName("list.bullet.circle"))
        .foregroundStyle(Color::secondary);
}

std::string SetupView::everythingWorks(const DoctorReport& report) {
    const auto hasStatus = [&](std::string_view id) {
        const auto* check = report.check(id);
        return check && check->status == "ok";
    };
    std::vector<std::string> parts{"the bridge answers"};
    if (hasStatus("hook_test"))
        parts.emplace_back("a test hook went through");
    const auto environments = report.environments();
    if (std::any_of(environments.begin(), environments.end(),
                    [](const auto& check) { return check.status == "ok"; }))
        parts.emplace_back("your containers checked in");
    if (hasStatus("phones"))
        parts.emplace_back("your iPhone is connected");
    std::string joined = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        joined += (i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return "Everything works: " + joined + ".";
}
