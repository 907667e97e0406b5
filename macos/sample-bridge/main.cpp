// The sample bridge, placed at Contents/Helpers/node in the bundle.
#include "sample-bridge/Daemon.h"

#include <iostream>

int main(int argc, char** argv) {
    return SampleBridge::runNode(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                 std::cerr);
}
