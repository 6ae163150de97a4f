#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

#include "logging/LogHook.h"
#include "settings/AtomicFile.h"
#include "settings/PropertyListCoding.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

// Shared with the forked writer: the value being written, the last whose write returned.
struct WriterProgress { std::atomic<int64_t> started{-1}, finished{-1}; };

const std::string kKey = "progress";

// Payloads of varying length, so that a torn file could not pass for a whole one.
PropertyListValue valueFor(int64_t n) {
    return PropertyListArray{n, std::string(static_cast<size_t>(n * 37 % 1500), static_cast<char>('a' + n % 26))};
}

[[noreturn]] void writeForever(const std::string& path, WriterProgress& progress) {
    LMSTKeyValueStore store(path);
    const auto last = store.getParamWithKey(kKey);
    int64_t n = last ? *last->arrayValue()->at(0).integerValue() : 0;
    progress.started = progress.finished = n;
    for (;;) {
        progress.started = ++n;
        store.setParamValue(valueFor(n), kKey);
        progress.finished = n;
    }
}

// A writer killed at any moment leaves the file whole: the value before the write
// it was in, or the value of that write.
TEST(SettingsCrash, AWriterKilledAtRandomMomentsNeverLeavesATornFile) {
    ScratchFolder folder;
    const std::string path = (fs::path(folder.path()) / "Touchlane" / "crash.plist").string();
    LogRecorder quiet;
    void* shared = ::mmap(nullptr, sizeof(WriterProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    auto* progress = new (shared) WriterProgress;
    // Kills land anywhere in the writer's first write, now and then just after it,
    // so the time of one write here is measured first.
    LMSTKeyValueStore measuring(path);
    const auto measured = SteadyClock::now();
    for (int i = 0; i < 5; ++i) measuring.setParamValue(valueFor(i), kKey);
    const auto writeNs = std::chrono::nanoseconds(SteadyClock::now() - measured).count() / 5;
    std::uniform_int_distribution<int64_t> delayNs(0, writeNs * 11 / 10);
    std::mt19937 random(20240229);

    constexpr int kKills = 200;
    int killedMidWrite = 0;
    for (int round = 0; round < kKills; ++round) {
        progress->finished = -1;
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeForever(path, *progress);
        bool childDied = false;
        while (progress->finished < 0 && !(childDied = ::waitpid(child, nullptr, WNOHANG) != 0)) sched_yield();
        // Busy-waits: a sleep would wake far too coarsely.
        for (auto end = SteadyClock::now() + std::chrono::nanoseconds(delayNs(random)); SteadyClock::now() < end;) {}
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_FALSE(childDied) << "the writer died on its own in round " << round;

        const int64_t started = progress->started, finished = progress->finished;
        killedMidWrite += started != finished;
        DecodedPropertyList decoded = decodePropertyList(readWholeFile(path).contents.value_or(""));
        ASSERT_EQ(decoded.status, DecodedPropertyList::Status::ok) << "torn or missing file in round " << round;
        const PropertyListValue& held = decoded.dictionary.at(kKey);
        ASSERT_TRUE(held == valueFor(finished) || held == valueFor(started))
            << "round " << round << ": file holds " << describe(held) << ", writer was at " << finished << "/" << started;
    }
    // The kills must have landed inside writes, or the test proves nothing.
    EXPECT_GT(killedMidWrite, kKills / 4);

    LMSTKeyValueStore afterwards(path);  // clears what killed writers left behind
    auto entries = fs::directory_iterator(fs::path(path).parent_path());
    EXPECT_EQ(std::distance(fs::begin(entries), fs::end(entries)), 1);  // no temporary files, no .corrupt
    ::munmap(shared, sizeof(WriterProgress));
}

}  // namespace
}  // namespace touchlane
