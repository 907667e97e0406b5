// KestrelhavenBridge, placed at Contents/MacOS/KestrelhavenBridge in the bundle.
#include "Launcher.h"

int main() {
    Launcher::run();
}
