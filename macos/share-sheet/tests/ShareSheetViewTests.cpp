#include "ShareSheetTesting.h"

#include <cstdio>
#include <gmock/gmock.h>
#include <share-sheet/ShareSheetView.h>

using Phase = ShareSheetModel::Phase;
using Outcome = SwiftUI::HostingController::Outcome;
using testing::HasSubstr;
using testing::Not;

namespace {

const ShareTags recentTags({"Research", "Trips", "Reading"}, "Trips", 300000, false);

struct Sheet {
    explicit Sheet(std::shared_ptr<ShareSheetModel> model)
        : model(std::move(model)), host(ShareSheetView{this->model}) {
        host.setFrameSize(ShareSheetView::size);
    }
    std::string text() { return host.renderText(); }

    std::shared_ptr<ShareSheetModel> model;
    SwiftUI::HostingController host;
};

ShareDraft linkDraft() {
    return {ShareDraft::Link{"example.com"}, "# Example\n\n<https://example.com/a>", "Example",
            "https://example.com/a"};
}

} // namespace

TEST_F(ShareSheetTest, EachPhaseShowsItsContentAndButtons) {
    struct Case {
        Phase phase;
        std::vector<std::string> shown;
        std::vector<std::string> absent;
    } cases[] = {
        {Phase{},
         {"Text \"Add to Dossier\" font=system(15) weight=semibold", "ProgressView small",
          "Text \"Reading what you shared…\" color=secondary", "Button \"Cancel\" cancel",
          "Button \"Add\" default disabled"},
         {"TITLE"}},
        {Phase{Phase::Ready{linkDraft()}},
         {"Image symbol=globe", "Text \"Link · example.com\"",
          "TextField text=\"Example\" placeholder=\"Example\"", "uppercase",
          "Button \"Add\" default\n", "Recent tags first;"},
         {"Your Dossier was full", "disabled"}},
        {Phase{Phase::Problem{ShareProblem::otherFile("photo.png")}},
         {"Image symbol=exclamationmark.triangle.fill", "color=orange",
          "Text \"Nothing was added.\"", "Button \"Add\" default disabled"},
         {"TITLE"}},
        {Phase{Phase::SaveFailed{"It couldn't be saved."}},
         {"Image symbol=xmark.octagon.fill", "Text \"It couldn't be saved.\"",
          "Button \"Cancel\" cancel", "Button \"Add\" default disabled"},
         {}},
        {Phase{Phase::Saving{fileDraft()}},
         {"Image symbol=doc.text", "ProgressView small", "Text \"Adding…\" color=secondary"},
         {"Button \"Add\"", "Button \"Cancel\""}},
        {Phase{Phase::Done{fileDraft(), ShareResult::added("")}},
         {"Image symbol=checkmark.circle.fill", "Text \"Added to your Dossier\" weight=medium"},
         {"Button \"Done\"", "Button \"Add\"", "font=caption"}},
        {Phase{Phase::Done{fileDraft(), ShareResult::added("5 min · Trips")}},
         {"Text \"5 min · Trips\" font=caption color=secondary"},
         {"Button \"Done\""}},
        {Phase{Phase::Done{fileDraft(), ShareResult::waiting("Waiting for the bridge")}},
         {"Image symbol=clock.fill", "Text \"Waiting for the bridge\""},
         {"Button \"Done\""}},
        {Phase{Phase::Done{fileDraft(), ShareResult::refused("It is empty.")}},
         {"Image symbol=xmark.octagon.fill", "Text \"Not added: It is empty.\"",
          "Text \"Nothing was added.\" font=caption", "Button \"Done\" default"},
         {"Button \"Add\""}},
    };
    for (const auto& c : cases) {
        Sheet sheet(ShareSheetModel::demo(c.phase, recentTags, "Trips"));
        const std::string text = sheet.text();
        for (const auto& shown : c.shown) {
            EXPECT_THAT(text, HasSubstr(shown)) << text;
        }
        for (const auto& absent : c.absent) {
            EXPECT_THAT(text, Not(HasSubstr(absent))) << text;
        }
        EXPECT_TRUE(sheet.host.renderPNG()) << "the snapshot command draws every phase";
    }
}

TEST_F(ShareSheetTest, TheNoticeTitleKeepsItsFullHeightBesideALongMessage) {
    std::string message;
    for (int sentence = 0; sentence < 40; ++sentence) {
        message += "The share couldn't be written. ";
    }
    // Text this large wraps the title over two lines, which the long message must not cut.
    const SwiftUI::Font large = SwiftUI::Font::system(40);
    auto model = ShareSheetModel::demo(Phase{Phase::SaveFailed{message}}, recentTags, "Trips");
    SwiftUI::HostingController host(ShareSheetView{model}.body().font(large));
    const std::string text = host.renderText({.frames = true});
    const auto title = text.find("Text \"Nothing was added.\"");
    ASSERT_NE(title, std::string::npos) << text;
    double x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.find('@', title), "@%lf,%lf %lfx%lf", &x, &y, &width,
                          &height),
              4);
    SwiftUI::HostingController alone(SwiftUI::Text("Nothing was added.").font(large));
    EXPECT_EQ(height, alone.sizeThatFits({width, std::nullopt}).height);
    EXPECT_GT(height, alone.fittingSize().height) << "two lines";
}

TEST_F(ShareSheetTest, ChipsComeInOrderWithTheChosenOneCheckedAndTheFullNoticeWhenFull) {
    ShareTags full = recentTags;
    full.full = true;
    Sheet sheet(ShareSheetModel::demo(Phase{Phase::Ready{fileDraft()}}, full, "Packing"));
    const std::string text = sheet.text();
    const auto at = [&](const std::string& needle) { return text.find(needle); };
    EXPECT_LT(at("\"Packing\""), at("\"Research\""));
    EXPECT_LT(at("\"Research\""), at("\"Trips\""));
    EXPECT_LT(at("\"Trips\""), at("\"Reading\""));
    EXPECT_LT(at("\"Reading\""), at("Label \"New tag\" symbol=plus"));
    EXPECT_THAT(text, HasSubstr("Image symbol=checkmark font=system(9) weight=bold"));
    EXPECT_EQ(text.find("symbol=checkmark "), text.rfind("symbol=checkmark "))
        << "one chip is chosen";
    EXPECT_THAT(text, HasSubstr("trait=selected"));
    EXPECT_THAT(text, HasSubstr("Label \"Your Dossier was full when Kestrelhaven last looked. This "
                                "waits until there's room.\" symbol=exclamationmark.circle"));
}

TEST_F(ShareSheetTest, ATagTypedInAnotherUnicodeFormIsTheSameChip) {
    const ShareTags tags({"Caf\u00e9", "Trips"}, std::nullopt, 300000, false);
    Sheet sheet(ShareSheetModel::demo(Phase{Phase::Ready{fileDraft()}}, tags, "Cafe\u0301"));
    EXPECT_EQ(sheet.model->chips(), (std::vector<std::string>{"Caf\u00e9", "Trips"}));
    EXPECT_THAT(sheet.text(), HasSubstr("trait=selected"));
    EXPECT_EQ(sheet.host.press("Caf\u00e9"), Outcome::Performed);
    EXPECT_EQ(*sheet.model->tag, std::nullopt) << "choosing the chosen tag clears it";
}

TEST_F(ShareSheetTest, TheUserChoosesTagsTypesANewOneAndAdds) {
    writeMac(200);
    auto model = ShareSheetModel::make(std::string(group));
    model->show(fileDraft());
    Sheet sheet(model);
    EXPECT_EQ(sheet.host.press("Research"), Outcome::Performed);
    EXPECT_EQ(*model->tag, "Research");
    EXPECT_EQ(sheet.host.press("Research"), Outcome::Performed);
    EXPECT_EQ(*model->tag, std::nullopt);

    EXPECT_EQ(sheet.host.press("New tag"), Outcome::Performed);
    EXPECT_THAT(sheet.text(), HasSubstr("TextField text=\"\" placeholder=\"New tag\" focused"));
    EXPECT_EQ(sheet.host.type("New tag", "Packing"), Outcome::Performed);
    EXPECT_EQ(sheet.host.pressReturn(), Outcome::Performed) << "Return in the field commits it";
    EXPECT_EQ(*model->tag, "Packing");
    EXPECT_FALSE(*model->addingTag);

    EXPECT_EQ(sheet.host.type("Trip", ""), Outcome::Performed);
    EXPECT_THAT(sheet.text(), HasSubstr("TextField text=\"\" placeholder=\"Trip\""));
    EXPECT_EQ(sheet.host.press("New tag"), Outcome::Performed);
    EXPECT_EQ(sheet.host.type("New tag", "Half"), Outcome::Performed);
    EXPECT_EQ(sheet.host.press("Add"), Outcome::Performed);
    const auto items = outbox().items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].tag, "Half") << "Add takes the tag being typed";
    EXPECT_EQ(items[0].title, "Trip");
    EXPECT_THAT(sheet.text(), HasSubstr("Adding…"));
}

TEST_F(ShareSheetTest, KeysPressTheDefaultAndCancelActionsOnlyWhenEnabled) {
    auto problem = ShareSheetModel::make(std::string(group));
    bool cancelled = false;
    problem->finish = [&](bool shared) { cancelled = !shared; };
    problem->show(ShareProblem::nothing());
    Sheet sheet(problem);
    EXPECT_EQ(sheet.host.pressReturn(), Outcome::Disabled) << "Add is disabled outside ready";
    EXPECT_EQ(sheet.host.pressEscape(), Outcome::Performed);
    EXPECT_TRUE(cancelled);

    auto refused = ShareSheetModel::demo(
        Phase{Phase::Done{fileDraft(), ShareResult::refused("It is empty.")}}, recentTags, {});
    std::optional<bool> shared;
    refused->finish = [&](bool value) { shared = value; };
    Sheet done(refused);
    EXPECT_EQ(done.host.pressReturn(), Outcome::Performed);
    EXPECT_EQ(shared, false) << "Done after a refusal ends the request as not shared";
}

TEST_F(ShareSheetTest, TheSheetRedrawsWhenTheAnswerArrivesWithoutTheUser) {
    writeMac(300);
    auto model = ShareSheetModel::make(std::string(group));
    model->show(fileDraft());
    Sheet sheet(model);
    sheet.host.press("Add");
    const auto redraws = sheet.host.redrawCount();
    ASSERT_TRUE(runFor(0.5, [&] { return sheet.host.redrawCount() > redraws + 1; }));
    EXPECT_THAT(sheet.text(), HasSubstr("Image symbol=clock.fill"));
}
