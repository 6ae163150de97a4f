#include "logging/QRVLogFileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Clock.h"

namespace touchlane {

namespace {

double seconds(const statx_timestamp& stamp) {
    return static_cast<double>(stamp.tv_sec) + static_cast<double>(stamp.tv_nsec) / 1e9;
}

}  // namespace

LogFileAttributes readLogFileAttributes(const std::string& path) {
    struct statx info {};
    LogFileAttributes attributes;
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        return attributes;
    }
    attributes.exists = true;
    attributes.isDirectory = S_ISDIR(info.stx_mode);
    attributes.fileSize = info.stx_size;
    attributes.modificationDate = seconds(info.stx_mtime);
    attributes.creationDate = (info.stx_mask & STATX_BTIME) ? seconds(info.stx_btime) : attributes.modificationDate;
    return attributes;
}

QRVLogFileInfo::QRVLogFileInfo(std::string filePath) : filePath_(std::move(filePath)) {}

QRVLogFileInfo::QRVLogFileInfo(std::string filePath, LogFileAttributes attributes)
    : filePath_(std::move(filePath)), attributes_(attributes) {}

std::string QRVLogFileInfo::fileName() const { return std::filesystem::path(filePath_).filename().string(); }

const LogFileAttributes& QRVLogFileInfo::fileAttributes() const {
    if (!attributes_) attributes_ = readLogFileAttributes(filePath_);
    return *attributes_;
}

double QRVLogFileInfo::age() const { return Clock::current().wallClockSeconds() - creationDate(); }

bool QRVLogFileInfo::reverseCompareByCreationDate(const QRVLogFileInfo& a, const QRVLogFileInfo& b) {
    if (a.creationDate() != b.creationDate()) return a.creationDate() > b.creationDate();
    return a.fileName() > b.fileName();
}

}  // namespace touchlane
