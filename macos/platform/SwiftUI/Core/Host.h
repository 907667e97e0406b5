// The state behind a hosting controller, shared by its files: the trees of
// the last redraw, what the view keeps between redraws, and, for a terminal,
// the trees laid out again in cells with where the keyboard is in each one.
// The focus is kept by the focused control's identity, so that it stays with
// its control from one redraw to the next; CellRendering.cpp lays the trees
// out and draws them, and Keys.cpp answers keys on them.
#pragma once

#include "CellPainter.h"
#include "Resolver.h"

#include <SwiftUI/HostingController.h>
#include <atomic>
#include <map>
#include <optional>
#include <string>

namespace SwiftUI {

struct PresentedRoot {
    Presentation presentation;
    std::unique_ptr<Element> root;
};

// One redraw's result. Actions hold it while they run, so the closures they call stay valid.
struct Tree {
    std::unique_ptr<Element> root;
    std::vector<PresentedRoot> presented;
    std::vector<std::shared_ptr<const void>> kept;

    // The tree the user acts on: the frontmost presentation, else the root.
    Element* front() const;
    // That tree's key in `Impl::keyFocus`: the presentation's identity, empty for the root.
    std::string frontKey() const;
};

struct CellLayout;

// Where the keyboard is in one tree on a terminal.
struct KeyFocus {
    CellPainter::Focus focus;
    // The controls after the focused one in reading order when it was last laid out, nearest
    // first: where the focus goes should it go.
    std::vector<std::string> following;
    // Whether the user (a key the tree took) or the view (a focus binding) put the focus where it
    // is; until then it stays where the tree's focus starts, however the content changes.
    bool chosen = false;
    // Whether the user's last key on the focused control pressed or submitted rather than moved
    // to it: should the control then go, it went by their doing and the focus moves on.
    bool acted = false;

    // Gives the focus to `control` of `controls` (in reading order), or to none; a text field
    // takes it with the cursor at its end.
    void focusOn(const Element* control, const std::vector<Element*>& controls);
    // Notes the controls after the focused one, as laid out now.
    void follow(const Element& control, const std::vector<Element*>& controls);
    // The nearest enabled control of `layout` that followed the focused one when it was last
    // there: where the focus goes on from a control that went.
    Element* nextStillThere(const CellLayout& layout) const;
};

// A tree laid out in cells: the root, or a presentation drawn over it in a framed box.
struct CellTree {
    Element* root = nullptr;
    // The tree's key in `Impl::keyFocus`: empty for the root, else the presentation's identity.
    std::string key;
    // The width it was laid out within.
    int width = 0;
    std::optional<Graphics::CellRect> box;
};

struct CellLayout {
    int width = 0;
    int height = 0;
    // The root first, the frontmost last.
    std::vector<CellTree> trees;
    // The front tree's controls, in reading order.
    std::vector<Element*> controls;

    // The front tree's control with `identity`, if it has one.
    Element* control(const std::string& identity) const;
    // A focus on `identity` as drawn: the identity if the control is there, else none (empty).
    std::string drawnFocus(const std::string& identity) const {
        return control(identity) ? identity : std::string();
    }
};

struct HostingController::Impl : std::enable_shared_from_this<Impl> {
    View view;
    Store store;
    std::shared_ptr<Tree> tree;
    std::vector<std::pair<ObservableObject*, Subscription>> subscriptions;
    std::vector<std::function<void()>> pendingActions;
    std::atomic<bool> dirty{true};
    std::atomic<bool> scheduled{false};
    std::optional<Size> frameSize;
    bool onScreen = true;
    std::string focusedField;
    std::function<void()> onUpdate;
    std::function<void(const std::string&)> openURL;
    std::size_t redraws = 0;
    // Whether the tree is laid out at `currentSize()`. Laying out measures text, which loads the
    // font system, so it waits until a frame is asked for.
    bool placed = false;

    void markDirty();
    void update();
    void redraw();
    void layoutIfNeeded();
    void layout(Size size);
    Size currentSize();
    void resubscribe(const std::vector<std::shared_ptr<ObservableObject>>& observed);

    // The keyboard on a terminal, by tree; the width the view was last drawn at in cells.
    std::map<std::string, KeyFocus> keyFocus;
    int cellWidth = 80;
    // The front tree as last drawn or as the user's last key left it; none before either. A key
    // that finds another tree in front is not the user's for it.
    std::optional<std::string> aimedTree;
    // Whether a key found the front tree or its focus changed since then: keys are then taken
    // without acting until the next drawing shows what changed.
    bool keysUnaimed = false;
    // The control drawn with the focus in that tree, or empty for none, as last drawn or as the
    // user's last key left it; none before either.
    std::optional<std::string> aimedControl;

    // Lays the trees out in cells `width` wide and runs `body` with the layout; afterwards they
    // are laid out in points again when next asked.
    void inCells(int width, const std::function<void(CellLayout&)>& body);
    // Brings the front tree's focus up to date with the layout, and gives it.
    KeyFocus& settleFocus(const CellLayout& layout);
};

// Presses the front tree's default button, or its cancel button, as Return or Escape does. With no
// button marked to cancel, a button titled "Cancel" is the cancel button, as in the platform's
// dialogs.
HostingController::Outcome pressShortcut(HostingController::Impl& impl, bool defaultAction);
// Dismisses the frontmost sheet or dialog as the system would, setting its flag false.
HostingController::Outcome dismissFront(HostingController::Impl& impl);
// Escape: presses the front tree's cancel button, else dismisses the frontmost sheet or dialog.
HostingController::Outcome cancelFront(HostingController::Impl& impl);

} // namespace SwiftUI
