#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "input/ParseUsbData.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

// A long run of random reports, as a broken or hostile device might send them.
// Under the address sanitizer every report lives in a buffer of exactly its own
// length, so any read past its end stops the test.
TEST(ParserRobustness, RandomReportsOfAnyLengthYieldOnlySoundModels) {
    std::mt19937 random{20240611};
    auto uniform = [&](size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(random); };
    // Four in ten reports have a known length, rising identifiers and a count byte
    // that often means continuation, single frame or first packet, so that frames
    // of several packets are likely; one in a hundred is far too long.
    auto nextReport = [&] {
        const size_t choice = uniform(0, 99), known[] = {8, 14, 58, 62};
        std::vector<uint8_t> report(choice == 99  ? uniform(129, 65535)
                                    : choice < 40 ? known[uniform(0, 3)]
                                                  : uniform(0, 128));
        for (auto& byte : report) byte = uint8_t(uniform(0, 255));
        if (report.size() < 58 || choice >= 40) return report;
        const size_t slotSize = report.size() == 62 ? 10 : 14, slots = report.size() == 62 ? 6 : 4;
        for (size_t at = 2; at + 1 < report.size(); at += slotSize) report[at] = uniform(0, 9) ? at / 10 : 0xFF;
        if (slots == 6 && uniform(0, 9) != 0) report[0] = 0x02;
        const size_t counts[] = {0, uniform(1, slots), uniform(slots + 1, slots + 8), uniform(0, 255)};
        report.back() = uint8_t(counts[uniform(0, 3)]);
        return report;
    };
    LogHookOverride quiet([](LogStyle, const std::string&, const std::string&) {});
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
        // The partial frame is bounded by its announced total plus one packet.
        if (auto partial = parser.oncompletedModel()) {
            ASSERT_LE(partial->touchDataArray->size(), size_t{partial->count} + 6);
        }
    }
    // The run reached every kind of result, multi-packet frames included.
    EXPECT_GT(frames, 1000u);
    EXPECT_GT(pens, 1000u);
    EXPECT_GT(completed, 10u);
}

}  // namespace
}  // namespace touchlane
