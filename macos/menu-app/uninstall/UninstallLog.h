// The uninstall log: one plain-text record per run, appended and never
// rewritten.
//
// A record is an empty line, a heading line with the time, the application's
// path and whether data was deleted, then one line per step: "<title>:
// <done|not found|FAILED> — <detail>". A line break inside a title or detail
// is written as a space, so every step stays on its own line. The file is
// opened without following a link and without blocking on a FIFO; only a
// regular file is appended to, and a new one is created with mode 0600.
// Writing is best effort: a record that cannot be written is lost silently.
#pragma once

#include "uninstall/UninstallStep.h"

#include <string>
#include <vector>

namespace Uninstaller {

// The run's backup suffix: the internet date-time with every ":" replaced by "-".
std::string backupStamp(double secondsSince1970);

// The record of one run, written at `secondsSince1970` by the application at `app`.
std::string logRecord(const std::vector<UninstallStep>& steps, bool deleteData,
                      const std::string& app, double secondsSince1970);

// Appends the run's record to the log file.
void log(const std::vector<UninstallStep>& steps, bool deleteData);

} // namespace Uninstaller
