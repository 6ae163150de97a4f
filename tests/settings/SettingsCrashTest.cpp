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
#include "settings/LMSTKeyValueStore.h"
#include "settings/PropertyListCoding.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

// Shared between the test and the writer it forks.
struct WriterProgress {
    std::atomic<int64_t> started{-1};   // the value being written
    std::atomic<int64_t> finished{-1};  // the last value whose write returned
};
static_assert(std::atomic<int64_t>::is_always_lock_free, "must work across processes");

const std::string kKey = "progress";

// Payloads of varying length, so that a torn file could not pass for a whole one.
PropertyListValue valueFor(int64_t n) {
    return PropertyListArray{n, std::string(static_cast<size_t>(n * 37 % 1500), static_cast<char>('a' + n % 26))};
}

[[noreturn]] void writeForever(const std::string& path, WriterProgress& progress) {
    LMSTKeyValueStore store(path);
    auto last = store.getParamWithKey(kKey);
    int64_t n = last ? *last->arrayValue()->at(0).integerValue() : 0;
    progress.started = n;
    progress.finished = n;
    for (;;) {
        progress.started = ++n;
        store.setParamValue(valueFor(n), kKey);
        progress.finished = n;
    }
}

// How long one write takes here, so that kills can land anywhere inside one.
std::chrono::nanoseconds typicalWriteDuration(const std::string& path) {
    LMSTKeyValueStore store(path);
    constexpr int kWrites = 5;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kWrites; ++i) store.setParamValue(valueFor(i), kKey);
    return (std::chrono::steady_clock::now() - start) / kWrites;
}

// Busy-waits instead of sleeping: a sleep would wake far too coarsely.
void spinFor(std::chrono::nanoseconds duration) {
    auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {}
}

// Waits until the writer has finished the given write, or has died; false when it died.
bool waitForWrite(pid_t writer, const WriterProgress& progress, int64_t write) {
    while (progress.finished < write) {
        if (::waitpid(writer, nullptr, WNOHANG) != 0) return false;
        sched_yield();
    }
    return true;
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
    std::mt19937 random(20240229);
    // From the writer's start: anywhere in its first write, now and then just after it.
    std::uniform_int_distribution<int64_t> delayNs(0, typicalWriteDuration(path).count() * 11 / 10);

    constexpr int kKills = 200;
    int killedMidWrite = 0;
    for (int round = 0; round < kKills; ++round) {
        progress->finished = -1;
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeForever(path, *progress);

        bool childAlive = waitForWrite(child, *progress, 0);
        spinFor(std::chrono::nanoseconds(delayNs(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_TRUE(childAlive) << "the writer died on its own in round " << round;

        int64_t started = progress->started, finished = progress->finished;
        if (started != finished) ++killedMidWrite;
        FileReadResult file = readWholeFile(path);
        if (!file.contents) {
            ASSERT_EQ(finished, 0) << "the file vanished after a finished write, round " << round;
            continue;
        }
        DecodedPropertyList decoded = decodePropertyList(*file.contents);
        ASSERT_EQ(decoded.status, DecodedPropertyList::Status::ok) << "torn file in round " << round;
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
