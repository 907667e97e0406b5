// The snapshot commands of test builds: the application's windows and the share sheet drawn to
// PNG files without being shown.
#include "menubar/Bridge.h"
#include "relay/ShareMenuSection.h"
#include "service/SetupCommandLine.h"
#include "service/SetupModel.h"
#include "service/SetupView.h"
#include "settings/ContainerSetupModel.h"
#include "settings/ContainerSetupView.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsView.h"

#include <AppKit/Application.h>
#include <AppKit/Window.h>
#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Printable.h>
#include <Foundation/URL.h>
#include <Foundation/Unicode.h>
#include <SwiftUI/HostingView.h>
#include <iostream>
#include <share-core/ShareClock.h>
#include <share-core/ShareInput.h>
#include <share-sheet/ShareSheetModel.h>
#include <share-sheet/ShareSheetView.h>

namespace SetupCommandLine {

namespace {

// Turns the main run loop in tenth-of-a-second slices until `done` holds or `seconds` have passed
// on the run loop's clock; gives `done`.
bool wait(double seconds, const std::function<bool()>& done) {
    return Dispatch::RunLoop::main().runUntil(done, seconds, Dispatch::RunLoopMode::Default, 0.1);
}

void prepare(const std::filesystem::path& folder) {
    AppKit::Application::shared().setActivationPolicy(AppKit::ActivationPolicy::Accessory);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
}

const char* outcome(bool written) {
    return written ? "written" : "failed";
}

// The share sheet's samples: the tags every state shares, a Markdown file, and a web link.
ShareTags sampleTags() {
    return ShareTags({"Research", "Trips", "Reading"}, "Trips", 300000, false);
}

ShareDraft fileDraft() {
    std::string text = "# Tide tables for the coast walk\n\n"
                       "Low water at the point is two hours after the harbour's. Start from the "
                       "lighthouse car park and keep to the upper path past the second stile.\n\n"
                       "- Spring tides: cross only within an hour of low water\n"
                       "- Neap tides: the causeway stays dry all afternoon\n";
    for (int repeat = 0; repeat < 400; ++repeat)
        text += " More notes.";
    ShareContents contents;
    contents.files.push_back({"coast-walk.md", std::move(text)});
    auto draft = std::get<ShareDraft>(ShareInput::draft(contents, 300000));
    draft.title = "Tide tables for the coast walk";
    return draft;
}

ShareDraft linkDraft() {
    ShareContents contents;
    contents.webURLs.push_back(*Foundation::URL::parse("https://birds.example.org/guides/shore"));
    contents.pageTitle = "A field guide to shore birds";
    return std::get<ShareDraft>(ShareInput::draft(contents, 300000));
}

// What a share gets while the application runs and its bridge does not.
ShareResult bridgeDown() {
    MacShareState state;
    state.bridgeUp = false;
    state.menuAt = ShareClock::now();
    return ShareResult::from(std::nullopt, state, state.menuAt);
}

} // namespace

bool render(SwiftUI::View view, const std::filesystem::path& file,
            const std::function<bool(SwiftUI::HostingController&)>& settled) {
    auto window = SwiftUI::hostingWindow(
        std::move(view).background(SwiftUI::Color::windowBackground), AppKit::WindowStyle::titled);
    auto* host = SwiftUI::hostingController(*window);
    if (!host)
        return false;
    host->setFrameSize(host->fittingSize());
    host->setOnScreen(true);
    wait(0.5, [] { return false; });
    if (settled)
        wait(10, [&] { return settled(*host); });
    return host->writePNG(file);
}

int snapshot(const std::filesystem::path& folder, const std::optional<std::string>& container) {
    prepare(folder);
    bool allWritten = true;
    const auto rendered =
        [&](SwiftUI::View view, const char* name,
            const std::function<bool(SwiftUI::HostingController&)>& settled = {}) {
            const bool written = render(std::move(view), folder / name, settled);
            allWritten = allWritten && written;
            return written;
        };

    auto setup = std::make_shared<SetupModel>();
    setup->refresh();
    wait(60, [&] { return setup->doctor->has_value() && !*setup->checking; });
    const bool setupWritten = rendered(SetupView{setup, {}}.body(), "setup.png");
    std::cout << "setup.png: " << outcome(setupWritten)
              << (setup->doctor->has_value() ? "" : " (no doctor report)") << '\n';

    auto settings = std::make_shared<SettingsModel>(std::make_shared<Bridge>());
    settings->load();
    wait(10, [&] { return settings->values->has_value() && !settings->environments->empty(); });
    if (settings->values->has_value())
        rendered(SettingsView{settings}.body().frame({.height = 1900}), "settings.png",
                 ShareMenuSection::settled);

    auto naming = std::make_shared<ContainerSetupModel>();
    rendered(ContainerSetupView{naming, {}}.body(), "container-name.png");

    if (container) {
        auto existing = std::make_shared<ContainerSetupModel>();
        existing->show(*container);
        using Phase = ContainerSetupModel::Phase;
        using Connection = ContainerSetupModel::Connection;
        wait(20, [&] { return existing->phase->kind != Phase::Kind::working; });
        rendered(ContainerSetupView{existing, {}}.body(), "container-steps.png");
        wait(25, [&] { return existing->connection->kind != Connection::Kind::waiting; });
        if (existing->connection->kind != Connection::Kind::waiting)
            rendered(ContainerSetupView{existing, {}}.body(), "container-connected.png");
        std::cout << "container "
                  << Foundation::printable(
                         Foundation::Unicode::characterPrefix(existing->phase->description(), 40))
                  << ", " << existing->connection->description() << '\n';
        existing->stopPolling();
    }
    return allWritten ? 0 : 1;
}

int snapshotShare(const std::filesystem::path& folder) {
    prepare(folder);
    using Phase = ShareSheetModel::Phase;
    const ShareDraft file = fileDraft();
    const ShareDraft link = linkDraft();
    const std::pair<const char*, std::shared_ptr<ShareSheetModel>> states[] = {
        {"share-file.png", ShareSheetModel::demo(Phase{Phase::Ready{file}}, sampleTags(), "Trips")},
        {"share-link.png",
         ShareSheetModel::demo(Phase{Phase::Ready{link}}, sampleTags(), "Reading")},
        {"share-added.png",
         ShareSheetModel::demo(Phase{Phase::Done{file, ShareResult::added("5 min · Trips")}},
                               sampleTags(), "Trips")},
        {"share-waiting.png",
         ShareSheetModel::demo(Phase{Phase::Done{link, bridgeDown()}}, sampleTags(), "Reading")},
        {"share-too-long.png",
         ShareSheetModel::demo(Phase{Phase::Problem{ShareProblem::tooLong(520034, 300000)}},
                               sampleTags(), std::nullopt)},
    };
    bool allWritten = true;
    for (const auto& [name, model] : states) {
        const bool written = render(ShareSheetView{model}.body(), folder / name);
        allWritten = allWritten && written;
        std::cout << name << ": " << outcome(written) << '\n';
    }
    return allWritten ? 0 : 1;
}

} // namespace SetupCommandLine
