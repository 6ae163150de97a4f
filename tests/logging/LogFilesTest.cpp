#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <time.h>

#include "LogTestSupport.h"
#include "logging/LogFileCleanup.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/LogRotation.h"
#include "logging/Logger.h"
#include "logging/QRVFileLogger.h"
#include "platform/Clock.h"
#include "platform/FileDescriptorWrite.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using testing::countOccurrences;
using testing::readFile;

constexpr uint64_t MiB = 1024 * 1024;
constexpr double kStartSeconds = 1796540400.0;  // 2026-12-06 07:00:00 UTC
const std::string kRunName = "Touchlane 2026-12-06 07-00.log";

// A logs folder of its own, UTC, a wall clock standing at kStartSeconds, and a
// catcher fed by hand.
class LogFolder : public ::testing::Test {
protected:
    void SetUp() override { setenv("TZ", "UTC0", 1), tzset(); }
    void TearDown() override { unsetenv("TZ"), tzset(); }
    std::set<std::string> fileNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }

    ScratchFolder scratch;
    std::string folder = scratch.path() + "/logs";
    ManualClock clock{1000.0, kStartSeconds};
    ClockOverride clockOverride{clock};
    LogRecorder recorder{true};
    QRVLogCatcher catcher;
};

TEST_F(LogFolder, ASecondStartInTheSameMinuteGetsANumberedFileWhileLoggerKeepsThePlainOne) {
    EXPECT_EQ(logNameForStartTime(kStartSeconds + 59.9), kRunName);
    QRVFileLogger firstRun(catcher);
    firstRun.startWithLogsDirectory(folder, perRunLogName());
    clock.advanceMs(30'000);
    QRVLogCatcher secondCatcher;
    QRVFileLogger secondRun(secondCatcher);
    secondRun.startWithLogsDirectory(folder, "");  // no name: one from the clock
    secondRun.enable();                            // only the first enable creates a file
    EXPECT_EQ(firstRun.currentLogFilePath(), path(kRunName));
    EXPECT_EQ(secondRun.currentLogFilePath(), path("Touchlane 2026-12-06 07-00 2.log"));

    // The second run's Logger uses the plain name and so appends to the first
    // run's file; its captured standard error goes to its own numbered file.
    Logger logger(folder);
    logger.setLogName(perRunLogName());
    logger.log("from the second run");
    logger.log("not \xC3 UTF-8");  // printed, but kept out of the file
    secondCatcher.handleBurst("captured in the second run\n");
    EXPECT_EQ(readFile(path(kRunName)), "[2026-12-06 07:00:30:000] from the second run\n");
    EXPECT_EQ(readFile(path("Touchlane 2026-12-06 07-00 2.log")), "captured in the second run\n");
}

TEST(LogFileCleanup, KeepsNewestFilesWithinOneHundredFilesAndOneHundredMebibytes) {
    const struct {
        const char* name;
        std::vector<uint64_t> sizesNewestFirst;
        bool newestArchived;
        size_t expectedKeep;
    } cases[] = {
        {"small folder kept whole", {1, 2, 3}, false, 3},
        {"exactly 100 MiB is not over", {60 * MiB, 40 * MiB}, false, 2},
        {"cut at the file that passes 100 MiB", {60 * MiB, 30 * MiB, 20 * MiB, 1}, false, 2},
        {"newest alone over the limit is kept", {150 * MiB, 1}, false, 1},
        {"unless it is archived", {150 * MiB, 1}, true, 0},
        {"150 small files cut to 100", std::vector<uint64_t>(150, 10), false, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(logFilesToKeep(c.sizesNewestFirst, c.newestArchived), c.expectedKeep) << c.name;
}

// What a user keeps in the folder (notes, a folder, a link, a file named almost
// like a log) is older than every log and still survives: the clean-up removes
// only the program's own files.
TEST_F(LogFolder, AStartCutsAFolderOf150FilesToTheNewest100AndLeavesTheUsersEntries) {
    // Made in index order, so also in age order where the file system stamps them
    // alike: their names then decide, and these sort in index order.
    fs::create_directories(folder + "/kept/inner");
    const std::string linkTarget = scratch.path() + "/elsewhere.log";
    std::ofstream(linkTarget) << "the user's";
    fs::create_symlink(linkTarget, path("Touchlane 2025-01-01 00-00.log"));
    const std::set<std::string> users = {"notes.txt", "Touchlane notes.log", "Touchlane 2025-01-01 00-00 x.log"};
    for (const auto& name : users) std::ofstream(path(name)) << "the user's";
    for (int i = 0; i < 150; ++i) std::ofstream(path(fmt::format("Touchlane 2026-01-01 00-00 {:03}.log", i))) << "x";
    QRVFileLogger fileLogger(catcher);
    fileLogger.startWithLogsDirectory(folder, "");
    auto names = fileNames();
    EXPECT_EQ(names.size(), 100u + users.size() + 2);
    EXPECT_TRUE(names.count(kRunName));  // this run's file is the newest
    EXPECT_FALSE(names.count("Touchlane 2026-01-01 00-00 050.log"));
    for (const auto& name : users) EXPECT_TRUE(names.count(name)) << name;
    EXPECT_TRUE(names.count("Touchlane 2025-01-01 00-00.log") && fs::exists(linkTarget));
    EXPECT_TRUE(fs::exists(folder + "/kept/inner"));
}

TEST_F(LogFolder, AFileReachingTenMebibytesMovesBothWritersOnAndKeepsTheFolderBounded) {
    testing::QuietStandardOutput quiet;
    QRVFileLogger fileLogger(catcher);
    Logger logger(folder);
    rotateLogFilesTogether(logger, fileLogger);
    fileLogger.startWithLogsDirectory(folder, perRunLogName());
    logger.setLogName(perRunLogName());
    auto current = [&] { return fileLogger.currentLogFilePath().value_or(""); };
    clock.advanceMs(120'000);
    // The line that brings the file to the size moves writing on, and stays where it was written.
    for (auto [line, rotates] : {std::pair{"12345678", false}, std::pair{"123456789", true}}) {
        fs::resize_file(path(kRunName), kLogFileRotationBytes - 10);  // sparse: costs nothing
        fileLogger.logMessage(line);
        EXPECT_EQ(current() != path(kRunName), rotates) << line;
    }
    EXPECT_EQ(fs::file_size(path(kRunName)), kLogFileRotationBytes);
    EXPECT_EQ(current(), path("Touchlane 2026-12-06 07-02.log"));  // named like a run started now

    // The logger follows, and its filling the new file moves both on again.
    const std::string second = current();
    fs::resize_file(second, kLogFileRotationBytes - 10);
    logger.log("logger fills it");
    EXPECT_EQ(countOccurrences(readFile(second), "] logger fills it\n"), 1u);
    EXPECT_NE(current(), second);

    // A run that goes on for weeks: the clean-up at each rotation keeps the folder
    // near its limit; only the file being written may add to it.
    for (int i = 0; i < 15; ++i) {
        fs::resize_file(current(), kLogFileRotationBytes);
        fileLogger.logMessage("past the size");
    }
    uint64_t folderBytes = 0;
    for (const auto& entry : fs::directory_iterator(folder)) folderBytes += entry.file_size();
    EXPECT_LE(folderBytes, kLogFolderByteLimit + kLogFileRotationBytes);
    EXPECT_GE(folderBytes, kLogFolderByteLimit - kLogFileRotationBytes);
    EXPECT_FALSE(fs::exists(path(kRunName)));
}

// Threads writing to a captured descriptor (opened on /dev/null rather than
// standard error) and one thread writing through the Logger, while the run's
// files rotate: every line lands once, whole, in some file, also the lines still
// in the pipe when the capture stops.
TEST(LogWritersConcurrent, LinesFromManyThreadsLandOnceEachAcrossRotations) {
    ScratchFolder scratch;
    const std::string folder = scratch.path() + "/logs";
    testing::QuietStandardOutput quiet;
    LogRecorder recorder{true};
    QRVLogCatcher catcher;
    QRVFileLogger fileLogger(catcher);
    Logger logger(folder);
    rotateLogFilesTogether(logger, fileLogger);
    fileLogger.startWithLogsDirectory(folder, "run.log");
    logger.setLogName("run.log");
    const int captured = ::open("/dev/null", O_WRONLY | O_CLOEXEC), echo = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ASSERT_TRUE(catcher.startCapturingWritingToFD(captured, echo));

    const std::string padding(3000, 'p');       // lines short enough to stay whole in a pipe
    constexpr int kCapturedWriters = 3, kLines = 1000;  // 12 MB in all: at least one rotation
    std::map<std::string, int> expected;
    std::vector<std::thread> writers;
    for (int w = 0; w <= kCapturedWriters; ++w) {
        for (int i = 0; i < kLines; ++i) expected[fmt::format("{}:{}", w, i)] = 1;
        writers.emplace_back([&, w] {
            for (int i = 0; i < kLines; ++i) {
                std::string line = fmt::format("{}{}:{}", padding, w, i);
                w == kCapturedWriters ? logger.log(line) : (void)writeAll(captured, line + "\n");
            }
        });
    }
    for (auto& writer : writers) writer.join();
    catcher.stopCapturing();

    std::map<std::string, int> seen;
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++files;
        std::istringstream text(readFile(entry.path().string()));
        for (std::string line; std::getline(text, line);) {
            if (line.find("] QRVFileLogger path -> ") != std::string::npos) continue;  // a rotation's first line
            std::string written = line.substr(line.rfind(' ') + 1);  // without the Logger's time stamp
            ASSERT_TRUE(written.starts_with(padding)) << written.substr(0, 40);
            ++seen[written.substr(padding.size())];
        }
    }
    EXPECT_GE(files, 2u);
    EXPECT_EQ(seen, expected);
    for (int fd : {captured, echo}) ::close(fd);
}

}  // namespace
}  // namespace touchlane
