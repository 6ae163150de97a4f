#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "LogTestSupport.h"
#include "logging/LogFileCleanup.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/LogRotation.h"
#include "logging/Logger.h"
#include "logging/QRVFileLogger.h"
#include "platform/Clock.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using testing::countOccurrences;
using testing::readFile;
using testing::ScopedEnv;
using testing::TempDir;

// Logger prints every line to standard output too; megabytes of it have no place
// in the test log.
class QuietStandardOutput {
public:
    QuietStandardOutput() {
        std::fflush(stdout);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, 1);
        ::close(null);
    }
    ~QuietStandardOutput() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
    }

private:
    int saved_ = ::dup(1);
};

// A run's two writers sharing rotation in a folder of their own, UTC, with the
// wall clock standing at 2026-12-06 07:00:00.
class LogRotation : public ::testing::Test {
protected:
    void SetUp() override {
        rotateLogFilesTogether(logger, fileLogger);
        fileLogger.startWithLogsDirectory(folder, perRunLogName());
        logger.setLogName(perRunLogName());
    }
    std::map<std::string, uint64_t> fileSizes() const {
        std::map<std::string, uint64_t> sizes;
        for (const auto& entry : fs::directory_iterator(folder)) sizes[entry.path().filename().string()] = entry.file_size();
        return sizes;
    }
    uint64_t folderBytes() const {
        uint64_t total = 0;
        for (const auto& [name, size] : fileSizes()) total += size;
        return total;
    }
    std::string current() const { return fileLogger.currentLogFilePath().value_or(""); }

    TempDir temp;
    std::string folder = temp / "logs";
    ScopedEnv utc{"TZ", "UTC0"};
    ManualClock clock{0.0, 1796540400.0};
    ClockOverride clockOverride{clock};
    LogRecorder recorder{true};
    QuietStandardOutput quiet;
    QRVLogCatcher catcher;
    QRVFileLogger fileLogger{catcher};
    Logger logger{folder};
};

TEST_F(LogRotation, EitherWriterPassingTenMebibytesMovesBothToANewFileAndTheFolderStaysWithinBudget) {
    const std::string first = current();
    const std::string chunk(64 * 1024 - 1, 'c');  // a 64 KiB line with its newline
    int written = 0;
    while (current() == first) {
        ASSERT_LT(written, 200);
        fileLogger.logMessage(chunk);
        ++written;
        clock.advanceMs(1000);
    }
    EXPECT_EQ(written, int(kLogFileRotationBytes / (64 * 1024)));  // rotated on the line that reached the size
    EXPECT_EQ(fs::path(current()).filename(), "Touchlane 2026-12-06 07-02.log");  // named like a run started now
    EXPECT_EQ(fs::file_size(first), kLogFileRotationBytes);
    EXPECT_TRUE(recorder.contains("QRVFileLogger path -> " + current()));
    logger.log("logger follows");
    fileLogger.logMessage("captured follows");
    std::string second = readFile(current());
    EXPECT_EQ(countOccurrences(second, "] logger follows\n") + countOccurrences(second, "captured follows\n"), 2u);

    // The logger's line that fills the file also starts the next one; the line
    // itself stays where it was written.
    const std::string secondPath = current();
    fs::resize_file(secondPath, kLogFileRotationBytes - 10);  // sparse: costs nothing
    logger.log("fills the second file");
    EXPECT_NE(current(), secondPath);
    EXPECT_EQ(countOccurrences(readFile(secondPath), "] fills the second file\n"), 1u);
    logger.log("third by logger");
    fileLogger.logMessage("third by capture");
    EXPECT_EQ(countOccurrences(readFile(current()), "third by"), 2u);

    // A run that goes on for weeks: the clean-up at each rotation keeps the folder
    // near its limit; only the file being written may add to it.
    for (int i = 0; i < 15; ++i) {
        fs::resize_file(current(), kLogFileRotationBytes);
        fileLogger.logMessage("past the size");
    }
    EXPECT_LE(folderBytes(), kLogFolderByteLimit + kLogFileRotationBytes);
    EXPECT_GE(folderBytes(), kLogFolderByteLimit - kLogFileRotationBytes);
    EXPECT_TRUE(fileSizes().count(fs::path(current()).filename()));
    EXPECT_FALSE(fs::exists(first));
}

TEST(LogRotationConcurrentTest, TwoWritersOnTwoThreadsLoseNoLineAcrossRotations) {
    TempDir temp;
    const std::string folder = temp / "logs";
    QuietStandardOutput quiet;
    LogRecorder recorder{true};
    QRVLogCatcher catcher;
    QRVFileLogger fileLogger(catcher);
    Logger logger(folder);
    rotateLogFilesTogether(logger, fileLogger);
    fileLogger.startWithLogsDirectory(folder, "run.log");
    logger.setLogName("run.log");

    const std::string padding(8 * 1024, 'p');
    constexpr int kLines = 800;  // two writers of 6.4 MiB: at least one rotation
    std::thread loggerThread([&] {
        for (int i = 0; i < kLines; ++i) logger.log("L" + std::to_string(i) + padding);
    });
    for (int i = 0; i < kLines; ++i) fileLogger.logMessage("C" + std::to_string(i) + padding);
    loggerThread.join();

    // Every line once, whole, in some file.
    std::map<std::string, int> seen;
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        ++files;
        std::istringstream text(readFile(entry.path().string()));
        for (std::string line; std::getline(text, line);) {
            auto at = line.find("] L");
            std::string key = at == std::string::npos ? line : line.substr(at + 2);
            ASSERT_TRUE(key.ends_with(padding)) << key.substr(0, 40);
            ++seen[key.substr(0, key.size() - padding.size())];
        }
    }
    EXPECT_GE(files, 2u);
    EXPECT_EQ(seen.size(), 2u * kLines);
    for (const auto& [key, count] : seen) EXPECT_EQ(count, 1) << key;
}

}  // namespace
}  // namespace touchlane
