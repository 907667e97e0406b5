// The form's phones and environments, and the dialog that confirms removing an environment.
#include "service/Bundled.h"
#include "settings/ContainerWindowController.h"
#include "settings/SettingsView.h"

#include <algorithm>

using namespace SwiftUI;

namespace {

// The words for the menu-bar icon, where the footer cannot show it and for accessibility.
const std::string menuBarIcon = "Kestrelhaven menu-bar icon";
// The phones' footer, on either side of the menu-bar icon it shows inline.
const std::string pairAgainBefore =
    "Forget revokes that phone's token, closes its connection and stops its notifications; it "
    "can't reconnect until it pairs again. A phone paired before encryption uses the shared "
    "token over an unencrypted connection: pair it again (";
const std::string pairAgainAfter =
    " › Pair a Device…) to give it its own token on the pinned, encrypted port. When the last "
    "such phone has, the bridge stops accepting the shared token.";

View caption(std::string text) {
    return Text(std::move(text)).font(Font::caption).foregroundStyle(Color::secondary);
}

std::string connectionLine(const DeviceRow& device) {
    if (device.connected == true)
        return "connected";
    if (!device.last_seen)
        return "not connected";
    return "last seen " + SettingsView::relative(*device.last_seen);
}

View phoneRow(const DeviceRow& device, const std::shared_ptr<SettingsModel>& model) {
    const auto security = SettingsView::security(device);
    return HStack(
        {.alignment = VerticalAlignment::Center},
        {VStack({.alignment = HorizontalAlignment::Leading},
                {Text(device.device_id.value_or("?")), caption(connectionLine(device)),
                 If(security.has_value(),
                    [&] {
                        return Label(Text(security->text), Image::systemName(security->symbol))
                            .font(Font::caption)
                            .foregroundStyle(security->legacy ? Color::orange : Color::secondary);
                    })}),
         Spacer(), If(device.device_id.has_value(), [&] {
             return Button("Forget", [model, id = *device.device_id] { model->forget(id); });
         })});
}

View environmentRow(const EnvironmentRow& row,
                    const Binding<std::optional<EnvironmentRow>>& removing) {
    return HStack(
        {.alignment = VerticalAlignment::Center},
        {VStack({.alignment = HorizontalAlignment::Leading},
                {Text(row.label), caption(row.name + " · " + row.kind()),
                 Text(row.live())
                     .font(Font::caption)
                     .foregroundStyle(row.sessions > 0 ? Color::primary : Color::secondary)}),
         Spacer(),
         If(row.token && !row.config_dir,
            [&] {
                return Button("Setup…", [name = row.name] {
                    ContainerWindowController::shared().show(name);
                });
            }),
         Button("Remove", [removing, row] { removing.set(row); })});
}

} // namespace

std::optional<SettingsView::Security> SettingsView::security(const DeviceRow& device) {
    if (device.auth == "token") {
        std::string text = "Encrypted, pinned · its own token";
        if (device.rotated_at)
            text += ", token rotated " + relative(*device.rotated_at);
        return Security{std::move(text), "lock.fill", false};
    }
    if (device.auth == "legacy")
        return Security{"Legacy: shared token, unencrypted — pair again to encrypt",
                        "exclamationmark.triangle.fill", true};
    return std::nullopt;
}

View SettingsView::pairedDevices() const {
    const auto& devices = model->devices.get();
    const auto& values = model->values.get();
    const bool legacyShown =
        values && values->legacyPhones &&
        (*values->legacyPhones || std::ranges::any_of(devices, [](const DeviceRow& device) {
            return device.auth == "legacy";
        }));
    return Section(
        "Paired devices",
        {If(devices.empty(),
            [] { return Text("No phones paired.").foregroundStyle(Color::secondary); }),
         ForEach(devices, [owner = model.get()](
                              const DeviceRow& device) { return phoneRow(device, owner); }),
         If(legacyShown,
            [&] {
                return Toggle("Accept phones paired before encryption",
                              model->binding(&Values::legacyPhones, "legacyPhones", false));
            })},
        (Text(pairAgainBefore) + Text(Image("lion-inline", menuBarIcon)) + Text(pairAgainAfter))
            .accessibilityLabel(pairAgainBefore + menuBarIcon + pairAgainAfter));
}

View SettingsView::environments() const {
    const auto& rows = model->environments.get();
    const auto pending = removing.binding();
    return Section(
        "Environments",
        {If(rows.empty(),
            [] {
                return Text("None: only this Mac's own sessions report here.")
                    .foregroundStyle(Color::secondary);
            }),
         ForEach(
             rows, [](const EnvironmentRow& row) { return row.name; },
             [&](const EnvironmentRow& row) { return environmentRow(row, pending); }),
         If(Bundled::present(),
            [] {
                return Button("Add a Container…",
                              [] { ContainerWindowController::shared().show(std::nullopt); });
            })},
        Text("Other Claude Code setups whose sessions report here, labelled on the phone: a "
             "container, by its own token, or a second account on this Mac, by its config dir "
             "(`kestrelhaven env add … --config-dir`). A container's token goes into a file "
             "Docker reads, so it never passes through this window. The phone can't resume, "
             "restart or sleep a container's sessions."));
}

View SettingsView::removalDialog(View form) const {
    const auto pending = removing.binding();
    const auto& row = removing.get();
    const Binding<bool> presented([pending] { return pending.get().has_value(); },
                                  [pending](const bool& shown) {
                                      if (!shown)
                                          pending.set(std::nullopt);
                                  });
    return form.confirmationDialog<EnvironmentRow>(
        Text("Remove " + (row ? row->label : std::string("this environment")) + "?"), presented,
        row,
        [owner = model.get()](const EnvironmentRow& shown) {
            return Button("Remove", ButtonRole::Destructive,
                          [owner, name = shown.name] { owner->removeEnvironment(name); });
        },
        [](const EnvironmentRow& shown) {
            return Text(shown.config_dir
                            ? "Its sessions stop reporting here, and Kestrelhaven's hooks are "
                              "taken out of its settings. Add it again with kestrelhaven env add."
                            : "Its sessions stop reporting here and its token stops working. "
                              "Adding it again needs the token: kestrelhaven env add.");
        });
}
