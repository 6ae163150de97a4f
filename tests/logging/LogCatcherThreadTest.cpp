#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "LogTestSupport.h"
#include "logging/QRVLogCatcher.h"
#include "platform/FileDescriptorWrite.h"

namespace touchlane {
namespace {

using Messages = std::vector<std::string>;

// Captures a descriptor of its own (opened on /dev/null) rather than standard
// error, echoing into a pipe the test reads back.
class LogCatcherThread : public ::testing::Test {
protected:
    void SetUp() override {
        captured = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ASSERT_EQ(::pipe2(echo, O_CLOEXEC | O_NONBLOCK), 0);
        ASSERT_TRUE(catcher.startCapturingWritingToFD(captured, echo[1]));
        catcher.addBlock([this](const std::string& message) {
            std::lock_guard lock(mutex);
            messages.push_back(message);
        });
    }
    void TearDown() override {
        catcher.stopCapturing();
        for (int fd : {captured, echo[0], echo[1]}) ::close(fd);
    }
    // Writes, then waits until the catcher has read it, so each call is a burst.
    void burst(const std::string& text) {
        ASSERT_TRUE(writeAll(captured, text));
        ASSERT_TRUE(catcher.waitUntilDrained(5000));
    }
    Messages received() {
        std::lock_guard lock(mutex);
        return messages;
    }

    int captured = -1;
    int echo[2] = {-1, -1};
    std::mutex mutex;
    Messages messages;
    QRVLogCatcher catcher;
};

TEST_F(LogCatcherThread, DeliversWholeLinesOnceAndEchoesEveryByte) {
    const std::string longLine = "t" + catcher.messageMarker() + ":1] " + std::string(5000, 'L') + "\n";
    for (const std::string& text : {std::string("one\n"), std::string("written in "),
                                    std::string("two pieces\nunfinished"), longLine}) {
        burst(text);
    }
    EXPECT_EQ(received(), (Messages{"one\n", "written in two pieces\n", "unfinished" + longLine}));
    std::string echoed(10000, '\0');
    echoed.resize(static_cast<size_t>(std::max<ssize_t>(0, ::read(echo[0], echoed.data(), echoed.size()))));
    EXPECT_EQ(echoed, "one\nwritten in two pieces\nunfinished" + longLine);
}

TEST_F(LogCatcherThread, StoppingDeliversWhatIsLeftAndRestoresTheDescriptor) {
    EXPECT_FALSE(catcher.startCapturingWritingToFD(captured, echo[1]));  // already capturing
    ASSERT_TRUE(writeAll(captured, "last words\n"));
    catcher.stopCapturing();
    EXPECT_EQ(received(), Messages{"last words\n"});
    struct stat nowPointsTo {}, devNull {};
    ASSERT_EQ(::fstat(captured, &nowPointsTo), 0);
    ASSERT_EQ(::stat("/dev/null", &devNull), 0);
    EXPECT_EQ(nowPointsTo.st_rdev, devNull.st_rdev);
}

TEST_F(LogCatcherThread, LinesFromConcurrentWritersEachArriveExactlyOnce) {
    const std::string marker = catcher.messageMarker();
    constexpr int kWriters = 4, kLines = 200;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            // One write per line, short enough to stay whole in a pipe.
            for (int i = 0; i < kLines; ++i) writeAll(captured, fmt::format("t{}:{}] line {}\n", marker, w, i));
        });
    }
    for (auto& writer : writers) writer.join();
    ASSERT_TRUE(catcher.waitUntilDrained(5000));
    std::set<std::string> distinct;
    for (const auto& message : received()) distinct.insert(message);
    EXPECT_EQ(received().size(), static_cast<size_t>(kWriters * kLines));
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kWriters * kLines));
}

}  // namespace
}  // namespace touchlane
