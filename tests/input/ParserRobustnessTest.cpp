#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "input/ParseUsbData.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

// Feeds the parser a long run of random reports, as a broken or hostile device
// might send them, and checks that every result is sound. Run under the address
// sanitizer, every report lives in a buffer of exactly its own length, so any
// read past its end stops the test.
class ParserRobustness : public ::testing::Test {
protected:
    std::mt19937 random{20240611};

    size_t uniform(size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(random); }
    uint8_t randomByte() { return static_cast<uint8_t>(uniform(0, 255)); }

    std::vector<uint8_t> nextReport() {
        const size_t choice = uniform(0, 99);
        if (choice == 99) return std::vector<uint8_t>(uniform(129, 65535), randomByte());
        static constexpr size_t kKnownLengths[] = {8, 14, 58, 62};
        std::vector<uint8_t> report(choice < 40 ? kKnownLengths[uniform(0, 3)] : uniform(0, 128));
        for (auto& byte : report) byte = randomByte();
        if (report.size() < 58 || choice >= 40) return report;
        // Identifiers in rising order and a meaningful count byte make frames with
        // several contacts, and multi-packet frames, likely.
        const bool sixSlots = report.size() == 62;
        for (size_t at = 2; at + 1 < report.size(); at += sixSlots ? 10 : 14) {
            report[at] = uniform(0, 9) == 0 ? 0xFF : static_cast<uint8_t>(at / 10);
        }
        if (sixSlots && uniform(0, 9) != 0) report[0] = 0x02;
        // A count byte that often means continuation, single frame or first packet.
        const size_t slots = sixSlots ? 6 : 4;
        const uint8_t counts[] = {0, uint8_t(uniform(1, slots)), uint8_t(uniform(slots + 1, slots + 8)), randomByte()};
        report.back() = counts[uniform(0, 3)];
        return report;
    }
};

TEST_F(ParserRobustness, RandomReportsOfAnyLengthYieldOnlySoundModels) {
    size_t lines = 0;
    LogHookOverride quiet([&](LogStyle, const std::string&, const std::string&) { ++lines; });
    ParseUsbData parser;
    size_t frames = 0, pens = 0, completed = 0;
    for (int i = 0; i < 100000; ++i) {
        if (i % 5000 == 4999) parser.resetParserState();
        auto report = nextReport();
        auto model = parser.parseData(report);
        if (auto frame = std::dynamic_pointer_cast<MultiTouchModel>(model)) {
            ++frames;
            ASSERT_TRUE(frame->touchDataArray);
            ASSERT_EQ(frame->count, frame->touchDataArray->size());
            for (const auto& point : *frame->touchDataArray) ASSERT_NE(point->index, 0xFF);
            if (frame->count > 6) ++completed;
        } else if (model) {
            ASSERT_TRUE(std::dynamic_pointer_cast<PenModel>(model));
            ASSERT_EQ(report.size(), 14u);
            ++pens;
        }
        if (auto partial = parser.oncompletedModel()) {
            // The partial frame is bounded by its announced total plus one packet.
            ASSERT_LE(partial->touchDataArray->size(), size_t{partial->count} + 6);
        }
    }
    // The run reached every kind of result, multi-packet frames included.
    EXPECT_GT(frames, 1000u);
    EXPECT_GT(pens, 1000u);
    EXPECT_GT(completed, 10u);
    EXPECT_GT(lines, 0u);
}

}  // namespace
}  // namespace touchlane
