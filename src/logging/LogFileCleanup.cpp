#include "logging/LogFileCleanup.h"

#include <sys/stat.h>

#include <algorithm>

namespace touchlane {

size_t logFilesToKeep(const std::vector<uint64_t>& sizesNewestFirst, bool newestIsArchived) {
    size_t keep = sizesNewestFirst.size();
    uint64_t total = 0;
    for (size_t i = 0; i < sizesNewestFirst.size(); ++i) {
        total += sizesNewestFirst[i];
        if (total > kLogFolderByteLimit) {
            keep = i;
            break;
        }
    }
    keep = std::min(keep, kLogFolderFileLimit);
    if (keep == 0 && !sizesNewestFirst.empty() && !newestIsArchived) keep = 1;
    return keep;
}

bool logFileNeedsRotation(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && static_cast<uint64_t>(info.st_size) >= kLogFileRotationBytes;
}

}  // namespace touchlane
