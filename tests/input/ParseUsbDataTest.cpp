#include <gtest/gtest.h>

#include "input/ParseUsbData.h"
#include "input/ReportBuilders.h"
#include "logging/LogHook.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using namespace test;
using Indices = std::vector<int>;

class ParseUsbDataTest : public ::testing::Test {
protected:
    // The identifiers of the frame handed out for the report, or none.
    std::optional<Indices> handed(const std::vector<uint8_t>& report) {
        auto frame = std::dynamic_pointer_cast<MultiTouchModel>(parser.parseData(report));
        if (!frame) return std::nullopt;
        Indices result;
        for (const auto& point : *frame->touchDataArray) result.push_back(point->index);
        EXPECT_EQ(frame->count, result.size());
        return result;
    }
    // Contacts collected by the partial frame, or none when there is none.
    std::optional<size_t> collected() const {
        auto partial = parser.oncompletedModel();
        return partial ? std::optional(partial->touchDataArray->size()) : std::nullopt;
    }

    LogRecorder log;
    ParseUsbData parser;
};

TEST_F(ParseUsbDataTest, DecodesThePenAndBothSlotFormatsAndLogsEachContact) {
    auto four = std::dynamic_pointer_cast<MultiTouchModel>(
        parser.parseData(multiTouchReport({Slot{0x07, 2, 0x1234, 0x7FFF, 0x0102, 0x0A0B, 0xBEEF}}, 1)));
    ASSERT_TRUE(four);
    EXPECT_EQ(four->touchDataArray->at(0)->pressure, 0xBEEF);
    // The six-slot format reads every slot whatever the count, skips empty ones
    // and passes any status byte through.
    auto slots = contacts({0, 1});
    slots.insert(slots.end(), {Slot{7, 0xFF}, Slot{7, 0xFF}, Slot{0x42, 4, 104, 204, 30, 40}});
    EXPECT_EQ(handed(g1Report(slots, 2)), (Indices{0, 1, 4}));
    // Tip, barrel and eraser down, out of range: bits 5 to 7 are ignored.
    auto pen = std::dynamic_pointer_cast<PenModel>(
        parser.parseData(std::vector<uint8_t>{3, 0xEB, 0x10, 0, 0x20, 0, 5, 0, 6, 0, 0x34, 0x12, 0, 0}));
    ASSERT_TRUE(pen);
    EXPECT_EQ((std::vector<bool>{pen->state == PenState::down, pen->barrel, pen->invert, pen->eraser, pen->inRange}),
              (std::vector<bool>{true, true, false, true, false}));
    EXPECT_EQ(pen->pressure, 0x1234);
    EXPECT_EQ(log.messages().front(),
              "touchCount: 1, index: 2, (x: 4660, y: 32767, width: 258, height: 2571), touchState: 7");
    EXPECT_TRUE(log.contains("PenState: 1, InRange: 0, (x = 16, y = 32, width = 5, height = 6)"));
    EXPECT_EQ(log.entries()[0].style, LogStyle::standardError);
}

// Slots are read up to the count byte, an empty slot or a falling identifier.
// Both multi-packet formats share one partial frame. A frame that collects more
// contacts than announced can never complete; it stops growing.
TEST_F(ParseUsbDataTest, AssemblesFramesByTheStateTableAndRefusesMalformedReports) {
    const auto first = multiTouchReport(contacts({0, 1, 2, 3}), 6);
    const Indices six{0, 1, 2, 3, 4, 5};
    struct Step {
        const char* name;
        std::vector<uint8_t> report;
        std::optional<Indices> handedOut;
        std::optional<size_t> collectedAfter;
    };
    const Step steps[] = {
        {"continuation without partial frame", multiTouchReport(contacts({4, 5}), 0), {}, {}},
        {"single packet frame", multiTouchReport(contacts({0, 1}), 2), Indices{0, 1}, {}},
        {"first packet opens a frame", first, {}, 4},
        {"single frame leaves the partial frame", multiTouchReport(contacts({7}), 1), Indices{7}, 4},
        {"count 2 leaves slots 2 and 3 unread", multiTouchReport(contacts({0, 1, 2, 3}), 2), Indices{0, 1}, 4},
        {"empty slot ends the list", multiTouchReport({contacts({0})[0], Slot{7, 0xFF}, contacts({2})[0]}, 3),
         Indices{0}, 4},
        {"lower identifier ends the list", multiTouchReport(contacts({3, 1, 4, 5}), 4), Indices{3}, 4},
        {"equal identifiers are accepted", multiTouchReport(contacts({1, 1, 2}), 3), Indices{1, 1, 2}, 4},
        {"empty continuation keeps waiting", multiTouchReport({}, 0), {}, 4},
        {"continuation completes exactly", multiTouchReport(contacts({4, 5}), 0), six, {}},
        {"first packet again", first, {}, 4},
        {"six-slot continuation completes it too", g1Report(contacts({4, 5}), 0), six, {}},
        {"first packet again", first, {}, 4},
        {"overshooting continuation", multiTouchReport(contacts({4, 5, 6}), 0), {}, 7},
        {"overshot frame stops growing", multiTouchReport(contacts({8, 9, 10, 11}), 0), {}, 7},
        {"six-slot first packet replaces it", g1Report(contacts({0, 1, 2, 3, 4, 5}), 10), {}, 6},
        {"wrong six-slot report ID is refused", g1Report(contacts({6, 7}), 0, 0x01), {}, 6},
        {"six-slot continuation completes", g1Report(contacts({6, 7, 8, 9}), 0), Indices{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {}},
        {"new first packet", multiTouchReport(contacts({0, 1}), 12), {}, 2},
        {"pen report leaves it", std::vector<uint8_t>(14, 0), {}, 2},
        {"mouse report leaves it", std::vector<uint8_t>(8, 0), {}, 2},
        {"empty report", {}, {}, 2},
        {"one byte short of a format", std::vector<uint8_t>(57, 1), {}, 2},
        {"longest report", std::vector<uint8_t>(65535, 1), {}, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_EQ(handed(step.report), step.handedOut);
        EXPECT_EQ(collected(), step.collectedAfter);
    }
    parser.resetParserState();
    EXPECT_EQ(collected(), std::nullopt);
    EXPECT_TRUE(log.contains("Invalid report ID: 0x01, expected 0x02"));
    EXPECT_EQ(log.count("Unknown data length"), 3u);  // none for the mouse report
}

}  // namespace
}  // namespace touchlane
