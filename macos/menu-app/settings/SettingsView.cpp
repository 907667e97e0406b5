// The form as a whole and its four sections of the bridge's settings.
#include "settings/SettingsView.h"

#include "relay/ShareMenuSection.h"
#include "settings/UpdatesSection.h"
#include "uninstall/UninstallSection.h"

#include <Foundation/SystemTime.h>
#include <algorithm>
#include <utility>
#include <vector>

using namespace SwiftUI;

namespace {

using Option = std::pair<const char*, const char*>;

// A pop-up of texts: each option's value, then its title.
std::vector<View> options(std::initializer_list<Option> pairs) {
    std::vector<View> views;
    for (const auto& [value, title] : pairs)
        views.push_back(Text(title).tag(value));
    return views;
}

std::string minutesAway(std::int64_t minutes) {
    return "After " + std::to_string(minutes) + " min away from this Mac";
}

// "Always", the fixed choices, and a current value set elsewhere so that it stays selectable.
std::vector<View> lockScreenOptions(std::optional<std::int64_t> current) {
    static constexpr std::int64_t fixed[] = {1, 3, 5, 10, 15, 30};
    std::vector<View> views{Text("Always").tag(std::int64_t{0})};
    for (const std::int64_t minutes : fixed)
        views.push_back(Text(minutesAway(minutes)).tag(minutes));
    if (current && *current != 0 && std::ranges::find(fixed, *current) == std::end(fixed))
        views.push_back(Text(minutesAway(*current)).tag(*current));
    return views;
}

} // namespace

const Foundation::RelativeDateTimeFormatter& SettingsView::formatter() {
    static const Foundation::RelativeDateTimeFormatter shared;
    return shared;
}

std::string SettingsView::relative(double milliseconds) {
    return formatter().localizedString(milliseconds / 1000, Foundation::SystemTime::now());
}

View SettingsView::body() const {
    const auto& problem = model->problem.get();
    View form = Form({If(problem.has_value(),
                         [&] { return Text(std::string(*problem)).foregroundStyle(Color::red); }),
                      connection(), sessions(), notifications(), speech(), pairedDevices(),
                      environments(), ShareMenuSection{},
                      UpdatesSection{.devices = model->loadedDevices()}, UninstallSection{}});
    return removalDialog(std::move(form))
        .formStyle(FormStyle::Grouped)
        .frame({.width = width})
        .frame({.minHeight = minHeight})
        .onAppear([owner = model.get()] { owner->load(); });
}

View SettingsView::connection() const {
    const auto& values = model->values.get();
    std::string footer;
    if (values && values->connectionMode == "tailscale") {
        footer = "Only connections over your tailnet are accepted";
        if (const auto& tailnet = model->tailnet.get())
            footer += " (" + *tailnet + ")";
        footer += ", and the bridge stops announcing itself on Wi-Fi. Phones need Tailscale on, "
                  "at home too. If your tailnet has access rules, they must let your phone reach "
                  "this Mac on TCP 17801.";
    } else {
        footer = "Any network this Mac is on, found by Bonjour. Tailscale works as well, away "
                 "from home, if your tailnet's access rules let the phone reach this Mac on TCP "
                 "17801.";
    }
    return Section(
        "Connection",
        {Picker("Phones connect over",
                model->binding(&Values::connectionMode, "connectionMode", std::string("local")),
                options({{"local", "The local network"}, {"tailscale", "Tailscale only"}}))},
        Text(std::move(footer)));
}

View SettingsView::sessions() const {
    const auto& values = model->values.get();
    return Section(
        "Sessions",
        {Picker("A phone may wake or resume",
                model->binding(&Values::wakeScope, "wakeScope", std::string("listed")),
                options({{"listed", "Sessions it was shown"}, {"any", "Any session"}})),
         Toggle("Resumed sessions get remote control",
                model->binding(&Values::remoteControlOnResume, "remoteControlOnResume", false)),
         If(values && values->allowSessionRestart,
            [&] {
                return Toggle(
                    "Allow restarting sessions from the phone",
                    model->binding(&Values::allowSessionRestart, "allowSessionRestart", false));
            })},
        Text("Shown means live, pinned or in the phone's recent list. Remote control adds "
             "--remote-control when a phone reopens a session in a terminal. Restarting stops a "
             "running session and starts it again on the same conversation, so its tools and MCP "
             "servers reload: in the background for an agent-view session, in its own terminal "
             "tab otherwise. A session in the middle of a turn or waiting on an approval "
             "restarts only if you confirm on the phone."));
}

View SettingsView::notifications() const {
    const auto& values = model->values.get();
    return Section(
        "Notifications",
        {Picker("Push notifications carry",
                model->binding(&Values::pushDetail, "pushDetail", std::string("full")),
                options(
                    {{"minimal", "Project and tool only"}, {"full", "The command and the reply"}})),
         Toggle("Speak replies over Push to Talk",
                model->binding(&Values::pttReplies, "pttReplies", true)),
         If(values && values->lockScreenApprovalsAfterIdleMin,
            [&] {
                return Picker("Approvals on the Lock Screen",
                              model->binding(&Values::lockScreenApprovalsAfterIdleMin,
                                             "lockScreenApprovalsAfterIdleMin", std::int64_t{3}),
                              lockScreenOptions(values->lockScreenApprovalsAfterIdleMin));
            })},
        Text("Pushes pass through Apple's servers. With project and tool only, commands and "
             "replies stay off them; the app fetches the reply from this Mac when you tap. A "
             "phone paired with encryption gets them end-to-end encrypted instead, in full "
             "either way: Apple sees only \"A session needs approval\", \"A session finished\" "
             "or \"A session has a question\". Push to Talk replies (on unless you turn them "
             "off) reach a phone that joined the app's Push to Talk channel: it shows Claude "
             "talking and reads the reply, locked or not, and the notification arrives silently "
             "beside it. A phone that hasn't joined gets the notification as before. While "
             "you're using this Mac (keyboard or mouse within the time chosen), a permission "
             "request shows in the phone's app and in the terminal, but not on the Lock Screen; "
             "if you step away before it is answered, the Lock Screen card and notification "
             "come then."));
}

View SettingsView::speech() const {
    return Section(
        "Speech",
        {Picker("Spoken on the phone",
                model->binding(&Values::voiceLevel, "voiceLevel", std::string("responses")),
                options({{"off", "Nothing"},
                         {"approvals", "Approvals"},
                         {"choices", "Approvals and choices"},
                         {"responses", "Responses"},
                         {"all", "Everything"}})),
         Picker("A new line",
                model->binding(&Values::speakMode, "speakMode", std::string("interrupt")),
                options({{"interrupt", "Interrupts"}, {"queue", "Waits its turn"}})),
         Toggle("Speak when a session finishes",
                model->binding(&Values::speakCompletions, "speakCompletions", true)),
         Toggle("Speak the whole response",
                model->binding(&Values::speakFullResponse, "speakFullResponse", true))});
}
