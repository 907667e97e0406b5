// The Add a Container window's view in each phase, setup shape and connection state.
#include "settings/ContainerSetupView.h"

#include <AppKit/Pasteboard.h>
#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace SwiftUI;
using Outcome = HostingController::Outcome;
using Model = ContainerSetupModel;
using testing::HasSubstr;
using testing::Not;

namespace {

ContainerSnippets snippets() {
    return {.name = "ci",
            .label = "CI box",
            .env_file = (Foundation::homeDirectory() / ".kestrelhaven/containers/ci.env").string(),
            .url = "http://hidden.example:1",
            .docker_run = "docker run --env-file ci.env <your image>",
            .compose = "    env_file: ci.env",
            .devcontainer = "\"runArgs\": [\"--env-file\", \"ci.env\"]",
            .in_container = "curl -fsSL \"$KESTRELHAVEN_URL/container/setup.sh\" | sh",
            .entrypoint = "#!/bin/sh\nsetup\nexec \"$@\"",
            .network_note = "Reaches the Mac at host.docker.internal.",
            .remote_note = "Elsewhere, use the tailnet name.",
            .limits_note = "Sessions can't be resumed from the menu.",
            .safety_note = "Keep the file private."};
}

const std::string intro =
    "VStack\n"
    "  Text \"Add a Container\" font=title2 weight=bold\n"
    "  Text \"For Claude Code that runs in Docker, a dev container, or on another computer. Its "
    "sessions show on your phone, labelled with its name.\" color=secondary\n";

class ContainerView : public testing::Test {
protected:
    void SetUp() override {
        Testing::useTestHome();
        host = std::make_unique<HostingController>(ContainerSetupView{model, [this] { ++closes; }});
    }
    std::string text() { return host->renderText(); }

    std::shared_ptr<Model> model = std::make_shared<Model>();
    std::unique_ptr<HostingController> host;
    int closes = 0;
};

} // namespace

TEST_F(ContainerView, TheNamingFormFollowsTheLabelAndAddsOnlyAValidOne) {
    EXPECT_EQ(text(), intro + "  VStack\n"
                              "    HStack\n"
                              "      Text \"Name\"\n"
                              "      TextField text=\"Docker\" placeholder=\"Docker\"\n"
                              "    Text \"Its sessions show on the phone as “workspace · "
                              "Docker”.\" font=caption color=secondary\n"
                              "    HStack\n"
                              "      Spacer\n"
                              "      Button \"Cancel\"\n"
                              "      Button \"Add\" default\n");
    EXPECT_EQ(host->type("Docker", "\t CI box  "), Outcome::Performed);
    EXPECT_EQ(*model->label, "\t CI box  ");
    EXPECT_THAT(text(), HasSubstr("“workspace · CI box”."));

    for (const std::string& invalid :
         {std::string(), std::string("   "), std::string("-rf"), std::string(41, 'x')}) {
        EXPECT_EQ(host->type("Docker", invalid), Outcome::Performed);
        EXPECT_THAT(text(), HasSubstr("Button \"Add\" default disabled")) << invalid;
        EXPECT_EQ(host->pressReturn(), Outcome::Disabled);
        EXPECT_EQ(host->press("Add"), Outcome::Disabled);
    }
    // Nor does the model take it from anyone else.
    model->add();
    EXPECT_EQ(model->phase->kind, Model::Phase::Kind::naming);

    EXPECT_EQ(host->press("Cancel"), Outcome::Performed);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(host->type("Docker", std::string(40, 'x')), Outcome::Performed);
    EXPECT_EQ(host->pressReturn(), Outcome::Performed);
    EXPECT_EQ(model->phase->kind, Model::Phase::Kind::working);
}

TEST_F(ContainerView, WorkingSpinsAndAFailureOffersTryAgainKeepingTheLabel) {
    model->label = "CI box";
    model->phase = Model::Phase::working();
    EXPECT_EQ(text(), intro + "  HStack\n"
                              "    ProgressView small\n"
                              "    Text \"Asking the bridge…\"\n");

    model->phase = Model::Phase::failed("  cli.js timed out\n");
    EXPECT_EQ(text(), intro + "  Text \"  cli.js timed out\\n\" color=red selectable\n"
                              "  HStack\n"
                              "    Spacer\n"
                              "    Button \"Cancel\"\n"
                              "    Button \"Try Again\" default\n");
    EXPECT_EQ(host->press("Cancel"), Outcome::Performed);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(host->pressReturn(), Outcome::Performed);
    EXPECT_EQ(*model->phase, Model::Phase::naming());
    EXPECT_THAT(text(), HasSubstr("TextField text=\"CI box\""));
}

TEST_F(ContainerView, TheSetupShowsTheChosenShapeAndCopiesEachText) {
    model->phase = Model::Phase::showing(snippets());
    const std::string shown = text();
    EXPECT_THAT(shown, HasSubstr("  HStack\n"
                                 "    Text \"1\" font=headline weight=bold\n"
                                 "    VStack\n"
                                 "      Text \"Give the container its token\" weight=bold\n"
                                 "      Text \"It's in ~/.kestrelhaven/containers/ci.env, "
                                 "owner-only: Docker reads the file, so the token never needs "
                                 "copying.\" color=secondary\n"
                                 "  Picker \"Shape\" segmented selection=\"docker run\" "
                                 "labels-hidden\n"
                                 "    Option \"docker run\" selected\n"
                                 "    Option \"Compose\"\n"
                                 "    Option \"Dev container\"\n"
                                 "  HStack\n"
                                 "    Text \"docker run --env-file ci.env <your image>\" "
                                 "font=system(11.5,mono) selectable\n"
                                 "    Button \"Copy\" small\n"
                                 "  HStack\n"
                                 "    Text \"2\" font=headline weight=bold\n"));
    EXPECT_THAT(shown, HasSubstr("  DisclosureGroup \"Entrypoint version\" collapsed\n"
                                 "  Text \"Reaches the Mac at host.docker.internal.\" "
                                 "font=caption color=secondary\n"
                                 "  Text \"Elsewhere, use the tailnet name.\" font=caption "
                                 "color=secondary\n"
                                 "  Label \"Keep the file private.\" symbol=lock.shield "
                                 "font=caption color=orange\n"
                                 "  Divider\n"));
    EXPECT_THAT(shown, HasSubstr("  Text \"Sessions can't be resumed from the menu.\" "
                                 "font=caption color=secondary\n"
                                 "  HStack\n"
                                 "    Spacer\n"
                                 "    Button \"Done\" default\n"));
    EXPECT_THAT(shown, Not(HasSubstr("hidden.example")));

    auto& pasteboard = AppKit::Pasteboard::general();
    EXPECT_EQ(host->choose("Shape", "Compose"), Outcome::Performed);
    EXPECT_EQ(*model->shape, Model::Shape::compose);
    const std::string compose = "services:\n  <your service>:\n    env_file: ci.env";
    EXPECT_THAT(text(), HasSubstr("Text \"services:\\n  <your service>:\\n    env_file: "
                                  "ci.env\" font=system(11.5,mono)"));
    EXPECT_EQ(host->press("Copy", 0), Outcome::Performed);
    EXPECT_EQ(pasteboard.string(), compose);
    EXPECT_THAT(text(), HasSubstr("  HStack\n"
                                  "    Text \"Copied the token.\" font=caption color=secondary\n"
                                  "    Spacer\n"));

    EXPECT_EQ(host->choose("Shape", "Dev container"), Outcome::Performed);
    EXPECT_THAT(text(), HasSubstr("Text \"\\\"runArgs\\\": [\\\"--env-file\\\", "
                                  "\\\"ci.env\\\"]\" font=system(11.5,mono)"));
    EXPECT_EQ(host->press("Copy", 1), Outcome::Performed);
    EXPECT_EQ(pasteboard.string(), snippets().in_container);
    EXPECT_THAT(text(), HasSubstr("Copied the line."));

    EXPECT_EQ(host->press("Copy", 2), Outcome::NotFound);
    EXPECT_EQ(host->setExpanded("Entrypoint version"), Outcome::Performed);
    EXPECT_EQ(host->press("Copy", 2), Outcome::Performed);
    EXPECT_EQ(pasteboard.string(), snippets().entrypoint);
    EXPECT_THAT(text(), HasSubstr("Copied the entrypoint."));

    EXPECT_EQ(host->pressReturn(), Outcome::Performed);
    EXPECT_EQ(closes, 1);
}

TEST_F(ContainerView, OptionalTextsLeaveNoTrace) {
    ContainerSnippets plain = snippets();
    plain.env_file = std::nullopt;
    plain.remote_note = std::nullopt;
    plain.safety_note = std::nullopt;
    model->phase = Model::Phase::showing(plain);
    const std::string shown = text();
    EXPECT_THAT(shown, HasSubstr("      Text \"Pass KESTRELHAVEN_TOKEN the way you set it up.\" "
                                 "color=secondary\n"));
    EXPECT_THAT(shown, HasSubstr("  Text \"Reaches the Mac at host.docker.internal.\" "
                                 "font=caption color=secondary\n"
                                 "  Divider\n"));
    // Absent items take no room either.
    const double withNotes = [&] {
        model->phase = Model::Phase::showing(snippets());
        return host->fittingSize().height;
    }();
    model->phase = Model::Phase::showing(plain);
    EXPECT_LT(host->fittingSize().height, withNotes - 2 * 14);
}

TEST_F(ContainerView, TheConnectionLineUsesTheBridgesLabel) {
    model->label = "Typed";
    model->phase = Model::Phase::showing(snippets());
    EXPECT_THAT(text(), HasSubstr("  Divider\n"
                                  "  HStack\n"
                                  "    ProgressView small\n"
                                  "    Text \"Waiting for CI box to check in…\"\n"));
    model->connection = Model::Connection::connected(1.7e12);
    EXPECT_THAT(text(), HasSubstr("  Label \"CI box connected. Its Claude Code sessions show on "
                                  "your phone from their next start.\" "
                                  "symbol=checkmark.circle.fill color=green\n"));
    model->connection = Model::Connection::refused();
    EXPECT_THAT(text(), HasSubstr("  Label \"CI box reached this Mac, but Tailscale only refused "
                                  "it: point it at the Mac's tailnet name, or set Phones connect "
                                  "over to The local network in Settings.\" "
                                  "symbol=xmark.octagon.fill color=red\n"));
}
