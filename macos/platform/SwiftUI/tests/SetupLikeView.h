// A window in the shape of the setup window's rows, for the tests of the framework.
#pragma once

#include <SwiftUI/SwiftUI.h>
#include <optional>
#include <string>
#include <vector>

namespace SetupLike {

using namespace SwiftUI;

class Model : public ObservableObject {
public:
    Published<std::optional<std::string>> busy{this};
    Published<bool> hooksInstalled{this, false};
    Published<bool> mcpWanted{this, true};
    Published<std::vector<std::string>> agents{this};
    int checks = 0;
    int closes = 0;
};

struct Window {
    ObservedObject<Model> model;

    View row(const char* symbol, Color color, std::string title, std::string detail,
             View control) const {
        return HStack(
            {.alignment = VerticalAlignment::Top, .spacing = 10},
            {Image::systemName(symbol).foregroundStyle(color).frame({.width = 18}),
             VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
                    {Text(title).bold(),
                     Text(detail).foregroundStyle(Color::secondary).fixedSize(false, true)}),
             Spacer(12), control});
    }

    View body() const {
        bool installed = *model->hooksInstalled;
        return VStack(
                   {.alignment = HorizontalAlignment::Leading, .spacing = 16},
                   {Text("Set Up Kestrelhaven").font(Font::title2).bold(),
                    Text("Kestrelhaven runs its bridge in the background, so your iPhone can talk "
                         "to Claude Code on this Mac.")
                        .foregroundStyle(Color::secondary),
                    If(!model->agents->empty(),
                       [&] {
                           return row("exclamationmark.triangle.fill", Color::orange,
                                      "Background service",
                                      "A developer LaunchAgent runs the bridge from a checkout.",
                                      Button("Switch…", [] {}));
                       }),
                    row(installed ? "checkmark.circle.fill" : "circle",
                        installed ? Color::green : Color::secondary, "Claude Code hooks",
                        installed ? "Installed in ~/.claude/settings.json."
                                  : "Not installed: your phone won't hear about sessions or "
                                    "approvals.",
                        If(!installed,
                           Button("Add Hooks…", [this] { model->hooksInstalled = true; }))),
                    Toggle(Binding<bool>([this] { return *model->mcpWanted; },
                                         [this](const bool& on) { model->mcpWanted = on; }),
                           Text("Claude Code integration").bold())
                        .toggleStyle(ToggleStyle::Checkbox),
                    Divider(),
                    Label("One thing to do above.", Image::systemName("list.bullet.circle"))
                        .foregroundStyle(Color::secondary),
                    If(model->busy->has_value(),
                       [&] {
                           return HStack({.spacing = 8},
                                         {ProgressView().controlSize(ControlSize::Small),
                                          Text(**model->busy)});
                       }),
                    HStack({Button("Claude Code in a container…", [] {})
                                .buttonStyle(ButtonStyle::Link),
                            Spacer(), Button("Check Again", [this] { ++model->checks; }),
                            Button("Done", [this] { ++model->closes; })
                                .keyboardShortcut(KeyboardShortcut::DefaultAction)})})
            .padding(20)
            .frame({.width = 580})
            .disabled(model->busy->has_value());
    }
};

} // namespace SetupLike
