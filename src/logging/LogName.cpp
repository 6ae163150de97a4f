#include "logging/LogName.h"

#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/TimeFormat.h"

namespace touchlane {

std::string logNameForStartTime(double epochSeconds) {
    return BundleInfo::name() + " " + formatLocalTime(epochSeconds, "%Y-%m-%d %H-%M") + ".log";
}

std::string perRunLogName() { return logNameForStartTime(Clock::current().wallClockSeconds()); }

}  // namespace touchlane
