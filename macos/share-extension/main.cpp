// KestrelhavenShare: the Share extension. Its program entry is the platform's extension main,
// which makes the principal class its Info.plist names.
#include "ShareViewController.h"

#include <AppExtensions/ExtensionMain.h>

int main(int argc, char** argv) {
    ShareViewController::registerPrincipalClass();
    return AppExtensions::extensionMain(argc, argv);
}
