#include "platform/ProcessInfo.h"

#include <errno.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace touchlane {

const std::string& ProcessInfo::processName() {
    static const std::string name = program_invocation_short_name;
    return name;
}

int ProcessInfo::processId() { return static_cast<int>(getpid()); }

long ProcessInfo::threadId() { return static_cast<long>(syscall(SYS_gettid)); }

}  // namespace touchlane
