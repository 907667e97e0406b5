#include "Core/Description.h"
#include "Core/Host.h"
#include "Core/Painter.h"
#include "Core/Roots.h"

#include <Dispatch/DispatchQueue.h>
#include <Foundation/FileIO.h>
#include <Graphics/Canvas.h>
#include <algorithm>

namespace SwiftUI {

namespace {

// Life-cycle actions that keep changing what they depend on stop after this many rounds.
constexpr int maximumRounds = 8;

} // namespace

Element* Tree::front() const {
    for (auto it = presented.rbegin(); it != presented.rend(); ++it) {
        if (it->root) {
            return it->root.get();
        }
    }
    return root.get();
}

std::string Tree::frontKey() const {
    for (auto it = presented.rbegin(); it != presented.rend(); ++it) {
        if (it->root) {
            return it->presentation.identity;
        }
    }
    return {};
}

void HostingController::Impl::markDirty() {
    dirty = true;
    if (scheduled.exchange(true)) {
        return;
    }
    Dispatch::DispatchQueue::main().async([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->scheduled = false;
            self->update();
        }
    });
}

void HostingController::Impl::update() {
    bool redrew = false;
    for (int round = 0; round < maximumRounds && (dirty || !tree); ++round) {
        dirty = false;
        redraw();
        redrew = true;
        auto actions = std::move(pendingActions);
        pendingActions.clear();
        auto hold = tree;
        for (auto& action : actions) {
            action();
        }
    }
    if (redrew && onUpdate) {
        onUpdate();
    }
}

void HostingController::Impl::redraw() {
    store.beginRedraw();
    auto self = weak_from_this();
    Resolver resolver(
        store,
        [self] {
            if (auto impl = self.lock()) {
                impl->markDirty();
            }
        },
        onScreen);
    auto environment = std::make_shared<Environment>();
    environment->openURL = std::make_shared<const std::function<void(const std::string&)>>(
        [self](const std::string& url) {
            auto impl = self.lock();
            if (impl && impl->openURL) {
                impl->openURL(url);
            }
        });

    auto next = std::make_shared<Tree>();
    next->root = resolver.resolveOne(rootView(view), {"", environment});
    // Presented content may present more; the list grows while it is walked.
    for (std::size_t i = 0; i < resolver.presentations.size(); ++i) {
        Presentation presentation = resolver.presentations[i];
        auto root =
            resolver.resolveOne(presentedView(presentation), {presentation.identity, environment});
        next->presented.push_back({std::move(presentation), std::move(root)});
    }
    store.sweep();
    next->kept = std::move(resolver.kept);
    tree = std::move(next);
    resubscribe(resolver.observed);
    pendingActions = std::move(resolver.actions);
    ++redraws;
    placed = false;
}

void HostingController::Impl::layoutIfNeeded() {
    if (placed || !tree) {
        return;
    }
    placed = true;
    layout(currentSize());
    for (auto& presented : tree->presented) {
        if (presented.root) {
            Size size = measure(*presented.root, {});
            place(*presented.root, {{0, 0}, size}, ProposedViewSize::exactly(size));
        }
    }
}

Size HostingController::Impl::currentSize() {
    if (frameSize) {
        return *frameSize;
    }
    return tree && tree->root ? measure(*tree->root, {}) : Size{};
}

void HostingController::Impl::layout(Size size) {
    if (tree && tree->root) {
        place(*tree->root, {{0, 0}, size}, ProposedViewSize::exactly(size));
    }
}

void HostingController::Impl::resubscribe(
    const std::vector<std::shared_ptr<ObservableObject>>& observed) {
    std::vector<std::pair<ObservableObject*, Subscription>> next;
    for (const auto& object : observed) {
        auto existing =
            std::find_if(subscriptions.begin(), subscriptions.end(),
                         [&](const auto& entry) { return entry.first == object.get(); });
        if (existing != subscriptions.end()) {
            next.push_back(std::move(*existing));
            continue;
        }
        next.emplace_back(object.get(), object->subscribe([self = weak_from_this()] {
            if (auto impl = self.lock()) {
                impl->markDirty();
            }
        }));
    }
    subscriptions = std::move(next);
}

HostingController::HostingController(View rootView) : m_impl(std::make_shared<Impl>()) {
    m_impl->view = std::move(rootView);
}

HostingController::~HostingController() = default;

void HostingController::setRootView(View rootView) {
    m_impl->view = std::move(rootView);
    m_impl->markDirty();
}

Size HostingController::fittingSize() {
    return sizeThatFits({});
}

Size HostingController::sizeThatFits(ProposedViewSize proposal) {
    m_impl->update();
    return m_impl->tree->root ? measure(*m_impl->tree->root, proposal) : Size{};
}

void HostingController::setFrameSize(std::optional<Size> size) {
    m_impl->frameSize = size;
    m_impl->placed = false;
}

Size HostingController::frameSize() {
    m_impl->update();
    return m_impl->currentSize();
}

std::string HostingController::renderText(TextRenderingOptions options) {
    m_impl->update();
    if (options.frames) {
        m_impl->layoutIfNeeded();
    }
    Description description(options.frames);
    const Tree& tree = *m_impl->tree;
    if (tree.root) {
        description.element(*tree.root);
    }
    for (const auto& presented : tree.presented) {
        if (!presented.root) {
            continue;
        }
        if (presented.presentation.kind == Presentation::Kind::Sheet) {
            description.heading("Sheet");
            description.nested([&] { description.element(*presented.root); });
        } else {
            description.element(*presented.root);
        }
    }
    return description.text();
}

std::optional<Foundation::Data> HostingController::renderPNG(std::optional<Size> size) {
    m_impl->update();
    Size canvasSize = size.value_or(m_impl->currentSize());
    Graphics::Canvas canvas(canvasSize);
    canvas.fill(Color::windowBackground.resolved());
    if (m_impl->tree->root) {
        m_impl->layout({double(canvas.width()), double(canvas.height())});
        Painter painter(canvas.context());
        painter.draw(*m_impl->tree->root);
        m_impl->placed = false;
    }
    return canvas.pngData();
}

bool HostingController::writePNG(const std::filesystem::path& path, std::optional<Size> size,
                                 std::string* error) {
    auto data = renderPNG(size);
    if (!data) {
        if (error) {
            *error = "The view could not be drawn as PNG.";
        }
        return false;
    }
    return Foundation::writeFileAtomically(path, *data, 0644, error);
}

void HostingController::update() {
    m_impl->update();
}

void HostingController::setOnUpdate(std::function<void()> action) {
    m_impl->onUpdate = std::move(action);
}

void HostingController::setOnScreen(bool onScreen) {
    if (m_impl->onScreen == onScreen) {
        return;
    }
    m_impl->onScreen = onScreen;
    // A window shown again starts with the focus where a window's focus starts.
    m_impl->keyFocus.clear();
    // Redraw at once: what leaves the screen now must appear anew when it comes back.
    m_impl->dirty = true;
    m_impl->update();
}

void HostingController::setOpenURL(std::function<void(const std::string&)> open) {
    m_impl->openURL = std::move(open);
}

std::size_t HostingController::redrawCount() const {
    return m_impl->redraws;
}

} // namespace SwiftUI
