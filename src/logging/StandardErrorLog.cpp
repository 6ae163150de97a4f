#include "logging/StandardErrorLog.h"

#include "logging/LogHook.h"
#include "platform/FileDescriptorWrite.h"
#include "platform/TimeFormat.h"

namespace touchlane {

std::string formatStderrLine(const std::string& message) {
    return fmt::format("[{}] {}", formatNow("%Y-%m-%d %H:%M:%S", 6, ':'), message);
}

void stderrLog(const std::string& message) {
    std::string line = formatStderrLine(message);
    if (!dispatchLogLine(LogStyle::standardError, message, line)) return;
    line += '\n';
    writeAll(2, line);
}

}  // namespace touchlane
