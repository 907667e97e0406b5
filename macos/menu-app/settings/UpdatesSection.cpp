#include "settings/UpdatesSection.h"

#include "update-channels/UpdateChannels.h"

using namespace SwiftUI;

namespace {

void handOver(const std::optional<std::vector<DeviceRow>>& devices) {
    if (devices)
        Updater::remember(*devices);
}

} // namespace

std::vector<std::string> UpdatesSection::phones() const {
    auto words = devices ? Updater::distributions(*devices) : std::vector<std::string>{};
    return words.empty() ? Updater::rememberedDistributions() : words;
}

View UpdatesSection::body() const {
    if (!Updater::configured())
        return View();
    std::vector<View> options;
    for (const UpdateChannelChoice option : UpdateChannelChoice::allCases())
        options.push_back(Text(std::string(option.title())).tag(option));
    const auto state = choice.binding();
    const Binding<UpdateChannelChoice> selection([state] { return state.get(); },
                                                 [state](const UpdateChannelChoice& picked) {
                                                     state.set(picked);
                                                     Updater::setChoice(picked);
                                                 });
    const auto count =
        devices ? std::optional<std::size_t>(devices->size()) : std::optional<std::size_t>();
    return Section(
               "Updates",
               {Picker("Updates from", selection, std::move(options))
                    .pickerStyle(PickerStyle::Menu),
                Text(UpdateChannels::explanation(*choice, phones()))
                    .foregroundStyle(Color::secondary)},
               Text("Kestrelhaven for Mac updates itself. Automatic keeps it in step with your "
                    "iPhone: the App Store app gets the App Store release, a TestFlight build "
                    "gets the TestFlight release, which may need that build. Internal gets every "
                    "new build first, for trying changes before anyone else. Choosing a lower "
                    "channel doesn't go back to an older version: you stay on yours until that "
                    "channel catches up."))
        .onAppear([devices = devices] { handOver(devices); })
        .onChange(count,
                  [devices = devices](const std::optional<std::size_t>&) { handOver(devices); });
}
