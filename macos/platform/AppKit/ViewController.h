// A view controller: the object that makes and owns one view.
//
// The view is made lazily: the first `view()` or `loadViewIfNeeded()` calls
// `loadView` (which must set a view) and then `viewDidLoad`. An app extension's
// principal class is a view controller; the extension host gives it its
// request's context before the view loads.
#pragma once

#include <AppKit/Geometry.h>
#include <AppKit/View.h>
#include <memory>

namespace AppExtensions {
class ExtensionContext;
}

namespace AppKit {

class ViewController {
public:
    virtual ~ViewController() = default;

    const std::shared_ptr<View>& view();
    void setView(std::shared_ptr<View> view) { m_view = std::move(view); }
    bool isViewLoaded() const { return m_view != nullptr; }
    void loadViewIfNeeded() { view(); }

    Size preferredContentSize() const { return m_preferredContentSize; }
    void setPreferredContentSize(Size size) { m_preferredContentSize = size; }

    // The request an extension's controller serves; none outside an extension.
    const std::shared_ptr<AppExtensions::ExtensionContext>& extensionContext() const {
        return m_extensionContext;
    }
    void setExtensionContext(std::shared_ptr<AppExtensions::ExtensionContext> context) {
        m_extensionContext = std::move(context);
    }

protected:
    virtual void loadView() = 0;
    virtual void viewDidLoad() {}

private:
    std::shared_ptr<View> m_view;
    Size m_preferredContentSize{};
    std::shared_ptr<AppExtensions::ExtensionContext> m_extensionContext;
};

} // namespace AppKit
