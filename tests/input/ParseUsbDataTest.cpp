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
        {"identifier 0xFE is a contact", contacts({0xFE}), 1, {0xFE}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(indicesOf(ParseUsbData::parseTouchData(multiTouchReport(c.slots, c.countByte))), c.expected)
            << c.name;
    }
}

TEST(ParseTouchData, ShortReportsNeverYieldSlotsBeyondTheirEnd) {
    auto full = multiTouchReport(contacts({0, 1, 2, 3}), 4);
    EXPECT_TRUE(ParseUsbData::parseTouchData({}).empty());
    for (size_t length = 1; length < full.size(); ++length) {
        std::vector<uint8_t> shortReport(full.begin(), full.begin() + length);
        shortReport.back() = 4;
        // Only slots wholly between the report ID and the count byte are read.
        size_t whole = length > 2 ? (length - 2) / 14 : 0;
        EXPECT_EQ(ParseUsbData::parseTouchData(shortReport).size(), std::min<size_t>(whole, 4)) << length;
    }
}

TEST_F(ParseUsbDataTest, DecodesEveryFieldOfBothMultiTouchFormats) {
    Slot slot{0x07, 2, 0x1234, 0x7FFF, 0x0102, 0x0A0B, 0xBEEF};
    auto frame = asFrame(parse(multiTouchReport({slot}, 1)));
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

    slot.state = 0x42;  // any status byte passes through unchanged
    auto g1 = asFrame(parse(g1Report({slot}, 1)));
    ASSERT_TRUE(g1);
    auto g1Point = g1->touchDataArray->at(0);
    EXPECT_EQ(rawValue(g1Point->touchState), 0x42u);
    EXPECT_EQ(g1Point->x, 0x1234);
    EXPECT_EQ(g1Point->height, 0x0A0B);
    EXPECT_EQ(g1Point->pressure, 0);  // the G1 format carries none
}

TEST_F(ParseUsbDataTest, LogsOneLinePerContactOfAFrame) {
    parse(multiTouchReport(contacts({0, 1}), 2));
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "touchCount: 2, index: 0, (x: 100, y: 200, width: 30, height: 40), touchState: 7",
                                  "touchCount: 2, index: 1, (x: 101, y: 201, width: 30, height: 40), touchState: 7",
                              }));
    for (const auto& entry : log.entries()) EXPECT_EQ(entry.style, LogStyle::standardError);
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
        {"new first packet replaces the old", multiTouchReport(contacts({0, 1}), 12), {}, 2},
        {"pen report leaves it", std::vector<uint8_t>(14, 0), {}, 2},
        {"mouse report leaves it", std::vector<uint8_t>(8, 0), {}, 2},
        {"unknown length leaves it", std::vector<uint8_t>(20, 0), {}, 2},
        {"wrong G1 report ID leaves it", g1Report(contacts({2}), 0, 0x01), {}, 2},
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
    EXPECT_EQ(log.count("Complete data parsed"), 1u);
    EXPECT_EQ(log.count("Parser state reset"), 1u);
}

TEST_F(ParseUsbDataTest, CompletedFrameHoldsEveryContactInOrderAndIsNotThePartialFrame) {
    parse(multiTouchReport(contacts({0, 1, 2, 3}), 6));
    auto partial = parser.oncompletedModel();
    auto frame = asFrame(parse(multiTouchReport({contacts({4})[0], contacts({5})[0], Slot{7, 0xFF}}, 0)));
    ASSERT_TRUE(frame);
    EXPECT_NE(frame.get(), partial.get());
    EXPECT_EQ(indicesOf(*frame->touchDataArray), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(log.contains("Complete data parsed"));
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

TEST_F(ParseUsbDataTest, G1FormatReadsEverySlotAndLogsEachContact) {
    std::vector<Slot> slots = contacts({0, 1});
    slots.push_back(Slot{7, 0xFF});
    slots.push_back(Slot{7, 0xFF});
    slots.push_back(contacts({4})[0]);
    auto frame = asFrame(parse(g1Report(slots, 2)));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->count, 3);
    EXPECT_EQ(indicesOf(*frame->touchDataArray), (std::vector<int>{0, 1, 4}));
    EXPECT_TRUE(log.contains("TouchPoint[0]: ID=0, State=0x07, X=100, Y=200, W=30, H=40"));
    EXPECT_TRUE(log.contains("TouchPoint[4]: ID=4, State=0x07, X=104, Y=204, W=30, H=40"));
    EXPECT_EQ(log.count("TouchPoint["), 3u);
}

TEST_F(ParseUsbDataTest, G1MultiPacketFrameLogsWaitingAndSurvivesAWrongReportId) {
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

TEST_F(ParseUsbDataTest, BothFormatsShareOnePartialFrame) {
    parse(multiTouchReport(contacts({0, 1, 2, 3}), 6));
    auto frame = asFrame(parse(g1Report(contacts({4, 5}), 0)));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->count, 6);
}

TEST_F(ParseUsbDataTest, PenReportDecodesStatusBitsAndLogsTwoLines) {
    struct Case {
        uint8_t status;
        PenState state;
        bool inRange, barrel, invert, eraser;
    };
    const Case cases[] = {
        {0x11, PenState::down, true, false, false, false},
        {0x0E, PenState::up, false, true, true, true},
        {0xE0, PenState::up, false, false, false, false},  // high bits ignored
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> report{3, c.status, 0x10, 0x00, 0x20, 0x00, 5, 0, 6, 0, 0x34, 0x12, 0xAA, 0xBB};
        auto pen = std::dynamic_pointer_cast<PenModel>(parse(report));
        ASSERT_TRUE(pen) << int(c.status);
        EXPECT_EQ(pen->reportID, 3);
        EXPECT_EQ(pen->state, c.state);
        EXPECT_EQ(pen->inRange, c.inRange);
        EXPECT_EQ(pen->barrel, c.barrel);
        EXPECT_EQ(pen->invert, c.invert);
        EXPECT_EQ(pen->eraser, c.eraser);
        EXPECT_EQ(pen->x, 0x10);
        EXPECT_EQ(pen->y, 0x20);
        EXPECT_EQ(pen->pressure, 0x1234);
    }
    log.clear();
    parse({3, 0x11, 0x10, 0x00, 0x20, 0x00, 5, 0, 6, 0, 0, 0, 0, 0});
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "PenState: 1, InRange: 1, (x = 16, y = 32, width = 5, height = 6)",
                                  "reportID: 3, (x: 16, y: 32, width: 5, height: 6), state: 1",
                              }));
}

TEST_F(ParseUsbDataTest, ReportsOfOtherLengthsYieldNothing) {
    struct Case {
        size_t length;
        const char* logged;  // nullptr: nothing is logged
    };
    const Case cases[] = {
        {8, nullptr}, {20, "Unknown data length: 20"}, {0, "Unknown data length: 0"},
        {57, "Unknown data length: 57"}, {63, "Unknown data length: 63"}, {65535, "Unknown data length: 65535"},
    };
    for (const auto& c : cases) {
        log.clear();
        EXPECT_FALSE(parse(std::vector<uint8_t>(c.length, 1))) << c.length;
        if (c.logged) {
            EXPECT_EQ(log.messages(), std::vector<std::string>{c.logged});
        } else {
            EXPECT_TRUE(log.messages().empty()) << c.length;
        }
    }
}

TEST_F(ParseUsbDataTest, HandlersRefuseReportsTooShortForTheirFormat) {
    EXPECT_FALSE(parser.handlePenData(std::vector<uint8_t>(13, 0)));
    EXPECT_FALSE(parser.handleMouseData(std::vector<uint8_t>(7, 0)));
    EXPECT_FALSE(parser.handleMultiTouchData(std::vector<uint8_t>(62, 1)));
    EXPECT_FALSE(parser.handleMultiTouchG1Data(std::vector<uint8_t>(58, 2)));

    auto mouse = parser.handleMouseData(std::vector<uint8_t>{9, 2, 0x01, 0x02, 0x03, 0x04, 0, 0});
    ASSERT_TRUE(mouse);
    EXPECT_EQ(mouse->reportID, 9);
    EXPECT_EQ(mouse->mouseKey, MouseKey::button2);
    EXPECT_EQ(mouse->x, 0x0201);
    EXPECT_EQ(mouse->y, 0x0403);
}

TEST_F(ParseUsbDataTest, OwnsASerialQueueThatNothingRunsOn) {
    EXPECT_EQ(parser.parseTouchQueue()->label(), "com.qrve.parse.data");
}

}  // namespace
}  // namespace touchlane
