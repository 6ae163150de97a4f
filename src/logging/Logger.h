#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>

namespace touchlane {

// The logger of tracking, recognition, routing and the user interface: each line
// is "[yyyy-MM-dd HH:mm:ss:SSS] message", printed to standard output and, once a
// log name is set, appended to that file in the logs folder (only when the line
// is valid UTF-8). May be called from any thread.
class Logger {
public:
    // Creates the logs folder (errors ignored). Stops the program when the path is
    // empty: a logger with nowhere to write is a programming error.
    explicit Logger(std::string logsDirectoryPath);
    // Logs into Paths::logsDirectory(), fixed at first use.
    static Logger& shared();

    void log(const std::string& message);
    // Items of any printable type, joined by single spaces.
    template <typename First, typename... Rest>
    void log(const First& first, const Rest&... rest) {
        std::ostringstream text;
        text << first;
        ((text << ' ' << rest), ...);
        log(text.str());
    }

    void setLogName(std::optional<std::string> name);
    std::optional<std::string> logName() const;
    const std::string& logsDirectoryPath() const { return logsDirectoryPath_; }
    std::optional<std::string> logFilePath() const;

    // Called, outside any lock, with the file's path after a line took the file
    // past kLogFileRotationBytes (see rotateLogFilesTogether).
    using FileFullHandler = std::function<void(const std::string& path)>;
    void setFileFullHandler(FileFullHandler handler);

    static std::string formatLine(const std::string& message);

private:
    mutable std::mutex mutex_;
    std::string logsDirectoryPath_;
    std::optional<std::string> logName_;
    FileFullHandler fileFullHandler_;
};

}  // namespace touchlane
