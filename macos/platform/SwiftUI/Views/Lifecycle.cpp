// onAppear and onChange: actions run after the redraw that finds their reason.
#include "Core/Resolver.h"

#include <SwiftUI/View.h>

namespace SwiftUI {

namespace {

class OnAppearNode final : public Node {
public:
    OnAppearNode(View content, std::function<void()> action)
        : m_content(std::move(content)), m_action(std::move(action)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        std::size_t before = out.size();
        resolver.resolve(m_content, scope, out);
        if (out.size() == before || !resolver.isOnScreen()) {
            return;
        }
        // The mark lasts while the view stays in the tree; once it is gone, it appears anew.
        std::string key = resolver.keyFor(scope.identity, "appear");
        bool appeared = resolver.store().contains(key);
        resolver.store().slot(key) = std::make_shared<bool>(true);
        if (!appeared) {
            resolver.afterRedraw(m_action);
        }
    }

private:
    View m_content;
    std::function<void()> m_action;
};

class OnChangeNode final : public Node {
public:
    OnChangeNode(View content, std::any value,
                 std::function<bool(const std::any&, const std::any&)> equal,
                 std::function<void(const std::any&)> action)
        : m_content(std::move(content)), m_value(std::move(value)), m_equal(std::move(equal)),
          m_action(std::move(action)) {}

    void resolve(Resolver& resolver, const Scope& scope, ElementList& out) const override {
        resolver.resolve(m_content, scope, out);
        auto& slot = resolver.store().slot(resolver.keyFor(scope.identity, "change"));
        auto previous = std::static_pointer_cast<std::any>(slot);
        if (previous && !m_equal(*previous, m_value)) {
            resolver.afterRedraw([action = m_action, value = m_value] { action(value); });
        }
        slot = std::make_shared<std::any>(m_value);
    }

private:
    View m_content;
    std::any m_value;
    std::function<bool(const std::any&, const std::any&)> m_equal;
    std::function<void(const std::any&)> m_action;
};

} // namespace

View View::onAppear(std::function<void()> action) const {
    return View(std::make_shared<OnAppearNode>(*this, std::move(action)));
}

View View::onChangeValue(std::any value,
                         std::function<bool(const std::any&, const std::any&)> equal,
                         std::function<void(const std::any&)> action) const {
    return View(std::make_shared<OnChangeNode>(*this, std::move(value), std::move(equal),
                                               std::move(action)));
}

} // namespace SwiftUI
