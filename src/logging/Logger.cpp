#include "logging/Logger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <fmt/format.h>

#include "logging/LogFileCleanup.h"
#include "logging/LogHook.h"
#include "logging/Utf8.h"
#include "platform/FileDescriptorWrite.h"
#include "platform/NonBlockingOutput.h"
#include "platform/Paths.h"
#include "platform/TimeFormat.h"

namespace touchlane {

namespace fs = std::filesystem;

Logger::Logger(std::string logsDirectoryPath) : logsDirectoryPath_(std::move(logsDirectoryPath)) {
    if (logsDirectoryPath_.empty()) {
        // Without a folder there is nowhere for the run's log to go.
        fputs("Failed to determine logs directory path.\n", stderr);
        abort();
    }
    Paths::createPrivateDirectories(logsDirectoryPath_);  // failure shows up as lines not written
}

Logger& Logger::shared() {
    // Never destroyed: the capture's thread may still rotate the file it shares
    // with the file logger while the process exits.
    static auto* logger = [] {
        auto* made = new Logger(Paths::logsDirectory());
        // Said once, into the file: a reader of the log learns why the terminal
        // missed lines. Standard output is not written again in a way that waits.
        NonBlockingOutput::standardOutput().setFirstDropHandler([made] {
            made->log("Standard output is not being read: what does not fit is dropped from it; the log file "
                      "keeps every line");
        });
        return made;
    }();
    return *logger;
}

std::string Logger::formatLine(const std::string& message) {
    return fmt::format("[{}] {}", formatNow("%Y-%m-%d %H:%M:%S", 3, ':'), message);
}

void Logger::log(const std::string& message) {
    std::string line = formatLine(message);
    if (!dispatchLogLine(LogStyle::logger, message, line)) return;
    line += '\n';
    // A terminal or pipe nobody reads must not stop the thread that logs.
    NonBlockingOutput::standardOutput().write(line);
    auto path = logFilePath();
    // The log file is UTF-8 text; a line that is not stays on standard output only.
    if (!path || !isValidUtf8(line)) return;
    // Open, append and close on every line, so that lines from different queues
    // never interleave inside a line and a removed file is simply recreated.
    int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    writeAll(fd, line);
    const bool full = logFileNeedsRotation(fd);
    ::close(fd);
    if (!full) return;
    FileFullHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = fileFullHandler_;
    }
    if (handler) handler(*path);
}

void Logger::setFileFullHandler(FileFullHandler handler) {
    std::lock_guard lock(mutex_);
    fileFullHandler_ = std::move(handler);
}

void Logger::setLogName(std::optional<std::string> name) {
    std::lock_guard lock(mutex_);
    logName_ = std::move(name);
}

std::optional<std::string> Logger::logName() const {
    std::lock_guard lock(mutex_);
    return logName_;
}

std::optional<std::string> Logger::logFilePath() const {
    std::lock_guard lock(mutex_);
    if (!logName_ || logName_->empty()) return std::nullopt;
    return (fs::path(logsDirectoryPath_) / *logName_).string();
}

}  // namespace touchlane
