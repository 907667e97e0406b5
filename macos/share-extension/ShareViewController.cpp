#include "ShareViewController.h"

#include "ShareLoader.h"

#include <AppExtensions/ExtensionContext.h>
#include <AppExtensions/ExtensionMain.h>
#include <Foundation/Bundle.h>
#include <SwiftUI/HostingView.h>
#include <cmath>
#include <share-core/ShareGroup.h>
#include <share-sheet/ShareSheetView.h>

namespace {

// The most seconds whose count of nanoseconds fits an unsigned 64-bit number.
constexpr double maxAutoAddSeconds = 18446744073.0;

} // namespace

void ShareViewController::registerPrincipalClass() {
    AppExtensions::registerPrincipalClass(className,
                                          [] { return std::make_shared<ShareViewController>(); });
}

std::optional<double> ShareViewController::autoAddDelay(const Foundation::PropertyList* value) {
    const auto seconds = value ? value->number() : std::nullopt;
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0 || *seconds > maxAutoAddSeconds) {
        return std::nullopt;
    }
    return seconds;
}

void ShareViewController::loadView() {
    const auto group = ShareGroup::identifier(Foundation::Bundle::main());
    auto made = ShareSheetModel::make(group);
    made->finish = [weak = weak_from_this()](bool shared) {
        auto controller = weak.lock();
        if (!controller || !controller->extensionContext()) {
            return;
        }
        if (shared) {
            controller->extensionContext()->completeRequest();
        } else {
            controller->extensionContext()->cancelRequest(AppExtensions::userCancelled);
        }
    };
    model = made;
    auto view = std::make_shared<SwiftUI::HostingView>(ShareSheetView{made});
    view->setFixedSize(ShareSheetView::size);
    setView(std::move(view));
    setPreferredContentSize(ShareSheetView::size);
}

void ShareViewController::viewDidLoad() {
    if (!model) {
        return;
    }
    std::vector<AppExtensions::ExtensionItem> items;
    if (extensionContext()) {
        items = extensionContext()->inputItems();
    }
    const Foundation::Bundle& bundle = Foundation::Bundle::main();
    std::optional<std::string> autoTag;
    if (const auto* tag = bundle.object("KHShareAutoTag"); tag && tag->text()) {
        autoTag = *tag->text();
    }
    Dispatch::startTask(
        loadShare(model, std::move(items), autoAddDelay(bundle.object("KHShareAutoAdd")), autoTag));
}

Dispatch::Async<void>
ShareViewController::loadShare(std::shared_ptr<ShareSheetModel> model,
                               std::vector<AppExtensions::ExtensionItem> items,
                               std::optional<double> autoAdd, std::optional<std::string> autoTag) {
    const std::int64_t itemChars = model->tags->itemChars;
    auto loading = ShareLoader::load(std::move(items), itemChars);
    const ShareContents contents = co_await loading;
    model->show(ShareInput::draft(contents, itemChars));
    if (!autoAdd || !model->canAdd()) {
        co_return;
    }
    co_await Dispatch::sleep(*autoAdd);
    if (autoTag && !autoTag->empty()) {
        model->tag = *autoTag;
    }
    model->add();
}
