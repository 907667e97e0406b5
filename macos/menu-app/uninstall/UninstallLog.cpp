#include "uninstall/UninstallLog.h"

#include "service/Bundled.h"
#include "uninstall/Uninstaller.h"

#include <Foundation/FileIO.h>
#include <Foundation/SystemTime.h>
#include <algorithm>

namespace Uninstaller {

namespace {

std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

} // namespace

std::string backupStamp(double secondsSince1970) {
    return Foundation::SystemTime::fileStamp(secondsSince1970);
}

std::string logRecord(const std::vector<UninstallStep>& steps, bool deleteData,
                      const std::string& app, double secondsSince1970) {
    std::string record = "\n== " + Foundation::SystemTime::internetDateTime(secondsSince1970) +
                         " Kestrelhaven uninstall (app " + oneLine(app) + ")" +
                         (deleteData ? ", deleting data" : "") + "\n";
    for (const UninstallStep& step : steps)
        record += oneLine(step.title) + ": " + UninstallStep::word(step.status) + " \u2014 " +
                  oneLine(step.detail) + "\n";
    return record;
}

void log(const std::vector<UninstallStep>& steps, bool deleteData) {
    const std::string record =
        logRecord(steps, deleteData, Bundled::app().string(), Foundation::SystemTime::now());
    const std::filesystem::path file = logFile();
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    Foundation::appendToFile(
        file,
        Foundation::Bytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()),
        0600);
}

} // namespace Uninstaller
