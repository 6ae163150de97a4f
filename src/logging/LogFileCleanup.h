#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace touchlane {

// How many of the logs folder's files survive a clean-up, given their sizes
// newest first: files are kept up to (not including) the first one at which the
// running total passes 100 MiB, and never more than 100. When even the newest file
// alone passes the limit it is kept anyway, unless it is archived, so a run never
// loses the log it is writing.
size_t logFilesToKeep(const std::vector<uint64_t>& sizesNewestFirst, bool newestIsArchived);

inline constexpr uint64_t kLogFolderByteLimit = 100ull * 1024 * 1024;
inline constexpr size_t kLogFolderFileLimit = 100;
// The size past which the writers move on to a new file during a run, so that the
// clean-up has whole files to drop and the folder stays near its byte limit.
inline constexpr uint64_t kLogFileRotationBytes = 10ull * 1024 * 1024;

// Whether the open file has reached kLogFileRotationBytes.
bool logFileNeedsRotation(int fd);

}  // namespace touchlane
