#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "input/ParseUsbData.h"
#include "input/ReportBuilders.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

using test::contacts;
using test::g1Report;
using test::multiTouchReport;
using test::Slot;

std::vector<int> indicesOf(const TouchPointList& points) {
    std::vector<int> result;
    for (const auto& point : points) result.push_back(point->index);
    return result;
}

std::shared_ptr<MultiTouchModel> asFrame(const std::shared_ptr<BaseModel>& model) {
    return std::dynamic_pointer_cast<MultiTouchModel>(model);
}

class ParseUsbDataTest : public ::testing::Test {
protected:
    std::shared_ptr<BaseModel> parse(const std::vector<uint8_t>& report) { return parser.parseData(report); }
    // Contacts collected by the partial frame, or none when there is none.
    std::optional<size_t> collected() const {
        auto partial = parser.oncompletedModel();
        if (!partial) return std::nullopt;
        return partial->touchDataArray->size();
    }

    LogRecorder log;
    ParseUsbData parser;
};

TEST(ParseTouchData, ReadsSlotsUpToTheCountEmptySlotOrFallingIdentifier) {
    struct Case {
        const char* name;
        std::vector<Slot> slots;
        uint8_t countByte;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"count 2 leaves slots 2 and 3 unread", contacts({0, 1, 2, 3}), 2, {0, 1}},
        {"empty slot ends the list", {contacts({0})[0], Slot{7, 0xFF}, contacts({2})[0]}, 3, {0}},
        {"lower identifier ends the list", contacts({3, 1, 4, 5}), 4, {3}},
        {"equal identifiers are accepted", contacts({1, 1, 2}), 4, {1, 1, 2}},
        {"continuation reads all four slots", contacts({4, 5}), 0, {4, 5}},
        {"first packet reads all four slots", contacts({0, 1, 2, 3}), 9, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(indicesOf(ParseUsbData::parseTouchData(multiTouchReport(c.slots, c.countByte))), c.expected)
            << c.name;
    }
    // A report too short for its slots yields only the whole slots it holds.
    auto shortReport = multiTouchReport(contacts({0, 1, 2, 3}), 4);
    shortReport.resize(31);
    shortReport.back() = 4;
    EXPECT_EQ(ParseUsbData::parseTouchData(shortReport).size(), 2u);
    EXPECT_TRUE(ParseUsbData::parseTouchData({}).empty());
}

TEST_F(ParseUsbDataTest, DecodesEveryFieldAndLogsOneLinePerContact) {
    auto frame = asFrame(parse(multiTouchReport({Slot{0x07, 2, 0x1234, 0x7FFF, 0x0102, 0x0A0B, 0xBEEF}}, 1)));
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->count, 1);
    auto point = frame->touchDataArray->at(0);
    EXPECT_EQ(rawValue(point->touchState), 7u);
    EXPECT_EQ(point->index, 2);
    EXPECT_EQ(point->x, 0x1234);
    EXPECT_EQ(point->y, 0x7FFF);
    EXPECT_EQ(point->width, 0x0102);
    EXPECT_EQ(point->height, 0x0A0B);
    EXPECT_EQ(point->pressure, 0xBEEF);
    EXPECT_EQ(log.messages(), std::vector<std::string>{
                                  "touchCount: 1, index: 2, (x: 4660, y: 32767, width: 258, height: 2571), touchState: 7"});
    EXPECT_EQ(log.entries()[0].style, LogStyle::standardError);

    // Any status byte passes through; the six-slot format carries no pressure.
    auto g1 = asFrame(parse(g1Report({Slot{0x42, 2, 0x1234, 0, 0, 0, 0xBEEF}}, 1)));
    ASSERT_TRUE(g1);
    EXPECT_EQ(rawValue(g1->touchDataArray->at(0)->touchState), 0x42u);
    EXPECT_EQ(g1->touchDataArray->at(0)->x, 0x1234);
    EXPECT_EQ(g1->touchDataArray->at(0)->pressure, 0);
}

TEST_F(ParseUsbDataTest, AssemblesFramesByTheStateTable) {
    auto first = multiTouchReport(contacts({0, 1, 2, 3}), 6);
    struct Step {
        const char* name;
        std::vector<uint8_t> report;
        std::optional<size_t> frameSize;  // the frame handed out, if any
        std::optional<size_t> collectedAfter;
    };
    const Step steps[] = {
        {"continuation without partial frame", multiTouchReport(contacts({4, 5}), 0), {}, {}},
        {"single packet frame", multiTouchReport(contacts({0, 1}), 2), 2, {}},
        {"first packet opens a frame", first, {}, 4},
        {"single frame leaves the partial frame", multiTouchReport(contacts({7}), 1), 1, 4},
        {"empty continuation keeps waiting", multiTouchReport({}, 0), {}, 4},
        {"continuation completes exactly", multiTouchReport(contacts({4, 5}), 0), 6, {}},
        {"first packet again", first, {}, 4},
        {"six-slot continuation completes it too", g1Report(contacts({4, 5}), 0), 6, {}},
        {"first packet again", first, {}, 4},
        {"new first packet replaces the old", multiTouchReport(contacts({0, 1}), 12), {}, 2},
        {"pen report leaves it", std::vector<uint8_t>(14, 0), {}, 2},
        {"mouse report leaves it", std::vector<uint8_t>(8, 0), {}, 2},
        {"unknown length leaves it", std::vector<uint8_t>(20, 0), {}, 2},
    };
    for (const auto& step : steps) {
        auto frame = asFrame(parse(step.report));
        if (step.frameSize) {
            ASSERT_TRUE(frame) << step.name;
            EXPECT_EQ(frame->count, *step.frameSize) << step.name;
            EXPECT_EQ(frame->touchDataArray->size(), *step.frameSize) << step.name;
        } else {
            EXPECT_FALSE(frame) << step.name;
        }
        EXPECT_EQ(collected(), step.collectedAfter) << step.name;
    }
    EXPECT_EQ(parser.oncompletedModel()->count, 12);
    parser.resetParserState();
    EXPECT_EQ(collected(), std::nullopt);
    EXPECT_EQ(log.count("Complete data parsed"), 2u);
    EXPECT_EQ(log.count("Parser state reset"), 1u);
}

TEST_F(ParseUsbDataTest, CompletedFrameHoldsEveryContactInOrderAndIsNotThePartialFrame) {
    parse(multiTouchReport(contacts({0, 1, 2, 3}), 6));
    auto partial = parser.oncompletedModel();
    auto frame = asFrame(parse(multiTouchReport({contacts({4})[0], contacts({5})[0], Slot{7, 0xFF}}, 0)));
    ASSERT_TRUE(frame);
    EXPECT_NE(frame.get(), partial.get());
    EXPECT_EQ(indicesOf(*frame->touchDataArray), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(log.count("touchCount: 6, "), 6u);
}

TEST_F(ParseUsbDataTest, OvershotFrameNeverCompletesAndStopsGrowing) {
    parse(multiTouchReport(contacts({0, 1, 2, 3}), 6));
    EXPECT_FALSE(parse(multiTouchReport(contacts({4, 5, 6}), 0)));
    EXPECT_EQ(collected(), 7u);
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(parse(multiTouchReport(contacts({8, 9, 10, 11}), 0)));
    EXPECT_EQ(collected(), 7u);
    // A new first packet still starts afresh.
    parse(multiTouchReport(contacts({0, 1, 2, 3}), 5));
    EXPECT_TRUE(asFrame(parse(multiTouchReport(contacts({4}), 0))));
}

TEST_F(ParseUsbDataTest, SixSlotFormatReadsEverySlotAndLogsEachContact) {
    std::vector<Slot> slots = contacts({0, 1});
    slots.insert(slots.end(), {Slot{7, 0xFF}, Slot{7, 0xFF}, contacts({4})[0]});
    auto frame = asFrame(parse(g1Report(slots, 2)));
    ASSERT_TRUE(frame);
    EXPECT_EQ(indicesOf(*frame->touchDataArray), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(frame->count, 3);
    EXPECT_TRUE(log.contains("TouchPoint[4]: ID=4, State=0x07, X=104, Y=204, W=30, H=40"));
    EXPECT_EQ(log.count("TouchPoint["), 3u);
}

TEST_F(ParseUsbDataTest, SixSlotMultiPacketFrameLogsWaitingAndSurvivesAWrongReportId) {
    EXPECT_FALSE(parse(g1Report(contacts({0, 1, 2, 3, 4, 5}), 10)));
    EXPECT_TRUE(log.contains("Waiting for subsequent packets, current points: 6, total points: 10"));
    log.clear();
    // A wrong report ID is refused before any slot is read; the partial frame stays.
    EXPECT_FALSE(parse(g1Report(contacts({6, 7}), 0, 0x01)));
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Invalid report ID: 0x01, expected 0x02"});
    EXPECT_EQ(collected(), 6u);
    auto frame = asFrame(parse(g1Report(contacts({6, 7, 8, 9}), 0)));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->count, 10);
    EXPECT_TRUE(log.contains("Complete data parsed, total touch points: 10"));
}

TEST_F(ParseUsbDataTest, PenReportDecodesStatusBitsAndLogsTwoLines) {
    auto pen = std::dynamic_pointer_cast<PenModel>(parse({3, 0x11, 0x10, 0, 0x20, 0, 5, 0, 6, 0, 0x34, 0x12, 0, 0}));
    ASSERT_TRUE(pen);
    EXPECT_EQ(pen->reportID, 3);
    EXPECT_EQ(pen->state, PenState::down);
    EXPECT_TRUE(pen->inRange);
    EXPECT_FALSE(pen->barrel || pen->invert || pen->eraser);
    EXPECT_EQ(pen->pressure, 0x1234);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "PenState: 1, InRange: 1, (x = 16, y = 32, width = 5, height = 6)",
                                  "reportID: 3, (x: 16, y: 32, width: 5, height: 6), state: 1",
                              }));
    pen = std::dynamic_pointer_cast<PenModel>(parse({3, 0xEE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pen->state, PenState::up);
    EXPECT_TRUE(pen->barrel && pen->invert && pen->eraser);
    EXPECT_FALSE(pen->inRange);  // bit 4 clear; bits 5 to 7 ignored
}

TEST_F(ParseUsbDataTest, ReportsOfOtherLengthsYieldNothing) {
    struct Case {
        size_t length;
        const char* logged;  // nullptr: nothing is logged
    };
    const Case cases[] = {
        {8, nullptr}, {20, "Unknown data length: 20"}, {0, "Unknown data length: 0"},
        {57, "Unknown data length: 57"}, {65535, "Unknown data length: 65535"},
    };
    for (const auto& c : cases) {
        log.clear();
        EXPECT_FALSE(parse(std::vector<uint8_t>(c.length, 1))) << c.length;
        EXPECT_EQ(log.messages(), c.logged ? std::vector<std::string>{c.logged} : std::vector<std::string>{});
    }
}

TEST_F(ParseUsbDataTest, HandlersRefuseReportsTooShortForTheirFormat) {
    EXPECT_FALSE(parser.handlePenData(std::vector<uint8_t>(13, 0)));
    EXPECT_FALSE(parser.handleMouseData(std::vector<uint8_t>(7, 0)));
    EXPECT_FALSE(parser.handleMultiTouchData(std::vector<uint8_t>(62, 1)));
    EXPECT_FALSE(parser.handleMultiTouchG1Data(std::vector<uint8_t>(58, 2)));
    auto mouse = parser.handleMouseData(std::vector<uint8_t>{9, 2, 0x01, 0x02, 0x03, 0x04, 0, 0});
    ASSERT_TRUE(mouse);
    EXPECT_EQ(mouse->mouseKey, MouseKey::button2);
    EXPECT_EQ(mouse->y, 0x0403);
    EXPECT_EQ(parser.parseTouchQueue()->label(), "com.qrve.parse.data");
}

}  // namespace
}  // namespace touchlane
