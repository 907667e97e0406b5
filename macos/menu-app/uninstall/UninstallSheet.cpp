#include "uninstall/UninstallSheet.h"

#include "uninstall/Uninstaller.h"

#include <AppKit/Application.h>
#include <Foundation/Home.h>
#include <algorithm>

using namespace SwiftUI;

namespace {

View spinning(const char* text) {
    return HStack({.alignment = VerticalAlignment::Center, .spacing = 8},
                  {ProgressView().controlSize(ControlSize::Small), Text(text)});
}

View wrapping(std::string text) {
    return Text(std::move(text)).fixedSize(false, true);
}

View symbol(UninstallStep::Status status) {
    switch (status) {
    case UninstallStep::Status::done:
        return Image::systemName("checkmark.circle.fill").foregroundStyle(Color::green);
    case UninstallStep::Status::notFound:
        return Image::systemName("minus.circle").foregroundStyle(Color::secondary);
    case UninstallStep::Status::failed:
        break;
    }
    return Image::systemName("xmark.octagon.fill").foregroundStyle(Color::red);
}

View stepRow(const UninstallStep& step) {
    return HStack(
        {.alignment = VerticalAlignment::Top, .spacing = 8},
        {symbol(step.status).frame({.width = 16}),
         VStack({.alignment = HorizontalAlignment::Leading, .spacing = 1},
                {Text::verbatim(step.title), Text::verbatim(step.detail)
                                                 .font(Font::caption)
                                                 .foregroundStyle(Color::secondary)
                                                 .textSelection(TextSelectability::Enabled)
                                                 .fixedSize(false, true)})});
}

} // namespace

std::string UninstallSheet::finishedTitle(const std::vector<UninstallStep>& steps) {
    const auto failed = std::count_if(steps.begin(), steps.end(), [](const UninstallStep& step) {
        return step.status == UninstallStep::Status::failed;
    });
    if (failed == 0)
        return "Kestrelhaven is uninstalled";
    return "Uninstalled, with " + std::to_string(failed) + (failed == 1 ? " problem" : " problems");
}

View UninstallSheet::body() const {
    const auto& results = *model->results;
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 14},
                  {results ? finished(*results) : confirmation()})
        .padding(20)
        .frame({.width = width});
}

View UninstallSheet::confirmation() const {
    const std::shared_ptr<UninstallModel> shown = model.get();
    const auto& plan = *shown->plan;
    View planArea;
    if (!plan) {
        planArea = spinning("Looking…");
    } else if (plan->empty()) {
        planArea = Text("Nothing of Kestrelhaven's is installed in Claude Code or launchd.")
                       .foregroundStyle(Color::secondary);
    } else {
        planArea = Group({Text("This removes:"),
                          VStack({.alignment = HorizontalAlignment::Leading, .spacing = 4},
                                 {ForEach(*plan, [](const std::string& sentence) {
                                     return Label(Text(sentence), Image::systemName("minus.circle"))
                                         .fixedSize(false, true);
                                 })})});
    }
    const View toggleLabel = VStack(
        {.alignment = HorizontalAlignment::Leading, .spacing = 2},
        {Text("Also delete Kestrelhaven's data"),
         Text("Moves ~/.kestrelhaven to the Trash: its settings, the phones' tokens, state, TLS "
              "certificate and keys, environments and logs; and any shares still waiting for the "
              "Dossier. Off, a reinstall picks up where you left off.")
             .font(Font::caption)
             .foregroundStyle(Color::secondary)
             .fixedSize(false, true)});
    return Group({Text("Uninstall Kestrelhaven?").font(Font::title2).bold(), std::move(planArea),
                  Toggle(shown->deleteData.binding(), toggleLabel),
                  HStack({Spacer(),
                          Button("Cancel", [shown] { shown->showing = false; })
                              .keyboardShortcut(KeyboardShortcut::CancelAction),
                          Button("Uninstall", ButtonRole::Destructive, [shown] { shown->run(); })
                              .disabled(!plan || *shown->running)}),
                  If(*shown->running, [] { return spinning("Uninstalling…"); })});
}

View UninstallSheet::finished(const std::vector<UninstallStep>& steps) const {
    const std::shared_ptr<UninstallModel> shown = model.get();
    const std::string record =
        Foundation::abbreviatingWithTildeInPath(Uninstaller::logFile().string());
    return Group(
        {Text(finishedTitle(steps)).font(Font::title2).bold(),
         ScrollView(
             {VStack({.alignment = HorizontalAlignment::Leading, .spacing = 6},
                     {ForEach(
                         steps, [](const UninstallStep& step) { return step.id.uuidString(); },
                         stepRow)})
                  .frame({.maxWidth = infinity, .alignment = Alignment::leading})})
             .frame({.maxHeight = 280}),
         Text("Still to do by hand").bold(),
         VStack({.alignment = HorizontalAlignment::Leading, .spacing = 3},
                {ForEach(Uninstaller::manualSteps,
                         [](const std::string& step) { return wrapping("• " + step); })}),
         Text("A record is in " + record + ".")
             .font(Font::caption)
             .foregroundStyle(Color::secondary),
         HStack({Spacer(), Button("Close", [shown] { shown->showing = false; }),
                 Button("Quit Kestrelhaven", [] {
                     AppKit::Application::shared().terminate();
                 }).keyboardShortcut(KeyboardShortcut::DefaultAction)})});
}
