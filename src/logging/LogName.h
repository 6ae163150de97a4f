#pragma once

#include <string>

namespace touchlane {

// The log file name of a run started at the given Unix time:
// "<bundle name> yyyy-MM-dd HH-mm.log" in local time. The application names its
// run with it and the file logger falls back to it, so both agree on one file.
std::string logNameForStartTime(double epochSeconds);

// The same for the current wall-clock time of the Clock seam.
std::string perRunLogName();

// Whether a file of the logs folder is one this program writes: a per-run name,
// numbered (" 2") or not, or `runName` (a name given to this run) numbered or not.
// The clean-up removes only these; whatever else a user keeps there stays.
bool isProgramLogFileName(const std::string& fileName, const std::string& runName);

}  // namespace touchlane
