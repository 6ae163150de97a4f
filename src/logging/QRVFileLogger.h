#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logging/QRVLogCatcher.h"
#include "logging/QRVLogFileInfo.h"

namespace touchlane {

// Writes what the process prints to standard error into this run's log file,
// and keeps the logs folder from growing without bound. Messages arrive from the
// catcher's reading thread; everything else is called from the start-up code.
// All operations are safe to call from any thread.
class QRVFileLogger {
public:
    // The process-wide file logger, fed by QRVLogCatcher::shared(). Lives until
    // the process ends.
    static QRVFileLogger& fileLogger();

    explicit QRVFileLogger(QRVLogCatcher& catcher);
    ~QRVFileLogger();
    QRVFileLogger(const QRVFileLogger&) = delete;
    QRVFileLogger& operator=(const QRVFileLogger&) = delete;

    // Sets the folder (none: the default) and the file name (empty: a name from
    // the current time), then enables.
    void startWithLogsDirectory(std::optional<std::string> logsDirectory, std::string logName);
    // Creates this run's file and starts receiving the catcher's messages. Only
    // the first call does anything.
    void enable();

    // The folder set at start, else Paths::logsDirectory(); created when missing.
    std::string logsDirectory();
    std::string newLogFileName() const;
    // Creates a fresh empty file named logName (or newLogFileName()), numbering
    // it " 2", " 3"... before the extension when the name is taken, then cleans
    // up old files. Returns its path.
    std::string createNewLogFile();
    // Appends the message, ending it with a newline when it has none. A message
    // that takes the file past kLogFileRotationBytes moves writing to a new file.
    void logMessage(std::string_view message);
    // When fullPath is still the file being written, continues in a new file named
    // like a run started now (numbered when taken) and cleans up the folder. A run
    // lasting weeks so writes one bounded file after another instead of one without
    // end. Lines written to the old file meanwhile stay in it.
    void rotateLogFileIfCurrent(const std::string& fullPath);
    // Called with the new file's path after each rotation, outside any lock.
    using FileSwitchHandler = std::function<void(const std::string& newPath)>;
    void setFileSwitchHandler(FileSwitchHandler handler);
    // Deletes the oldest files beyond 100 files or 100 MiB (see logFilesToKeep).
    void deleteOldLogFiles();

    // The folder's log files: regular files (not links) named as this program names them.
    std::vector<std::string> unsortedLogFilePaths();
    std::vector<QRVLogFileInfo> unsortedLogFileInfos();
    // Newest first.
    std::vector<QRVLogFileInfo> sortedLogFileInfos();

    std::optional<std::string> currentLogFilePath() const;
    std::string logName() const;

private:
    struct CreatedFile {
        std::string path;
        bool created;
    };
    // Whether a failure to create the folder is written to standard error: not on
    // a rotation, which may run on the thread that empties standard error's pipe.
    enum class ErrorReport { standardError, none };
    std::string logsDirectory(ErrorReport report);
    CreatedFile createLogFileNamed(const std::string& name, ErrorReport report);
    // Appends to the current file, opening it on first use; false without one.
    bool writeLocked(std::string_view text);

    QRVLogCatcher& catcher_;
    // Held for a whole rotation, so two writers finding the file full together
    // start one new file, not two.
    std::mutex rotationMutex_;
    mutable std::mutex mutex_;
    std::optional<std::string> logsDirectory_;
    std::string logName_;
    std::optional<std::string> currentLogFilePath_;
    int currentLogFileFd_ = -1;
    bool enabled_ = false;
    // A full file for which no successor could be created: written on rather than
    // retried on every line.
    std::optional<std::string> unrotatableLogFilePath_;
    FileSwitchHandler fileSwitchHandler_;
    std::optional<QRVLogCatcher::BlockId> catcherBlock_;
};

}  // namespace touchlane
