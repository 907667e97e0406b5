// The Launch Services registration tool stand-in, placed in the build's tools folder.
#include <LaunchServices/Lsregister.h>
#include <iostream>

int main(int argc, char** argv) {
    return LaunchServices::lsregister(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                      std::cerr);
}
