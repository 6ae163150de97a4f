#include "logging/QRVFileLogger.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "logging/LogFileCleanup.h"
#include "logging/LogName.h"
#include "logging/LogRotation.h"
#include "logging/Logger.h"
#include "logging/StandardErrorLog.h"
#include "logging/Utf8.h"
#include "platform/FileDescriptorWrite.h"
#include "platform/Paths.h"

namespace touchlane {

namespace fs = std::filesystem;

namespace {

// "name.log" -> "name 2.log": the number goes before the extension.
std::string numberedFileName(const std::string& fileName, unsigned long number) {
    fs::path name(fileName);
    return name.stem().string() + " " + std::to_string(number) + name.extension().string();
}

std::string pathLine(const std::string& path) { return fmt::format("QRVFileLogger path -> {}", path); }

}  // namespace

QRVFileLogger& QRVFileLogger::fileLogger() {
    // Never destroyed, like the catcher whose thread calls it.
    static auto* logger = [] {
        auto* made = new QRVFileLogger(QRVLogCatcher::shared());
        // The run's Logger writes the same file and so must follow its rotations.
        rotateLogFilesTogether(Logger::shared(), *made);
        return made;
    }();
    return *logger;
}

QRVFileLogger::QRVFileLogger(QRVLogCatcher& catcher) : catcher_(catcher) {}

QRVFileLogger::~QRVFileLogger() {
    std::optional<QRVLogCatcher::BlockId> block;
    {
        std::lock_guard lock(mutex_);
        block = catcherBlock_;
    }
    if (block) catcher_.removeBlock(*block);
    std::lock_guard lock(mutex_);
    if (currentLogFileFd_ >= 0) ::close(currentLogFileFd_);
}

void QRVFileLogger::startWithLogsDirectory(std::optional<std::string> logsDirectory, std::string logName) {
    {
        std::lock_guard lock(mutex_);
        logsDirectory_ = std::move(logsDirectory);
        logName_ = std::move(logName);
    }
    enable();
}

void QRVFileLogger::enable() {
    {
        std::lock_guard lock(mutex_);
        if (enabled_) return;
        enabled_ = true;
    }
    std::string path = createNewLogFile();
    {
        std::lock_guard lock(mutex_);
        currentLogFilePath_ = path;
    }
    // Registered before the path line is written, so that the line itself is
    // sure to be captured into the new file.
    auto block = catcher_.addBlock([this](const std::string& message) { logMessage(message); });
    {
        std::lock_guard lock(mutex_);
        catcherBlock_ = block;
    }
    // The first line of the run's file, through the capture like every line of
    // standard error.
    stderrLog(pathLine(path));
}

std::string QRVFileLogger::logsDirectory() { return logsDirectory(ErrorReport::standardError); }

std::string QRVFileLogger::logsDirectory(ErrorReport report) {
    std::string folder;
    {
        std::lock_guard lock(mutex_);
        folder = logsDirectory_.value_or(Paths::logsDirectory());
    }
    std::error_code error;
    if (!fs::is_directory(folder, error) && !Paths::createPrivateDirectories(folder) &&
        report == ErrorReport::standardError) {
        stderrLog("Create Directory error: {}", std::generic_category().message(errno));
    }
    return folder;
}

std::string QRVFileLogger::newLogFileName() const { return perRunLogName(); }

std::string QRVFileLogger::createNewLogFile() {
    std::string name;
    {
        std::lock_guard lock(mutex_);
        name = logName_;
    }
    if (name.empty()) name = newLogFileName();
    return createLogFileNamed(name, ErrorReport::standardError).path;
}

QRVFileLogger::CreatedFile QRVFileLogger::createLogFileNamed(const std::string& name, ErrorReport report) {
    fs::path folder = logsDirectory(report);
    fs::path path = folder / name;
    // O_EXCL makes "is the name free" and "take it" one step, so two runs starting
    // together cannot both claim the same file.
    bool created = false;
    for (unsigned long number = 2;; ++number) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            created = true;
            break;
        }
        if (errno != EEXIST) break;  // an unwritable folder: nothing better to offer
        path = folder / numberedFileName(name, number);
    }
    deleteOldLogFiles();
    return {path.string(), created};
}

void QRVFileLogger::logMessage(std::string_view message) {
    std::string text(message);
    if (text.empty() || text.back() != '\n') text += '\n';
    // The file holds UTF-8 text only.
    if (!isValidUtf8(text)) return;
    std::optional<std::string> fullPath;
    {
        std::lock_guard lock(mutex_);
        if (!writeLocked(text)) return;
        if (logFileNeedsRotation(currentLogFileFd_) && currentLogFilePath_ != unrotatableLogFilePath_) {
            fullPath = currentLogFilePath_;
        }
    }
    if (fullPath) rotateLogFileIfCurrent(*fullPath);
}

void QRVFileLogger::rotateLogFileIfCurrent(const std::string& fullPath) {
    std::lock_guard rotation(rotationMutex_);
    {
        std::lock_guard lock(mutex_);
        if (currentLogFilePath_ != fullPath || unrotatableLogFilePath_ == fullPath) return;
    }
    // A rotation mostly runs on the capture's reading thread, the only reader of
    // standard error: a line written there could wait on that very thread when the
    // pipe is full, and with it every writer of standard error. So nothing here
    // writes to standard error; the new file's first line goes straight into it.
    CreatedFile next = createLogFileNamed(newLogFileName(), ErrorReport::none);
    FileSwitchHandler handler;
    {
        std::lock_guard lock(mutex_);
        if (!next.created) {
            // Losing no lines matters more than the size of one file.
            unrotatableLogFilePath_ = fullPath;
            return;
        }
        if (currentLogFileFd_ >= 0) ::close(currentLogFileFd_);
        currentLogFileFd_ = -1;
        currentLogFilePath_ = next.path;
        handler = fileSwitchHandler_;
        writeLocked(formatStderrLine(pathLine(next.path)) + "\n");
    }
    if (handler) handler(next.path);
}

bool QRVFileLogger::writeLocked(std::string_view text) {
    if (!currentLogFilePath_) return false;
    if (currentLogFileFd_ < 0) {
        // Appending keeps this run's Logger, which may write the same file, from
        // overwriting these lines or having its own overwritten.
        currentLogFileFd_ = ::open(currentLogFilePath_->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (currentLogFileFd_ < 0) return false;
    }
    writeAll(currentLogFileFd_, text);
    return true;
}

void QRVFileLogger::setFileSwitchHandler(FileSwitchHandler handler) {
    std::lock_guard lock(mutex_);
    fileSwitchHandler_ = std::move(handler);
}

void QRVFileLogger::deleteOldLogFiles() {
    auto infos = sortedLogFileInfos();
    std::vector<uint64_t> sizes;
    sizes.reserve(infos.size());
    for (const auto& info : infos) sizes.push_back(info.fileSize());
    size_t keep = logFilesToKeep(sizes, !infos.empty() && infos.front().isArchived());
    for (size_t i = keep; i < infos.size(); ++i) {
        std::error_code ignored;
        fs::remove(infos[i].filePath(), ignored);
    }
}

std::vector<std::string> QRVFileLogger::unsortedLogFilePaths() {
    const std::string runName = logName();
    std::vector<std::string> paths;
    std::error_code error;
    for (fs::directory_iterator entry(logsDirectory(), error), end; !error && entry != end; entry.increment(error)) {
        // Only the files this program writes: a user's notes, folders and links in
        // the folder are neither counted nor removed.
        std::error_code statusError;
        if (!entry->is_regular_file(statusError) || entry->is_symlink(statusError)) continue;
        if (!isProgramLogFileName(entry->path().filename().string(), runName)) continue;
        paths.push_back(entry->path().string());
    }
    return paths;
}

std::vector<QRVLogFileInfo> QRVFileLogger::unsortedLogFileInfos() {
    std::vector<QRVLogFileInfo> infos;
    for (auto& path : unsortedLogFilePaths()) infos.emplace_back(std::move(path));
    return infos;
}

std::vector<QRVLogFileInfo> QRVFileLogger::sortedLogFileInfos() {
    auto infos = unsortedLogFileInfos();
    // Read every entry once before sorting: a file growing meanwhile must not
    // change its place halfway through the sort.
    for (const auto& info : infos) info.fileAttributes();
    std::sort(infos.begin(), infos.end(), QRVLogFileInfo::reverseCompareByCreationDate);
    return infos;
}

std::optional<std::string> QRVFileLogger::currentLogFilePath() const {
    std::lock_guard lock(mutex_);
    return currentLogFilePath_;
}

std::string QRVFileLogger::logName() const {
    std::lock_guard lock(mutex_);
    return logName_;
}

}  // namespace touchlane
