#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include <fmt/format.h>

#include "replay/DirectiveSource.h"

namespace touchlane {
namespace {

// An 800 x 480 screen with two slots and contact sizes.
const std::string kHeader =
    "# EVEMU 1.3\nN: Test Screen\nI: 0018 0000 0000 0000\nP: 02 00 00 00 00 00 00 00\n"
    "B: 00 0b 00 00 00 00 00 00 00\nA: 2f 0 1 0 0 0\nA: 30 0 255 0 0 0\nA: 35 0 799 0 0 0\n"
    "A: 36 0 479 0 0\nA: 39 0 65535 0 0 0\n";

struct Read {
    std::vector<TraceDirective> directives;
    std::string error;
};

Read readAll(const std::string& text) {
    std::istringstream input(text);
    auto source = openDirectiveSource(input);
    Read read;
    TraceDirective d;
    DirectiveSource::Status status;
    while ((status = source->next(d)) == DirectiveSource::Status::directive) read.directives.push_back(d);
    if (status == DirectiveSource::Status::error) read.error = source->errorMessage();
    return read;
}

const std::vector<TraceContact>& contactsOf(const TraceDirective& d) { return std::get<FrameDirective>(d.body).contacts; }

TEST(EvemuReader, SlotsBecomeScaledFramesAtTheirTimesWithEndedContactsListedOnceAsLifted) {
    const auto read = readAll(kHeader +
                              // Slot 0 lands at the far corner with its size; the single-touch
                              // axes and keys repeat it and are ignored.
                              "E: 100.250000 0003 0039 0012\t# EV_ABS / ABS_MT_TRACKING_ID 12\n"
                              "E: 100.250000 0003 0035 0799\nE: 100.250000 0003 0036 0479\n"
                              "E: 100.250000 0003 0030 0008\nE: 100.250000 0001 014a 0001\n"
                              "E: 100.250000 0003 0000 0799\nE: 100.250000 0000 0000 0000\n"
                              // Slot 1 lands at the origin; slot 0 does not change.
                              "E: 100.260000 0003 002f 0001\nE: 100.260000 0003 0039 0013\n"
                              "E: 100.260000 0003 0035 0000\nE: 100.260000 0003 0036 0000\n"
                              "E: 100.260000 0000 0000 0000\n"
                              // Slot 0 lifts and a new contact takes it at once, sending only its Y.
                              "E: 100.270000 0003 002f 0000\nE: 100.270000 0003 0039 -001\n"
                              "E: 100.270000 0003 0039 0014\nE: 100.270000 0003 0036 0240\n"
                              "E: 100.270000 0000 0000 0000\n"
                              // Lost events: the incomplete report is skipped.
                              "E: 100.280000 0000 0003 0000\nE: 100.280000 0003 0035 0400\n"
                              "E: 100.280000 0000 0000 0000\n"
                              // Both lift; a report with nothing down makes no frame.
                              "E: 100.290000 0003 0039 -001\nE: 100.290000 0003 002f 0001\n"
                              "E: 100.290000 0003 0039 -001\nE: 100.290000 0000 0000 0000\n"
                              "E: 100.300000 0000 0000 0000\n");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.directives.size(), 5u);
    std::vector<double> times;
    for (const auto& d : read.directives) times.push_back(d.timeMs);
    // The lost report leaves a 20 ms gap: the contacts still down are reported
    // again at 30 ms, as a touch frame would.
    EXPECT_EQ(times, (std::vector<double>{0, 10, 20, 30, 40}));
    // Sizes follow the position ranges (8 of 800 units is 1 % of the frame); the
    // usual finger size stands in where the device measures none.
    const TraceContact corner{0, 7, 32767, 32767, 328, 547, 0};
    const TraceContact origin{1, 7, 0, 0, 100, 100, 0};
    EXPECT_EQ(contactsOf(read.directives[0]), (std::vector<TraceContact>{corner}));
    EXPECT_EQ(contactsOf(read.directives[1]), (std::vector<TraceContact>{corner, origin}));
    TraceContact lifted = corner, next = corner;
    lifted.state = 4;
    next.id = 2;
    next.y = 16418;
    EXPECT_EQ(contactsOf(read.directives[2]), (std::vector<TraceContact>{lifted, next, origin}));
    EXPECT_EQ(contactsOf(read.directives[3]), (std::vector<TraceContact>{next, origin}));
    TraceContact originLifted = origin;
    next.state = originLifted.state = 4;
    EXPECT_EQ(contactsOf(read.directives[4]), (std::vector<TraceContact>{next, originLifted}));
}

TEST(EvemuReader, AHeldContactIsRepeatedForASecondOfSilenceAtMost) {
    // A contact held through a gap of eleven days: repeated for one second, then the
    // lift at its recorded time, so a hostile gap costs no more than a real one.
    const auto read = readAll("A: 35 0 100 0 0\nA: 36 0 100 0 0\nE: 1.0 0003 0039 1\nE: 1.0 0000 0000 0\n"
                              "E: 1000001.0 0003 0039 -1\nE: 1000001.0 0000 0000 0\n");
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.directives.size(), 1u + 100u + 1u);
    EXPECT_EQ(read.directives[100].timeMs, 1000.0);
    EXPECT_EQ(contactsOf(read.directives.back()).front().state, 4);
}

TEST(EvemuReader, EverySlotReplacedInOneReportKeepsDistinctContactIdentifiers) {
    std::string text = "A: 35 0 100 0 0\nA: 36 0 100 0 0\n";
    for (int round = 0; round < 2; ++round) {
        for (int slot = 0; slot < 64; ++slot) text += fmt::format("E: 1.0 0003 002f {}\nE: 1.0 0003 0039 {}\n", slot, 100 * round + slot);
        text += "E: 1.0 0000 0000 0\n";
    }
    const auto read = readAll(text);
    ASSERT_EQ(read.directives.size(), 2u) << read.error;
    const auto& contacts = contactsOf(read.directives[1]);
    std::set<uint8_t> ids;
    for (const auto& c : contacts) ids.insert(c.id);
    EXPECT_EQ(contacts.size(), 128u);
    EXPECT_EQ(ids.size(), 128u);
}

TEST(EvemuReader, MalformedLinesAreRejectedWithTheirLineNumber) {
    struct Bad {
        const char* line;
        bool afterAnEvent = true;
    };
    const Bad bad[] = {
        {"X: something"},                    // not an evemu line
        {"A: 35 0 799 0", false},            // too few numbers
        {"A: 35 10 5 0 0 0", false},         // maximum below minimum
        {"A: zz 0 5 0 0 0", false},          // code not hexadecimal
        {"A: 36 0 479 0 0 0"},               // description after the events
        {"E: 2.0 0003 0035"},                // too few fields
        {"E: x 0003 0035 1"},                // time not a number
        {"E: 2.0000000001 0003 0035 1"},     // more than nanoseconds
        {"E: 99999999999.0 0003 0035 1"},    // seconds beyond 2^32
        {"E: 0.5 0003 0035 1"},              // time going back
        {"E: 2.0 10000 0035 1"},             // type beyond ffff
        {"E: 2.0 0003 0035 99999999999"},    // value beyond 32 bits
        {"E: 2.0 0003 002f 64"},             // slot beyond the 64 kept
        {"E: 2.0 0003 002f -1"},             // negative slot
        {"E: 2.0 0000 0002 0"},              // contacts without slots
    };
    for (const auto& [line, afterAnEvent] : bad) {
        const auto read = readAll(kHeader + (afterAnEvent ? "E: 1.0 0003 0039 1\n\n" : "#\n\n") + line + "\n");
        EXPECT_EQ(read.error.rfind("line 13: ", 0), 0u) << line << ": " << read.error;
    }
}

TEST(DirectiveSource, TellsTracesFromRecordingsByContentAndKeepsTheirLineNumbers) {
    // A trace after comments: still a trace, its errors on the lines they are on.
    EXPECT_EQ(readAll("# E: not an event\n\n10 idle\n").directives.size(), 1u);
    EXPECT_EQ(readAll("# comment\n\n10 idle\n5 idle\n").error.rfind("line 4: ", 0), 0u);
    // Without the device description nothing can be scaled.
    EXPECT_EQ(readAll("# comment\n\nE: 1.0 0003 0039 1\n").error.rfind("line 3: no range", 0), 0u);
    EXPECT_TRUE(readAll("").directives.empty());
}

}  // namespace
}  // namespace touchlane
