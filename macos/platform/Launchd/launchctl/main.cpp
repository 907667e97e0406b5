// The launchctl stand-in, placed in the build's tools folder.
#include <Launchd/Launchctl.h>
#include <iostream>

int main(int argc, char** argv) {
    return Launchd::launchctl(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
