// The state behind a hosting controller (shared by its files).
#pragma once

#include "Resolver.h"

#include <SwiftUI/HostingController.h>
#include <atomic>
#include <map>

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
};

} // namespace SwiftUI
