#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "LogTestSupport.h"
#include "logging/LogHook.h"
#include "logging/LogRotation.h"
#include "logging/Logger.h"
#include "logging/QRVFileLogger.h"
#include "platform/FileDescriptorWrite.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

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
        std::istringstream text(testing::readFile(entry.path().string()));
        for (std::string line; std::getline(text, line);) {
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
