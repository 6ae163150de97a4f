#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace touchlane {

// What the file system says about one entry of the logs folder. Dates are Unix
// seconds; all zero when the entry could not be read (it vanished, say).
struct LogFileAttributes {
    bool exists = false;
    bool isDirectory = false;
    uint64_t fileSize = 0;
    double creationDate = 0;
    double modificationDate = 0;
};

// Reads an entry without following a final symbolic link. The creation date is
// the file system's birth time where it records one, else the modification time.
LogFileAttributes readLogFileAttributes(const std::string& path);

// One file of the logs folder. Its attributes are read on first use and then
// kept, so sorting and summing sizes see one consistent snapshot. Not shared
// between threads.
class QRVLogFileInfo {
public:
    explicit QRVLogFileInfo(std::string filePath);
    // With attributes already known (no file-system access).
    QRVLogFileInfo(std::string filePath, LogFileAttributes attributes);

    const std::string& filePath() const { return filePath_; }
    std::string fileName() const;
    const LogFileAttributes& fileAttributes() const;
    uint64_t fileSize() const { return fileAttributes().fileSize; }
    double creationDate() const { return fileAttributes().creationDate; }
    double modificationDate() const { return fileAttributes().modificationDate; }
    // Seconds since creation on the wall clock of the Clock seam.
    double age() const;

    // An archived file is never kept for being the newest alone. Nothing in the
    // program archives files yet, so this stays false unless a caller sets it.
    bool isArchived() const { return isArchived_; }
    void setIsArchived(bool archived) { isArchived_ = archived; }

    // Orders newest first. Entries created at the same instant (file-system time
    // stamps are coarse) fall back to the name, newest-looking first: run names
    // carry their start time, so name order is start order.
    static bool reverseCompareByCreationDate(const QRVLogFileInfo& a, const QRVLogFileInfo& b);

private:
    std::string filePath_;
    bool isArchived_ = false;
    mutable std::optional<LogFileAttributes> attributes_;
};

}  // namespace touchlane
