#pragma once

#include <string>

namespace touchlane {

// The log file name of a run started at the given Unix time:
// "<bundle name> yyyy-MM-dd HH-mm.log" in local time. The application names its
// run with it and the file logger falls back to it, so both agree on one file.
std::string logNameForStartTime(double epochSeconds);

// The same for the current wall-clock time of the Clock seam.
std::string perRunLogName();

}  // namespace touchlane
