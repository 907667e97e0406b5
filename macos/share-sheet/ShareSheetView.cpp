#include "ShareSheetView.h"

#include "ChipFlow.h"

#include <share-core/DossierShare.h>

using namespace SwiftUI;

namespace {

using Phase = ShareSheetModel::Phase;

constexpr const char* fullNotice =
    "Your Dossier was full when Kestrelhaven last looked. This waits until there's room.";
constexpr const char* hint =
    "Recent tags first; the one you picked last time is chosen. Kestrelhaven adds it to your "
    "Dossier on this Mac, and your iPhone gets it when it connects.";

View label(const char* text) {
    return Text(text)
        .kerning(0.8)
        .font(Font::system(11, Font::Weight::Semibold))
        .textCase(TextCase::Uppercase)
        .foregroundStyle(Color::secondary)
        .padding(Edges::bottom, 6);
}

View notice(const char* symbol, Color color, const char* title, std::string text) {
    return VStack({.alignment = HorizontalAlignment::Center, .spacing = 12},
                  {
                      Image::systemName(symbol).font(Font::system(26)).foregroundStyle(color),
                      Text(title).fixedSize(false, true),
                      Text(std::move(text))
                          .font(Font::callout)
                          .foregroundStyle(Color::secondary)
                          .fixedSize(false, true),
                  })
        .multilineTextAlignment(TextAlignment::Center)
        .padding(Edges::horizontal, 20)
        .frame({.maxWidth = infinity, .maxHeight = infinity});
}

const char* kindSymbol(const ShareDraft& draft) {
    if (std::holds_alternative<ShareDraft::Link>(draft.kind)) {
        return "globe";
    }
    if (std::holds_alternative<ShareDraft::File>(draft.kind)) {
        return "doc.text";
    }
    return "text.alignleft";
}

View preview(const ShareDraft& draft) {
    return HStack({.alignment = VerticalAlignment::Top, .spacing = 12},
                  {
                      Image::systemName(kindSymbol(draft))
                          .font(Font::system(16))
                          .foregroundStyle(Color::secondary)
                          .frame({.width = 36, .height = 36})
                          .background(Color::quaternary,
                                      RoundedRectangle(8, RoundedCornerStyle::Continuous)),
                      VStack({.alignment = HorizontalAlignment::Leading, .spacing = 4},
                             {
                                 Text(draft.sourceLine())
                                     .font(Font::system(11, Font::Design::Monospaced))
                                     .foregroundStyle(Color::secondary)
                                     .lineLimit(1),
                                 Text(draft.preview()).lineLimit(3),
                                 Text(DossierShare::previewLine(draft.text))
                                     .font(Font::system(11, Font::Design::Monospaced))
                                     .foregroundStyle(Color::accentColor),
                             }),
                      Spacer(),
                  })
        .padding(12)
        .background(RoundedRectangle(10, RoundedCornerStyle::Continuous).fill(Color::secondaryFill))
        .overlay(
            RoundedRectangle(10, RoundedCornerStyle::Continuous).strokeBorder(Color::separator, 1));
}

View resultLine(const ShareResult& result) {
    const auto line = [](const char* symbol, Color color, View texts) {
        return HStack({.alignment = VerticalAlignment::FirstTextBaseline, .spacing = 8},
                      {Image::systemName(symbol).foregroundStyle(color), std::move(texts)});
    };
    return std::visit(
        [&](const auto& value) -> View {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, ShareResult::Added>) {
                return line(
                    "checkmark.circle.fill", Color::green,
                    VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
                           {
                               Text("Added to your Dossier").fontWeight(Font::Weight::Medium),
                               If(!value.detail.empty(),
                                  [&] {
                                      return Text(value.detail)
                                          .font(Font::caption)
                                          .foregroundStyle(Color::secondary);
                                  }),
                           }));
            } else if constexpr (std::is_same_v<T, ShareResult::Waiting>) {
                return line("clock.fill", Color::orange, Text(value.line).fixedSize(false, true));
            } else {
                return line("xmark.octagon.fill", Color::red,
                            VStack({.alignment = HorizontalAlignment::Leading, .spacing = 2},
                                   {
                                       Text("Not added: " + value.line),
                                       Text("Nothing was added.")
                                           .font(Font::caption)
                                           .foregroundStyle(Color::secondary),
                                   }));
            }
        },
        result.value);
}

} // namespace

View ShareSheetView::body() const {
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 0},
                  {
                      Text("Add to Dossier")
                          .font(Font::system(15, Font::Weight::Semibold))
                          .padding(Edges::bottom, 14),
                      content().frame({.maxWidth = infinity,
                                       .maxHeight = infinity,
                                       .alignment = Alignment::topLeading}),
                      Divider().padding(Edges::vertical, 12),
                      HStack({.alignment = VerticalAlignment::Center, .spacing = 10}, {buttons()})
                          .frame({.minHeight = 28}),
                  })
        .padding(20)
        .frame({.width = size.width, .height = size.height});
}

View ShareSheetView::content() const {
    const Phase& phase = *model->phase;
    if (std::holds_alternative<Phase::Loading>(phase.value)) {
        return VStack({.alignment = HorizontalAlignment::Center, .spacing = 10},
                      {
                          ProgressView().controlSize(ControlSize::Small),
                          Text("Reading what you shared…").foregroundStyle(Color::secondary),
                      })
            .frame({.maxWidth = infinity, .maxHeight = infinity});
    }
    if (auto* problem = std::get_if<Phase::Problem>(&phase.value)) {
        return notice("exclamationmark.triangle.fill", Color::orange, "Nothing was added.",
                      problem->problem.message());
    }
    if (auto* failed = std::get_if<Phase::SaveFailed>(&phase.value)) {
        return notice("xmark.octagon.fill", Color::red, "Nothing was added.", failed->message);
    }
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 0},
                  {form(*phase.draft())});
}

View ShareSheetView::form(const ShareDraft& draft) const {
    return VStack({.alignment = HorizontalAlignment::Leading, .spacing = 0},
                  {
                      preview(draft),
                      label("Title").padding(Edges::top, 16),
                      TextField(draft.title, model->title.binding())
                          .textFieldStyle(TextFieldStyle::RoundedBorder),
                      label("Tag").padding(Edges::top, 16),
                      ChipFlow(6)({tagChips()}),
                      If(model->tags->full,
                         [] {
                             return Label(fullNotice, Image::systemName("exclamationmark.circle"))
                                 .font(Font::callout)
                                 .foregroundStyle(Color::orange)
                                 .padding(Edges::top, 12);
                         }),
                      Text(hint)
                          .font(Font::callout)
                          .foregroundStyle(Color::secondary)
                          .fixedSize(false, true)
                          .padding(Edges::top, 12),
                  });
}

View ShareSheetView::tagChips() const {
    auto model = this->model.get();
    const std::optional<std::string> chosenTag = *model->tag;
    View chips = ForEach(
        model->chips(), [](const std::string& tag) { return tag; },
        [&](const std::string& tag) {
            const bool chosen = chosenTag && ShareTags::sameTag(*chosenTag, tag);
            View chip =
                Button([model, tag] { model->choose(tag); },
                       HStack({.alignment = VerticalAlignment::Center, .spacing = 4},
                              {
                                  If(chosen, Image::systemName("checkmark")
                                                 .font(Font::system(9, Font::Weight::Bold))),
                                  Text(tag).lineLimit(1),
                              })
                           .padding(Edges::horizontal, 10)
                           .padding(Edges::vertical, 4)
                           .background(Capsule().fill(chosen ? Color::accentColor.opacity(0.18)
                                                             : Color::clear))
                           .overlay(Capsule().strokeBorder(
                               chosen ? Color::accentColor : Color::separator, 1))
                           .contentShape(Capsule()))
                    .buttonStyle(ButtonStyle::Plain);
            return chosen ? chip.accessibilityAddTraits(AccessibilityTraits::IsSelected) : chip;
        });
    View newTag = *model->addingTag
                      ? TextField("New tag", model->newTag.binding())
                            .textFieldStyle(TextFieldStyle::RoundedBorder)
                            .frame({.width = 140})
                            .focused(newTagFocused)
                            .onSubmit([model] { model->commitNewTag(); })
                            .onAppear([focus = newTagFocused] { focus.set(true); })
                      : Button([model] { model->addingTag = true; },
                               Label("New tag", Image::systemName("plus"))
                                   .padding(Edges::horizontal, 10)
                                   .padding(Edges::vertical, 4)
                                   .overlay(Capsule().strokeBorder(Color::separator, 1))
                                   .contentShape(Capsule()))
                            .buttonStyle(ButtonStyle::Plain)
                            .foregroundStyle(Color::accentColor);
    return Group({std::move(chips), std::move(newTag)});
}

View ShareSheetView::buttons() const {
    const Phase& phase = *model->phase;
    auto model = this->model.get();
    if (auto* done = std::get_if<Phase::Done>(&phase.value)) {
        const bool refused = std::holds_alternative<ShareResult::Refused>(done->result.value);
        return Group({
            resultLine(done->result),
            Spacer(8),
            If(refused,
               [&] {
                   return Button("Done", [model] { model->dismiss(); })
                       .keyboardShortcut(KeyboardShortcut::DefaultAction);
               }),
        });
    }
    if (std::holds_alternative<Phase::Saving>(phase.value)) {
        return Group({
            ProgressView().controlSize(ControlSize::Small),
            Text("Adding…").foregroundStyle(Color::secondary),
            Spacer(),
        });
    }
    return Group({
        Spacer(),
        Button("Cancel", [model] { model->cancel(); })
            .keyboardShortcut(KeyboardShortcut::CancelAction),
        Button("Add", [model] { model->add(); })
            .keyboardShortcut(KeyboardShortcut::DefaultAction)
            .disabled(!model->canAdd()),
    });
}
