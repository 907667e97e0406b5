#include "uninstall/UninstallSection.h"

#include "uninstall/UninstallSheet.h"

using namespace SwiftUI;

View UninstallSection::body() const {
    const std::shared_ptr<UninstallModel> shown = model.get();
    return Section(
        "Uninstall",
        {Button("Uninstall Kestrelhaven…", ButtonRole::Destructive, [shown] { shown->prepare(); })
             .sheet(shown->showing.binding(),
                    [shown] { return View(UninstallSheet{.model = shown}); })},
        Text("Stops the bridge and takes Kestrelhaven out of Claude Code: its hooks "
             "and MCP servers. It works even when the bridge doesn't."));
}
