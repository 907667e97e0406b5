#include "SetupLikeView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace SwiftUI;
using ::testing::HasSubstr;
using ::testing::Not;
using Outcome = HostingController::Outcome;

TEST(Interaction, ButtonsActAndRefuseWhileDisabledAlsoFromTheKeyboard) {
    auto model = std::make_shared<SetupLike::Model>();
    HostingController host(SetupLike::Window{model});
    EXPECT_EQ(host.press("Add Hooks…"), Outcome::Performed);
    EXPECT_TRUE(*model->hooksInstalled);
    EXPECT_THAT(host.renderText(), HasSubstr("Image symbol=checkmark.circle.fill color=green"));
    EXPECT_EQ(host.press("Add Hooks…"), Outcome::NotFound);

    EXPECT_EQ(host.pressReturn(), Outcome::Performed);
    EXPECT_EQ(model->closes, 1);
    EXPECT_EQ(host.pressEscape(), Outcome::NotFound);

    model->busy = std::string("Checking…");
    EXPECT_EQ(host.press("Check Again"), Outcome::Disabled);
    EXPECT_EQ(host.pressReturn(), Outcome::Disabled);
    EXPECT_EQ(host.toggle("Claude Code integration"), Outcome::Disabled);
    EXPECT_EQ(model->checks, 0);
    EXPECT_EQ(model->closes, 1);
    EXPECT_TRUE(*model->mcpWanted);

    model->busy = std::nullopt;
    EXPECT_EQ(host.toggle("Claude Code integration"), Outcome::Performed);
    EXPECT_FALSE(*model->mcpWanted);
    EXPECT_THAT(host.renderText(), HasSubstr("Toggle \"Claude Code integration\" weight=bold off"));
}

TEST(Interaction, ControlsAreFoundByLabelTextsAccessibilityAndOccurrence) {
    std::vector<std::string> pressed;
    std::string opened;
    HostingController host(
        VStack({Button("Remove", [&] { pressed.push_back("first"); }),
                Button("Remove", [&] { pressed.push_back("second"); }),
                Button([&] { pressed.push_back("chip"); },
                       HStack({Image::systemName("checkmark"), Text(std::string("Trips"))}))
                    .accessibilityLabel("Trips tag"),
                Button("Cancel", [&] { pressed.push_back("cancel"); })
                    .keyboardShortcut(KeyboardShortcut::CancelAction),
                Link("Install", "https://example.com/setup")}));
    host.setOpenURL([&](const std::string& url) { opened = url; });

    EXPECT_EQ(host.press("Remove", 1), Outcome::Performed);
    EXPECT_EQ(host.press("Remove", 2), Outcome::NotFound);
    EXPECT_EQ(host.press("Trips"), Outcome::Performed);
    EXPECT_EQ(host.press("Trips tag"), Outcome::Performed);
    EXPECT_EQ(host.pressEscape(), Outcome::Performed);
    EXPECT_EQ(pressed, (std::vector<std::string>{"second", "chip", "chip", "cancel"}));
    EXPECT_EQ(host.press("Install"), Outcome::Performed);
    EXPECT_EQ(opened, "https://example.com/setup");
    EXPECT_EQ(host.toggle("Remove"), Outcome::NotFound);
}

namespace {

struct Naming {
    std::shared_ptr<std::string> label;
    std::shared_ptr<int> shape;
    std::shared_ptr<int> adds;
    std::shared_ptr<std::vector<std::string>> typed;
    FocusState focused{};

    View body() const {
        Binding<std::string> text([this] { return *label; },
                                  [this](const std::string& value) {
                                      *label = value;
                                      typed->push_back(value);
                                  });
        bool valid = !label->empty();
        return VStack(
            {TextField("Docker", text)
                 .focused(focused)
                 .onAppear([this] { focused.set(true); })
                 .onSubmit([this] { ++*adds; }),
             Text("workspace · " + *label).font(Font::caption),
             Picker("Shape",
                    Binding<int>([this] { return *shape; }, [this](const int& v) { *shape = v; }),
                    {Text("Compose").tag(0), Text("Dockerfile").tag(1)})
                 .pickerStyle(PickerStyle::Segmented)
                 .labelsHidden(),
             DisclosureGroup("Entrypoint version", {Text("exec node \"$@\"")}).font(Font::callout),
             Button("Add", [this] { ++*adds; })
                 .keyboardShortcut(KeyboardShortcut::DefaultAction)
                 .disabled(!valid)});
    }
};

} // namespace

TEST(Interaction, FieldsTypePerKeystrokeSubmitAndFollowFocusPickersChooseGroupsExpand) {
    Naming naming{std::make_shared<std::string>("Docker"), std::make_shared<int>(0),
                  std::make_shared<int>(0), std::make_shared<std::vector<std::string>>()};
    HostingController host(naming);
    // The field took focus when it appeared.
    EXPECT_THAT(host.renderText(),
                HasSubstr("TextField text=\"Docker\" placeholder=\"Docker\" focused"));

    EXPECT_EQ(host.type("Docker", "CI box"), Outcome::Performed);
    EXPECT_EQ(*naming.typed,
              (std::vector<std::string>{"C", "CI", "CI ", "CI b", "CI bo", "CI box"}));
    EXPECT_THAT(host.renderText(), HasSubstr("Text \"workspace · CI box\" font=caption"));

    // Return in the focused field submits it rather than pressing the default button.
    EXPECT_EQ(host.pressReturn(), Outcome::Performed);
    EXPECT_EQ(*naming.adds, 1);
    EXPECT_EQ(host.submit("Docker"), Outcome::Performed);
    EXPECT_EQ(*naming.adds, 2);

    EXPECT_EQ(host.type("Docker", ""), Outcome::Performed);
    EXPECT_EQ(naming.typed->back(), "");
    EXPECT_THAT(host.renderText(), HasSubstr("Button \"Add\" default disabled"));
    EXPECT_EQ(host.press("Add"), Outcome::Disabled);

    EXPECT_EQ(host.choose("Shape", "Dockerfile"), Outcome::Performed);
    EXPECT_EQ(*naming.shape, 1);
    EXPECT_THAT(host.renderText(),
                HasSubstr("Picker \"Shape\" segmented selection=\"Dockerfile\" labels-hidden"));
    EXPECT_EQ(host.choose("Shape", "Podfile"), Outcome::NotFound);

    EXPECT_THAT(host.renderText(), Not(HasSubstr("exec node")));
    EXPECT_EQ(host.setExpanded("Entrypoint version"), Outcome::Performed);
    EXPECT_THAT(host.renderText(), HasSubstr("DisclosureGroup \"Entrypoint version\" expanded\n"
                                             "    Text \"exec node \\\"$@\\\"\" font=callout\n"));
}

namespace {

struct Row {
    std::string name;
    std::string label;
    bool operator==(const Row&) const = default;
};

class ListModel : public ObservableObject {
public:
    Published<bool> showing{this, false};
    Published<std::optional<Row>> removing{this};
    std::vector<std::string> removed;
    int closed = 0;
};

struct ListView {
    ObservedObject<ListModel> model;

    View body() const {
        auto removing = Binding<bool>([this] { return model->removing->has_value(); },
                                      [this](const bool& on) {
                                          if (!on) {
                                              model->removing = std::nullopt;
                                          }
                                      });
        return VStack({Button("Remove",
                              [this] {
                                  model->removing = Row{"ci", "CI box"};
                              }),
                       Button("Uninstall…", [this] { model->showing = true; })})
            .confirmationDialog(
                Text("Remove " +
                     (model->removing->has_value() ? (*model->removing)->label
                                                   : "this environment") +
                     "?"),
                removing, *model->removing,
                [this](const Row& row) {
                    return Button("Remove", ButtonRole::Destructive,
                                  [this, row] { model->removed.push_back(row.name); });
                },
                [](const Row&) { return Text("Its token stops working."); })
            .sheet(model->showing.binding(), [this] {
                return VStack({Text("Uninstall Kestrelhaven?").font(Font::title2).bold(),
                               HStack({Spacer(),
                                       Button("Cancel", [this] { model->showing = false; })
                                           .keyboardShortcut(KeyboardShortcut::CancelAction),
                                       Button("Close", [this] { ++model->closed; })})})
                    .padding(20)
                    .frame({.width = 520});
            });
    }
};

} // namespace

TEST(Interaction, SheetsAndDialogsTakeTheKeyboardAndAreDismissedThroughTheirFlags) {
    auto model = std::make_shared<ListModel>();
    HostingController host(ListView{model});
    EXPECT_EQ(host.press("Uninstall…"), Outcome::Performed);
    EXPECT_THAT(host.renderText(),
                HasSubstr("Sheet\n  VStack\n    Text \"Uninstall Kestrelhaven?\""));
    // Only the sheet is in front now.
    EXPECT_EQ(host.press("Remove"), Outcome::NotFound);
    EXPECT_EQ(host.press("Close"), Outcome::Performed);
    EXPECT_EQ(model->closed, 1);
    EXPECT_EQ(host.pressEscape(), Outcome::Performed);
    EXPECT_FALSE(*model->showing);
    EXPECT_THAT(host.renderText(), Not(HasSubstr("Sheet")));

    model->showing = true;
    EXPECT_EQ(host.dismiss(), Outcome::Performed);
    EXPECT_FALSE(*model->showing);

    EXPECT_EQ(host.press("Remove"), Outcome::Performed);
    EXPECT_THAT(host.renderText(),
                HasSubstr("Dialog\n"
                          "  Text \"Remove CI box?\" weight=bold align=center\n"
                          "  Text \"Its token stops working.\" font=callout align=center\n"
                          "  Button \"Remove\" destructive\n"
                          "  Button \"Cancel\" cancel\n"));
    EXPECT_EQ(host.pressEscape(), Outcome::Performed);
    EXPECT_FALSE(model->removing->has_value());
    EXPECT_TRUE(model->removed.empty());

    EXPECT_EQ(host.press("Remove"), Outcome::Performed);
    EXPECT_EQ(host.press("Remove"), Outcome::Performed);
    EXPECT_EQ(model->removed, (std::vector<std::string>{"ci"}));
    EXPECT_FALSE(model->removing->has_value());
    EXPECT_THAT(host.renderText(), Not(HasSubstr("Dialog")));
}

namespace {

enum class Channel { Automatic, AppStore, TestFlight };

struct Choices {
    std::shared_ptr<Channel> channel;
    std::shared_ptr<int> minutes;
    std::shared_ptr<std::string> note;

    View body() const {
        std::vector<Channel> all{Channel::Automatic, Channel::AppStore, Channel::TestFlight};
        auto title = [](Channel c) {
            return c == Channel::Automatic  ? "Automatic (match my iPhone)"
                   : c == Channel::AppStore ? "App Store"
                                            : "TestFlight";
        };
        std::vector<int> options{0, 3, 10};
        if (std::find(options.begin(), options.end(), *minutes) == options.end()) {
            options.push_back(*minutes);
        }
        return VStack(
            {Picker(
                 "Updates from",
                 Binding<Channel>([this] { return *channel; },
                                  [this](const Channel& c) { *channel = c; }),
                 {ForEach(all, [title](Channel c) { return Text(std::string(title(c))).tag(c); })}),
             Picker(
                 "Lock Screen",
                 Binding<int>([this] { return *minutes; }, [this](const int& m) { *minutes = m; }),
                 {ForEach(options, [](int m) { return Text(std::to_string(m) + " min").tag(m); })}),
             VStack({Button("Inner", [] {}).disabled(false),
                     TextField("Note",
                               Binding<std::string>([this] { return *note; },
                                                    [this](const std::string& v) { *note = v; }))})
                 .disabled(true)});
    }
};

} // namespace

TEST(Interaction, PickersOfEnumsAndComputedOptionsAndDisabledThatCannotBeUndone) {
    Choices choices{std::make_shared<Channel>(Channel::Automatic), std::make_shared<int>(7),
                    std::make_shared<std::string>()};
    HostingController host(choices);
    std::string text = host.renderText();
    EXPECT_THAT(
        text, HasSubstr("Picker \"Updates from\" menu selection=\"Automatic (match my iPhone)\""));
    EXPECT_THAT(text,
                HasSubstr("Picker \"Lock Screen\" menu selection=\"7 min\"\n"
                          "    Option \"0 min\"\n    Option \"3 min\"\n    Option \"10 min\"\n"
                          "    Option \"7 min\" selected\n"));
    EXPECT_EQ(host.choose("Updates from", "TestFlight"), Outcome::Performed);
    EXPECT_EQ(*choices.channel, Channel::TestFlight);
    EXPECT_EQ(host.choose("Lock Screen", "10 min"), Outcome::Performed);
    EXPECT_EQ(*choices.minutes, 10);
    EXPECT_THAT(host.renderText(), Not(HasSubstr("7 min")));

    EXPECT_EQ(host.press("Inner"), Outcome::Disabled);
    EXPECT_EQ(host.type("Note", "hello"), Outcome::Disabled);
    EXPECT_EQ(*choices.note, "");
}

TEST(Interaction, TypingCountsCharactersNotCodePointsAndDialogsStandInFrontOfSheets) {
    auto text = std::make_shared<std::string>();
    auto keystrokes = std::make_shared<int>(0);
    auto sheet = std::make_shared<bool>(true);
    auto dialog = std::make_shared<bool>(false);
    auto flag = [](std::shared_ptr<bool> value) {
        return Binding<bool>([value] { return *value; }, [value](const bool& v) { *value = v; });
    };
    HostingController host(Text("Window").sheet(flag(sheet), [=] {
        return VStack(
                   {TextField("Tag", Binding<std::string>([text] { return *text; },
                                                          [text, keystrokes](const std::string& v) {
                                                              *text = v;
                                                              ++*keystrokes;
                                                          })),
                    Button("Ask", [dialog] { *dialog = true; })})
            .confirmationDialog("Sure?", flag(dialog), [] { return Button("Yes", [] {}); });
    }));
    // "é" written as e and a combining accent is one character, one keystroke.
    EXPECT_EQ(host.type("Tag", "Cafe\xCC\x81"), Outcome::Performed);
    EXPECT_EQ(*keystrokes, 4);
    EXPECT_EQ(*text, "Cafe\xCC\x81");

    EXPECT_EQ(host.press("Ask"), Outcome::Performed);
    EXPECT_EQ(host.type("Tag", "x"), Outcome::NotFound);
    EXPECT_EQ(host.pressEscape(), Outcome::Performed);
    EXPECT_FALSE(*dialog);
    EXPECT_TRUE(*sheet);
    // The sheet has no cancel action of its own; the system still dismisses it.
    EXPECT_EQ(host.pressEscape(), Outcome::NotFound);
    EXPECT_EQ(host.dismiss(), Outcome::Performed);
    EXPECT_FALSE(*sheet);
    EXPECT_EQ(host.dismiss(), Outcome::NotFound);
}
