#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "LogTestSupport.h"
#include "logging/LogMessageSplitter.h"
#include "logging/QRVEyeService.h"
#include "platform/FileDescriptorWrite.h"

namespace touchlane {
namespace {

using testing::countOccurrences;

using Messages = std::vector<std::string>;

TEST(MessagesByLogString, GroupsContinuationLinesUnderTheLastMarkedLine) {
    const std::string marker = " touchlane[42";
    const std::pair<std::string, Messages> cases[] = {
        {"t touchlane[42:7] posted\nsecond line\n", {"t touchlane[42:7] posted\nsecond line\n"}},
        {"[t] a\n[t] b\nt touchlane[42:1] c\n", {"[t] a\n[t] b\n", "t touchlane[42:1] c\n"}},  // unmarked first
        {"t touchlane[42:1] a\nt touchlane[42:1] b\n", {"t touchlane[42:1] a\n", "t touchlane[42:1] b\n"}},
        {"\n\nx\n", {"\n\nx\n"}},
        {"a\nunfinished", {"a\n"}},  // text after the last newline is not a line
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(messagesByLogString(text, marker), expected) << text;
}

TEST(LogMessageSplitter, CarriesAnUnfinishedLineOverAndLeavesOutOnlyLinesThatAreNotUtf8) {
    LogMessageSplitter splitter(" touchlane[42");
    EXPECT_EQ(splitter.take("first line\nsecond "), Messages{"first line\n"});
    EXPECT_EQ(splitter.take("half \xE2\x82"), Messages{});  // cut inside a character, too
    EXPECT_EQ(splitter.take("\xAC done\nbad \xFF line\nstill fine\nthird"),
              Messages{"second half \xE2\x82\xAC done\nstill fine\n"});
    EXPECT_EQ(splitter.take("\nt touchlane[42:1] next\n"), (Messages{"third\n", "t touchlane[42:1] next\n"}));
}

TEST(LogMessageSplitter, AnEndlessLineIsDeliveredInBoundedPiecesWithNothingLost) {
    LogMessageSplitter splitter;
    // One byte short of the limit, then a three-byte character across it.
    std::string head(LogMessageSplitter::kMaxPendingBytes - 1, 'a');
    EXPECT_EQ(splitter.take(head + "\xE2\x82\xAC" + "tail"), Messages{head + "\n"});  // cut before the character
    EXPECT_EQ(splitter.take("\n"), Messages{"\xE2\x82\xAC" "tail\n"});
}

constexpr int kTimeoutMs = 20000;

// The child does what the agent does at start-up, then writes to standard error,
// each piece read before the next is written. A non-zero exit names the step.
[[noreturn]] void runCapturingChild(int stdoutFd, const std::string& stateHome) {
    ::dup2(stdoutFd, STDOUT_FILENO);
    ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
    if (!QRVLogCatcher::startCapturingStandardError()) ::_exit(2);
    QRVEyeService::service().enableServiceFeature(QRVEyeService::kFeatureLogFile, "capture.log");
    for (const char* piece : {"a line on standard error\n", "written in ", "two pieces\n", "no newline yet"}) {
        if (!writeAll(STDERR_FILENO, piece)) ::_exit(3);
        if (!QRVLogCatcher::shared().waitUntilDrained(kTimeoutMs)) ::_exit(4);
    }
    ::_exit(0);
}

TEST(StandardErrorCapture, LinesWrittenToStandardErrorReachTheLogFileAndStandardOutputOnce) {
    ScratchFolder temp;
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    std::fflush(nullptr);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) runCapturingChild(output[1], temp.path() + "/state");
    ::close(output[1]);
    std::string echoed;
    char buffer[4096];
    pollfd watched{output[0], POLLIN, 0};
    ssize_t n = 0;
    while (::poll(&watched, 1, kTimeoutMs) > 0 && (n = ::read(output[0], buffer, sizeof buffer)) > 0) {
        echoed.append(buffer, static_cast<size_t>(n));
    }
    ::close(output[0]);
    if (n != 0) ::kill(child, SIGKILL);  // timed out before the child closed its output
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ", output:\n" << echoed;

    const std::string logged = testing::readFile(temp.path() + "/state/tests_logging/logs/capture.log");
    for (std::string line : {"a line on standard error\n", "written in two pieces\n"}) {
        EXPECT_EQ(countOccurrences(logged, line), 1u) << logged;
        EXPECT_EQ(countOccurrences(echoed, line), 1u) << echoed;
    }
    // An unfinished line is echoed at once but waits for its newline to be logged.
    EXPECT_EQ(countOccurrences(echoed, "no newline yet"), 1u);
    EXPECT_EQ(countOccurrences(logged, "no newline yet"), 0u);
}

}  // namespace
}  // namespace touchlane
