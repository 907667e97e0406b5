// The plug-in tool stand-in, placed in the build's tools folder.
#include <LaunchServices/PluginKit.h>
#include <iostream>

int main(int argc, char** argv) {
    return LaunchServices::pluginkit(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                     std::cerr);
}
