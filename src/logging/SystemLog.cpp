#include "logging/SystemLog.h"

#include <syslog.h>

#include "logging/LogHook.h"
#include "platform/FileDescriptorWrite.h"
#include "platform/ProcessInfo.h"
#include "platform/TimeFormat.h"

namespace touchlane {

std::string formatSystemLogLine(const std::string& message) {
    return fmt::format("{} {}[{}:{}] {}", formatNow("%Y-%m-%d %H:%M:%S", 3, '.'), ProcessInfo::processName(),
                       ProcessInfo::processId(), ProcessInfo::threadId(), message);
}

void systemLog(const std::string& message) {
    std::string line = formatSystemLogLine(message);
    if (!dispatchLogLine(LogStyle::systemLog, message, line)) return;
    syslog(LOG_NOTICE, "%s", message.c_str());
    line += '\n';
    writeAll(2, line);
}

}  // namespace touchlane
