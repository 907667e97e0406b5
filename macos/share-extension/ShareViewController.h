// The Share extension's principal class, "ShareViewController".
//
// Loading its view builds the sheet's model (on the App Group its bundle
// names under "KHAppGroup") and the sheet's view, and connects the model's
// finish to the request: shared completes it, not shared cancels it as the
// user's cancel. Then it reads the shared items, turns them into a draft or a
// problem, and shows that. When the bundle's "KHShareAutoAdd" holds a number
// of seconds, Add is pressed that long after a draft is shown, choosing the
// tag "KHShareAutoTag" names first when it is a non-empty text.
#pragma once

#include <AppExtensions/ItemProvider.h>
#include <AppKit/ViewController.h>
#include <Dispatch/Task.h>
#include <Foundation/PropertyList.h>
#include <memory>
#include <optional>
#include <share-sheet/ShareSheetModel.h>
#include <string>
#include <vector>

class ShareViewController : public AppKit::ViewController,
                            public std::enable_shared_from_this<ShareViewController> {
public:
    static constexpr const char* className = "ShareViewController";

    // Nothing until the view loads.
    std::shared_ptr<ShareSheetModel> model;

    // Makes "ShareViewController" the extension's principal class.
    static void registerPrincipalClass();

    // The delay of an automatic Add: a finite number of seconds, at least 0, whose nanoseconds
    // fit 64 bits; any other value, or another type, counts as absent.
    static std::optional<double> autoAddDelay(const Foundation::PropertyList* value);

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    static Dispatch::Async<void> loadShare(std::shared_ptr<ShareSheetModel> model,
                                           std::vector<AppExtensions::ExtensionItem> items,
                                           std::optional<double> autoAdd,
                                           std::optional<std::string> autoTag);
};
