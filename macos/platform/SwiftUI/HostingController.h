// Hosting a view: keeping it up to date, sizing it, rendering it, and acting on it.
//
// A hosting controller holds a root view (usually a view struct observing its
// models). When an observed model publishes, or view state changes, it marks
// itself for a redraw and redraws once on the main queue, however many changes
// came first; after a redraw the `onUpdate` action runs (a window resizes or
// repaints there). Every query (sizes, renderings, the actions below) first
// brings the tree up to date, so a test may read the result of a change at
// once. A redraw resolves the tree, then runs the life-cycle actions it found;
// changes they make are redrawn straight away (up to a few rounds). The tree
// is laid out at the frame size (the fitting size until a window sets one)
// only when a size, the frames or a drawing is asked for: measuring text loads
// the font system, which a window nobody looks at need not.
//
// The view counts as on screen while the host is (from the start, until
// `setOnScreen(false)`): `onAppear` actions run only then, and again for every
// view after the host comes back on screen.
//
// Acting on it, as the user would: controls are found by their title, the
// texts of their label, a text field's placeholder, or an accessibility label
// on them or around them, in the frontmost tree only (the last dialog or sheet
// presented, else the root). A disabled control refuses and reports it. Return
// submits the focused text field when it has a submit action, else presses the
// default action; Escape presses the cancel action (a dialog's Cancel; with
// none marked, a button titled "Cancel").
//
// Text rendering: one line per element that shows something, indented two
// spaces per level of nesting; modifiers that only lay out or decorate
// (padding, frames, backgrounds, overlays) write no line, and an accessibility
// attribute they carry goes on the next line. A line is the kind, the text in
// double quotes (with \" \\ \n escaped) when the element has one, then tokens:
//
//   VStack | HStack | Layout | ScrollView            containers, children below
//   Form grouped; Section "Header" (rows below, then `Footer` and its view)
//   Text "…" font=title2 weight=bold color=secondary lines=3 align=center
//        uppercase kerning=0.8 selectable     (font: a style name, system(15) or
//        system(11,mono); only what differs from body, regular and primary;
//        code spans in `backticks`, inline images as [image:name] / [symbol:name])
//   Image symbol=checkmark.circle.fill font=… weight=… color=green | Image name=…
//   Label "title" symbol=plus <Text tokens>
//   Button "title" default cancel destructive link|plain small disabled
//   Link "title" url=https://…
//   Toggle "title" <Text tokens> on|off checkbox|switch disabled
//   Picker "title" menu|segmented selection="option"|selection=none labels-hidden
//       disabled, then one `Option "title"` line per option, the chosen `selected`
//   TextField text="…" placeholder="…" focused disabled
//   DisclosureGroup "title" expanded|collapsed (content below while expanded)
//   ProgressView small; Divider; Spacer min=12; Rectangle|RoundedRectangle|
//       Capsule|Circle fill=… stroke=…
//   any line: a11y="…" (accessibility label), trait=selected
//
// A control whose label is one text carries it inline as its title; other labels
// are written below it. After the root tree come the presentations in order: a
// `Sheet` line with the sheet's tree below, or a `Dialog` line with the dialog's
// title, message and buttons. With `frames`, each line ends with @x,y wxh.
//
// PNG rendering draws the root tree at one pixel per point on the window
// background colour, at the frame size or a given one.
//
// Cell rendering, for a terminal, lays the same trees out again in character
// cells (Core/Metrics.h) at most a given number of columns wide and as tall as
// they are, and draws them: each sheet or dialog over what is behind it, in a
// framed box, what is behind it dimmed; an open pop-up menu's choices apart,
// for the screen to place. It also tells the keys that apply, the focused
// control's first, and the focused control's tool tip (`help`). Only the
// frontmost tree answers the keyboard. Tab and Shift-Tab move the focus through its controls
// (buttons, links, toggles, pickers, text fields, disclosure groups) in reading order, wrapping and
// passing over disabled ones. The focus starts where the platform puts it when a window, sheet or
// dialog opens: the first text field, else the default button, else the first control (enabled ones
// only); it follows that rule as the content changes (a form replacing a loading state) until a key
// the tree takes or the view's focus binding moves it, so that typing is never
// lost while a field is there. A host that leaves the screen and comes back
// starts afresh. The focus stays with its control from one redraw to the next;
// when the control goes it moves to the next one, and when the view focuses a
// field through its focus binding it moves there. Keys:
//
//   Space, Return   press the focused button, flip the toggle, open the pop-up
//                   menu's choices, open or close the disclosure group
//   Return          in a text field, its submit action when it has one; else
//                   (or with no focused control that takes it) the default button
//   Escape          closes open choices, else presses the cancel button (one
//                   titled "Cancel" when none is marked), else dismisses the
//                   frontmost sheet or dialog
//   ↑ ↓ Return Esc  in open choices: move, take the marked one, leave
//   ← →             step a segmented control; move the cursor in a text field
//   typing, paste   insert at a text field's cursor (paste without line breaks),
//                   up to the field's maximum length (what goes beyond is cut);
//   Backspace, Delete, Home, End edit and move there; each change writes the
//                   field's binding, as `type` does
//
// Other keys are left to the caller.
#pragma once

#include <AppKit/KeyPress.h>
#include <AppKit/View.h>
#include <Foundation/Data.h>
#include <SwiftUI/View.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SwiftUI {

struct TextRenderingOptions {
    // Ends each line with the element's frame.
    bool frames = false;
};

class HostingController {
public:
    explicit HostingController(View rootView);
    ~HostingController();
    HostingController(const HostingController&) = delete;
    HostingController& operator=(const HostingController&) = delete;

    void setRootView(View rootView);

    // The view's ideal size, with nothing proposed.
    Size fittingSize();
    Size sizeThatFits(ProposedViewSize proposal);
    // The size the window gives the view; unset, the fitting size.
    void setFrameSize(std::optional<Size> size);
    Size frameSize();

    std::string renderText(TextRenderingOptions options = {});
    // The root tree as PNG at `size` (the frame size when unset); nothing when encoding failed.
    std::optional<Foundation::Data> renderPNG(std::optional<Size> size = std::nullopt);
    // Writes `renderPNG` atomically; on failure returns false and sets `error` to a sentence.
    bool writePNG(const std::filesystem::path& path, std::optional<Size> size = std::nullopt,
                  std::string* error = nullptr);
    // The trees in character cells at most `width` columns wide, with where the focus and the
    // text cursor are; the focused control marked with characters where styles do not show (not
    // `styled`).
    AppKit::HostedView::CellDrawing renderCells(int width, bool styled = true);
    // Acts on a key as described above, on the view as last rendered in cells; false when the
    // key is not one the view takes.
    bool handleKey(const AppKit::KeyPress& key);

    // Runs a due redraw now.
    void update();
    void setOnUpdate(std::function<void()> action);
    void setOnScreen(bool onScreen);
    // Where links go; unset, they go nowhere.
    void setOpenURL(std::function<void(const std::string&)> open);
    // How many redraws have run.
    std::size_t redrawCount() const;

    enum class Outcome { Performed, NotFound, Disabled };
    // Presses the `occurrence`th button or link (from 0) found by `name`.
    Outcome press(std::string_view name, std::size_t occurrence = 0);
    // Flips a toggle.
    Outcome toggle(std::string_view name, std::size_t occurrence = 0);
    Outcome choose(std::string_view picker, std::string_view option);
    // Focuses the field and types `text` over its content, one character at a time, each
    // keystroke writing the field's binding (empty text writes it once, empty).
    Outcome type(std::string_view field, std::string_view text);
    // Return in the field: its submit action.
    Outcome submit(std::string_view field);
    Outcome pressReturn();
    Outcome pressEscape();
    Outcome setExpanded(std::string_view disclosureGroup, bool expanded = true);
    // Dismisses the frontmost sheet or dialog as the system would, setting its flag false.
    Outcome dismiss();
    // Closes the frontmost sheet or dialog as its cancel button does (Escape's way); NotFound
    // when none is presented.
    Outcome cancelPresentation();

    // A button, link or toggle of the frontmost tree, as a presentation lists it.
    struct ControlSummary {
        enum class Kind { Button, Toggle };
        Kind kind;
        // All the texts of its label, joined.
        std::string title;
        bool enabled;
        // For a toggle: whether it is on.
        bool on;
        bool operator==(const ControlSummary&) const = default;
    };
    // The buttons, links and toggles of the frontmost tree, in tree order.
    std::vector<ControlSummary> controls();
    // The placeholders of the text fields of the frontmost tree, in tree order.
    std::vector<std::string> textFields();
    // Presses the button or link, or flips the toggle, at `index` of `controls()`.
    Outcome activate(std::size_t index);

    struct Impl;

private:
    std::shared_ptr<Impl> m_impl;
};

} // namespace SwiftUI
