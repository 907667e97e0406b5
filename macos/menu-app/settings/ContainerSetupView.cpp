#include "settings/ContainerSetupView.h"

#include <Foundation/Home.h>

using namespace SwiftUI;

namespace {

using SetupShape = ContainerSetupModel::Shape;

View spinning(std::string text) {
    return HStack({.alignment = VerticalAlignment::Center, .spacing = 8},
                  {ProgressView().controlSize(ControlSize::Small), Text(std::move(text))});
}

View note(std::string text) {
    return Text(std::move(text))
        .font(Font::caption)
        .foregroundStyle(Color::secondary)
        .fixedSize(false, true);
}

std::string snippetFor(SetupShape shape, const ContainerSnippets& snippets) {
    switch (shape) {
    case SetupShape::dockerRun:
        return snippets.docker_run;
    case SetupShape::compose:
        return "services:\n  <your service>:\n" + snippets.compose;
    case SetupShape::devcontainer:
        return snippets.devcontainer;
    }
    return {};
}

} // namespace

View ContainerSetupView::body() const {
    const auto& phase = *model->phase;
    View content;
    switch (phase.kind) {
    case ContainerSetupModel::Phase::Kind::naming:
        content = naming();
        break;
    case ContainerSetupModel::Phase::Kind::working:
        content = spinning("Asking the bridge…");
        break;
    case ContainerSetupModel::Phase::Kind::failed:
        content = Group({Text(phase.message)
                             .foregroundStyle(Color::red)
                             .textSelection(TextSelectability::Enabled),
                         HStack({Spacer(), closeButton("Cancel"),
                                 Button("Try Again", [model = model.get()] {
                                     model->phase = ContainerSetupModel::Phase::naming();
                                 }).keyboardShortcut(KeyboardShortcut::DefaultAction)})});
        break;
    case ContainerSetupModel::Phase::Kind::showing:
        content = steps(*phase.snippets);
        break;
    }
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 14},
                  {Text("Add a Container").font(Font::title2).bold(),
                   Text("For Claude Code that runs in Docker, a dev container, or on another "
                        "computer. Its sessions show on your phone, labelled with its name.")
                       .foregroundStyle(Color::secondary)
                       .fixedSize(false, true),
                   std::move(content)})
        .padding(20)
        .frame({.width = width});
}

View ContainerSetupView::closeButton(const char* title) const {
    return Button(title, [close = close] {
        if (close)
            close();
    });
}

View ContainerSetupView::naming() const {
    auto* shown = model.get().get();
    const bool valid = shown->labelIsValid();
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 10},
                  {HStack({Text("Name"), TextField("Docker", shown->label.binding())
                                             .textFieldStyle(TextFieldStyle::RoundedBorder)
                                             .frame({.width = 220})}),
                   Text("Its sessions show on the phone as “workspace · " +
                        ContainerSetupModel::trimmedLabel(*shown->label) + "”.")
                       .font(Font::caption)
                       .foregroundStyle(Color::secondary),
                   HStack({Spacer(), closeButton("Cancel"),
                           Button("Add", [model = model.get()] { model->add(); })
                               .keyboardShortcut(KeyboardShortcut::DefaultAction)
                               .disabled(!valid)})});
}

View ContainerSetupView::steps(const ContainerSnippets& snippets) const {
    auto* shown = model.get().get();
    const std::string where =
        snippets.env_file
            ? "It's in " + Foundation::abbreviatingWithTildeInPath(*snippets.env_file) +
                  ", owner-only: Docker reads the file, so the token never needs copying."
            : "Pass KESTRELHAVEN_TOKEN the way you set it up.";
    std::vector<View> shapes;
    for (const SetupShape shape : ContainerSetupModel::allShapes)
        shapes.push_back(Text(std::string(ContainerSetupModel::rawValue(shape))).tag(shape));
    return Group({
        step(1, "Give the container its token", where),
        Picker("Shape", shown->shape.binding(), std::move(shapes))
            .pickerStyle(PickerStyle::Segmented)
            .labelsHidden(),
        code(snippetFor(*shown->shape, snippets), "token"),
        step(2, "In the container, run this once",
             "Or put it in its entrypoint, so every start brings the hooks up to date. It needs "
             "only curl."),
        code(snippets.in_container, "line"),
        DisclosureGroup("Entrypoint version", {code(snippets.entrypoint, "entrypoint")})
            .font(Font::callout),
        note(snippets.network_note),
        If(snippets.remote_note.has_value(), [&] { return note(*snippets.remote_note); }),
        If(snippets.safety_note.has_value(),
           [&] {
               return Label(Text(*snippets.safety_note), Image::systemName("lock.shield"))
                   .font(Font::caption)
                   .foregroundStyle(Color::orange)
                   .fixedSize(false, true);
           }),
        Divider(),
        status(snippets),
        note(snippets.limits_note),
        HStack({.alignment = VerticalAlignment::Center},
               {If(shown->copied->has_value(),
                   [&] {
                       return Text("Copied the " + **shown->copied + ".")
                           .font(Font::caption)
                           .foregroundStyle(Color::secondary);
                   }),
                Spacer(), closeButton("Done").keyboardShortcut(KeyboardShortcut::DefaultAction)}),
    });
}

View ContainerSetupView::step(int number, std::string title, std::string detail) {
    return HStack(
        {.alignment = VerticalAlignment::FirstTextBaseline, .spacing = 8},
        {Text(std::to_string(number))
             .font(Font::headline)
             .frame({.width = 20, .height = 20})
             .background(Circle().fill(Color::accentColor.opacity(0.2))),
         VStack(
             {.alignment = HorizontalAlignment::Leading, .spacing = 2},
             {Text(std::move(title)).bold(),
              Text(std::move(detail)).foregroundStyle(Color::secondary).fixedSize(false, true)})});
}

View ContainerSetupView::code(std::string text, std::string snippet) const {
    const RoundedRectangle box(6, RoundedCornerStyle::Continuous);
    return HStack(
               {.alignment = VerticalAlignment::Top},
               {Text(text)
                    .font(Font::system(11.5, Font::Design::Monospaced))
                    .textSelection(TextSelectability::Enabled)
                    .fixedSize(false, true)
                    .frame({.maxWidth = infinity, .alignment = Alignment::leading}),
                Button("Copy", [model = model.get(), text, snippet] { model->copy(text, snippet); })
                    .controlSize(ControlSize::Small)})
        .padding(8)
        .background(box.fill(Color::textBackground))
        .overlay(box.strokeBorder(Color::secondary.opacity(0.25), 1));
}

View ContainerSetupView::status(const ContainerSnippets& snippets) const {
    const auto& connection = *model->connection;
    switch (connection.kind) {
    case ContainerSetupModel::Connection::Kind::waiting:
        return spinning("Waiting for " + snippets.label + " to check in…");
    case ContainerSetupModel::Connection::Kind::connected:
        return Label(Text(snippets.label + " connected. Its Claude Code sessions show on your "
                                           "phone from their next start."),
                     Image::systemName("checkmark.circle.fill"))
            .foregroundStyle(Color::green);
    case ContainerSetupModel::Connection::Kind::refused:
        return Label(Text(snippets.label +
                          " reached this Mac, but Tailscale only refused it: point it at the "
                          "Mac's tailnet name, or set Phones connect over to The local network "
                          "in Settings."),
                     Image::systemName("xmark.octagon.fill"))
            .foregroundStyle(Color::red);
    }
    return {};
}
