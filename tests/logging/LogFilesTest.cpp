#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "LogTestSupport.h"
#include "logging/LogFileCleanup.h"
#include "logging/LogHook.h"
#include "logging/LogName.h"
#include "logging/Logger.h"
#include "logging/QRVEyeService.h"
#include "platform/ManualScheduler.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using testing::countOccurrences;
using testing::readFile;
using testing::ScopedEnv;
using testing::TempDir;

constexpr uint64_t MiB = 1024 * 1024;
constexpr double kStartSeconds = 1796540400.0;  // 2026-12-06 07:00:00 UTC
const std::string kRunName = "Touchlane 2026-12-06 07-00.log";

// A logs folder of its own, UTC, a wall clock standing at kStartSeconds, the
// standard-error lines recorded, and a catcher fed by hand.
class LogFolder : public ::testing::Test {
protected:
    std::set<std::string> fileNames() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }
    // Files made in index order have that age order, also where the file system
    // stamps them alike: their names then decide, and these sort in index order.
    std::string makeFile(int index, uint64_t size) {
        std::string name = fmt::format("Touchlane 2026-01-01 00-00 {:03}.log", index);
        fs::create_directories(folder);
        std::ofstream(folder + "/" + name) << "x";
        fs::resize_file(folder + "/" + name, size);  // sparse: big sizes cost nothing
        return name;
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }

    TempDir temp;
    std::string folder = temp / "logs";
    ScopedEnv utc{"TZ", "UTC0"};
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
    QRVLogCatcher secondCatcher, thirdCatcher;
    QRVFileLogger secondRun(secondCatcher), thirdRun(thirdCatcher);
    secondRun.startWithLogsDirectory(folder, perRunLogName());
    secondRun.enable();  // only the first enable creates a file
    thirdRun.startWithLogsDirectory(folder, "");  // no name: one from the clock
    EXPECT_EQ(firstRun.currentLogFilePath(), path(kRunName));
    EXPECT_EQ(secondRun.currentLogFilePath(), path("Touchlane 2026-12-06 07-00 2.log"));
    EXPECT_EQ(thirdRun.currentLogFilePath(), path("Touchlane 2026-12-06 07-00 3.log"));
    EXPECT_EQ(fileNames().size(), 3u);
    EXPECT_TRUE(recorder.contains("QRVFileLogger path -> " + path("Touchlane 2026-12-06 07-00 2.log")));

    // The second run's Logger uses the plain name and so appends to the first
    // run's file; its captured standard error goes to its own numbered file.
    Logger logger(folder);
    logger.setLogName(perRunLogName());
    logger.log("from the second run");
    secondCatcher.handleBurst("captured in the second run\n");
    EXPECT_EQ(countOccurrences(readFile(path(kRunName)), "] from the second run\n"), 1u);
    EXPECT_EQ(readFile(path("Touchlane 2026-12-06 07-00 2.log")), "captured in the second run\n");
}

TEST_F(LogFolder, MessagesEndInExactlyOneNewlineAndNonUtf8TextStaysOutOfTheFile) {
    QRVFileLogger fileLogger(catcher);
    fileLogger.startWithLogsDirectory(folder, "run.log");
    fileLogger.logMessage("no newline");
    fileLogger.logMessage("has one\n");
    fileLogger.logMessage("bad \xFF byte");
    Logger logger(folder);
    logger.setLogName("run.log");
    logger.log("logger \xC3 bad");
    logger.log("logger", 42, "ok");
    std::string content = readFile(path("run.log"));
    EXPECT_TRUE(content.starts_with("no newline\nhas one\n[")) << content;
    EXPECT_TRUE(content.ends_with("] logger 42 ok\n")) << content;
    EXPECT_EQ(countOccurrences(content, "\n"), 3u) << content;

    QRVFileLogger blocked(catcher);
    blocked.startWithLogsDirectory(path("run.log") + "/logs", "run.log");  // under a plain file
    EXPECT_TRUE(recorder.contains("Create Directory error: "));
}

TEST(LogFileCleanup, KeepsNewestFilesWithinOneHundredFilesAndOneHundredMebibytes) {
    struct Case {
        const char* name;
        std::vector<uint64_t> sizesNewestFirst;
        bool newestArchived;
        size_t expectedKeep;
    };
    const Case cases[] = {
        {"small folder kept whole", {1, 2, 3}, false, 3},
        {"exactly 100 MiB is not over", {60 * MiB, 40 * MiB}, false, 2},
        {"cut at the file that passes 100 MiB", {60 * MiB, 30 * MiB, 20 * MiB, 1}, false, 2},
        {"newest alone over the limit is kept", {150 * MiB, 1}, false, 1},
        {"unless it is archived", {150 * MiB, 1}, true, 0},
        {"150 small files cut to 100", std::vector<uint64_t>(150, 10), false, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(logFilesToKeep(c.sizesNewestFirst, c.newestArchived), c.expectedKeep) << c.name;
}

TEST_F(LogFolder, AStartCutsTheFolderToTheNewest100FilesAndTo100MiB) {
    for (int i = 0; i < 150; ++i) makeFile(i, 10);
    QRVFileLogger fileLogger(catcher);
    fileLogger.startWithLogsDirectory(folder, "");
    auto names = fileNames();
    EXPECT_EQ(names.size(), 100u);
    EXPECT_TRUE(names.count(kRunName));  // this run's file is the newest
    EXPECT_FALSE(names.count("Touchlane 2026-01-01 00-00 050.log"));
    EXPECT_TRUE(names.count("Touchlane 2026-01-01 00-00 051.log"));

    fs::remove(path(kRunName));  // its name would make it the newest among equal stamps
    auto older = makeFile(200, 50 * MiB), newer = makeFile(201, 60 * MiB);
    fileLogger.deleteOldLogFiles();
    EXPECT_EQ(fileNames(), std::set<std::string>{newer});  // with `older` it passes 100 MiB
    auto huge = makeFile(202, 150 * MiB);
    fileLogger.deleteOldLogFiles();
    EXPECT_EQ(fileNames(), std::set<std::string>{huge});  // alone over the limit, still kept
}

TEST_F(LogFolder, FileInfoReadsItsAttributesOnceAndSortsNewestFirst) {
    auto first = makeFile(0, 5), second = makeFile(1, 7);
    QRVLogFileInfo info(path(first));
    EXPECT_EQ(info.fileName(), first);
    EXPECT_EQ(info.fileSize(), 5u);
    fs::resize_file(info.filePath(), 50);
    EXPECT_EQ(info.fileSize(), 5u);  // cached
    EXPECT_EQ(QRVLogFileInfo(info.filePath()).fileSize(), 50u);
    EXPECT_LE(info.creationDate(), info.modificationDate());
    EXPECT_FALSE(QRVLogFileInfo(path("missing")).fileAttributes().exists);

    QRVFileLogger fileLogger(catcher);
    fileLogger.startWithLogsDirectory(folder, "run.log");
    std::vector<std::string> sorted;
    for (const auto& each : fileLogger.sortedLogFileInfos()) sorted.push_back(each.fileName());
    EXPECT_EQ(sorted, (std::vector<std::string>{"run.log", second, first}));
}

TEST(EyeService, RecordsMessagesOnceWithNoticeOnTheMainQueueAndStartsTheFileInTheDefaultFolder) {
    TempDir temp;
    ScopedEnv state("XDG_STATE_HOME", temp / "state");
    VirtualTime time;
    LogRecorder recorder;
    QRVLogCatcher catcher;
    QRVFileLogger fileLogger(catcher);
    QRVEyeService service(catcher, fileLogger);
    std::vector<std::string> notices;
    service.setMainQueue(makeSerialQueue("main"), [&](const std::string& name) { notices.push_back(name); });
    EXPECT_TRUE(service.enableServiceFeature(QRVEyeService::kFeatureLogRecords, ""));
    service.enableServiceFeature(QRVEyeService::kFeatureLogRecords | QRVEyeService::kFeatureLogFile, "named.log");
    EXPECT_TRUE(service.logCapturing() && service.logFileGenerated());

    const std::string marked = "t" + catcher.messageMarker() + ":1] ";
    catcher.handleBurst(marked + "one\ncontinued\n" + marked + "two\n");
    auto records = service.logRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].message, marked + "one\ncontinued\n");
    EXPECT_EQ(records[1].message, marked + "two\n");
    EXPECT_TRUE(notices.empty());  // posted, not yet run
    time.runUntilIdle();
    EXPECT_EQ(notices, (std::vector<std::string>(2, "QRVLogMessageChangedNotification")));
    EXPECT_EQ(readFile(temp / "state/tests_logging/logs/named.log"), marked + "one\ncontinued\n" + marked + "two\n");
}

}  // namespace
}  // namespace touchlane
