#include "sample-bridge/Tool.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <sys/stat.h>

namespace SampleBridge {

namespace {

int init(std::ostream& output, std::ostream& errors) {
    const auto folder = Foundation::homeDirectory() / ".kestrelhaven";
    if (std::error_code error; !Foundation::createFolder(folder, &error)) {
        errors << "sample bridge: couldn't prepare the data folder " << folder.string() << ": "
               << error.message() << "\n";
        return 1;
    }
    ::chmod(folder.c_str(), 0700);
    output << "Data folder ready at " << folder.string() << "\n";
    return 0;
}

} // namespace

int runTool(const std::vector<std::string>& arguments, std::ostream& output, std::ostream& errors) {
    if (arguments.size() == 1 && arguments[0] == "init")
        return init(output, errors);
    errors << "sample bridge: unknown command\n";
    return 1;
}

} // namespace SampleBridge
