#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <future>

#include "LogTestSupport.h"
#include "logging/LogFileCleanup.h"
#include "logging/Logger.h"
#include "logging/QRVFileLogger.h"
#include "platform/FileDescriptorWrite.h"
#include "support/ChildProcess.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using testing::countOccurrences;
using testing::readFile;

std::string allFilesOf(const std::string& folder) {
    std::string text;
    for (const auto& entry : fs::directory_iterator(folder)) text += readFile(entry.path().string());
    return text;
}

// Every "<prefix> <n>" for n below count is a line of its own, once, in the text
// (a line may carry a time stamp before it).
bool holdsEachLineOnce(const std::string& text, const std::string& prefix, int count) {
    std::vector<int> seen(static_cast<size_t>(count), 0);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(prefix + " ");
        if (at == std::string::npos || line.size() != at + prefix.size() + 7) continue;
        const int n = std::atoi(line.c_str() + at + prefix.size() + 1);
        if (n >= 0 && n < count) ++seen[static_cast<size_t>(n)];
    }
    return std::all_of(seen.begin(), seen.end(), [](int times) { return times == 1; });
}

// In a child whose standard error is captured: the capture's own thread rotates
// the file just when every writer has filled standard error's pipe (the switch
// handler plays those writers). Writing the rotation's line to standard error
// then would wait for the thread that is writing it, forever.
TEST(LogUnderPressure, ARotationWhileStandardErrorsPipeIsFullCompletesWithEveryLineInTheFiles) {
    ScratchFolder scratch;
    const std::string folder = scratch.path() + "/logs";
    const int status = test::runInChild([&] {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        QRVLogCatcher catcher;
        if (!catcher.startCapturingWritingToFD(STDERR_FILENO, null)) return 10;
        // The pipe behind standard error, opened anew so that filling it never waits.
        const int pipe = ::open("/proc/self/fd/2", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        QRVFileLogger fileLogger(catcher);
        fileLogger.startWithLogsDirectory(folder, "run.log");
        int filled = 0;
        std::promise<void> rotated;
        fileLogger.setFileSwitchHandler([&](const std::string&) {
            for (;; ++filled) {
                const std::string line = fmt::format("filler {:06}\n", filled);
                if (::write(pipe, line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
            }
            rotated.set_value();
        });
        fs::resize_file(folder + "/run.log", kLogFileRotationBytes - 10);  // sparse: costs nothing
        writeAll(STDERR_FILENO, "this line fills the file\n");
        rotated.get_future().wait();
        catcher.stopCapturing();  // delivers what is left in the pipe, then ends the thread

        const auto current = fileLogger.currentLogFilePath().value_or("");
        if (current == folder + "/run.log" || filled < 1000) return 11;
        if (countOccurrences(readFile(current), "QRVFileLogger path -> " + current + "\n") != 1) return 12;
        const std::string text = allFilesOf(folder);
        if (countOccurrences(text, "this line fills the file\n") != 1) return 13;
        return holdsEachLineOnce(text, "filler", filled) ? 0 : 14;
    });
    EXPECT_EQ(status, 0) << (status == -SIGALRM ? "deadlocked" : "failed");
}

// In a child whose standard output is a pipe nobody reads: the Logger and the
// capture's echo drop what does not fit instead of waiting; the file gets every
// line and says once why the terminal missed some.
TEST(LogUnderPressure, AnUnreadStandardOutputStopsNeitherTheLoggerNorTheCapture) {
    ScratchFolder scratch;
    const int status = test::runInChild([&] {
        int unread[2];
        if (::pipe2(unread, O_CLOEXEC) != 0 || ::dup2(unread[1], STDOUT_FILENO) < 0) return 10;
        ::setenv("XDG_STATE_HOME", (scratch.path() + "/state").c_str(), 1);
        Logger& logger = Logger::shared();
        logger.setLogName("run.log");
        const int captured = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        QRVLogCatcher catcher;
        if (!catcher.startCapturingWritingToFD(captured, STDOUT_FILENO)) return 11;
        QRVFileLogger fileLogger(catcher);
        fileLogger.startWithLogsDirectory(logger.logsDirectoryPath(), "run.log");

        constexpr int kLines = 3000;  // 300 kB each way, several times what the pipe holds
        const std::string padding(80, 'p');
        for (int i = 0; i < kLines; ++i) {
            logger.log(fmt::format("{} logged {:06}", padding, i));
            writeAll(captured, fmt::format("{} captured {:06}\n", padding, i));
        }
        catcher.stopCapturing();
        const std::string text = readFile(logger.logsDirectoryPath() + "/run.log");
        if (!holdsEachLineOnce(text, padding + " logged", kLines)) return 12;
        if (!holdsEachLineOnce(text, padding + " captured", kLines)) return 13;
        return countOccurrences(text, "Standard output is not being read") == 1 ? 0 : 14;
    });
    EXPECT_EQ(status, 0) << (status == -SIGALRM ? "blocked on standard output" : "failed");
}

}  // namespace
}  // namespace touchlane
