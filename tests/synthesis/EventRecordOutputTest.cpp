#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <random>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "synthesis/EventRecordLine.h"
#include "synthesis/LogOnlyWindowSystem.h"
#include "synthesis/RecordingWindowSystem.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

TEST(EventRecordLine, WritesWholeRecordsWithSortedKeys) {
    EventRecord down = EventRecord::makeMouseEvent(false, 1, {12.5, -0.0}, 0);
    down.setIntegerField(1, 2);
    // Field numbers are object keys, so they sort as text.
    EventRecord gesture = EventRecord::makeEmpty();
    for (auto [field, value] : {std::pair{55, 29}, {132, 1}, {12, 3}, {110, 6}}) gesture.setIntegerField(field, value);
    gesture.setDoubleField(119, -0.0);
    gesture.setDoubleField(116, 1.0);
    gesture.setDoubleField(116, 0.1 + 0.2);  // the last value per field
    gesture.setTimestamp(1000250000);

    const struct { PostedEvent event; const char* line; } cases[] = {
        {{1000.0, EventTap::hid, down},
         R"({"button":0,"double":{},"int":{"1":2},"location":[12.5,-0.0],"source":false,"t":1000.0,"tap":0,"type":1})"},
        {{1001.5, EventTap::session, EventRecord::makeScrollWheelEvent(true, 1, 2, -1, 0)},
         R"({"double":{},"int":{},"scroll":{"count":2,"units":1,"wheel1":-1,"wheel2":0},"source":true,"t":1001.5,"tap":1,"type":22})"},
        {{1000.25, EventTap::session, gesture},
         R"({"double":{"116":0.30000000000000004,"119":-0.0},"int":{"110":6,"12":3,"132":1,"55":29},"source":false,"t":1000.25,"tap":1,"timestamp":1000250000,"type":0})"},
    };
    for (const auto& c : cases) EXPECT_EQ(eventRecordLine(c.event), c.line);
}

TEST(EventRecordLine, DoublesUseTheShortestTextThatReadsBack) {
    const std::pair<double, const char*> cases[] = {{0.0, "0.0"}, {0.00001, "1e-05"}, {1e15, "1000000000000000.0"},
        {1e16, "1e+16"}, {std::numeric_limits<double>::infinity(), "null"}, {std::nan(""), "null"}};
    for (auto [value, text] : cases) EXPECT_EQ(formatRoundTripDouble(value), text) << value;

    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        double value = std::bit_cast<double>(random());
        if (!std::isfinite(value)) continue;
        std::string text = formatRoundTripDouble(value);
        EXPECT_EQ(std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)), std::bit_cast<uint64_t>(value)) << text;
        EXPECT_NE(text.find_first_of(".e"), std::string::npos) << text;
    }
}

TEST(WindowSystemBackends, MouseEventsMoveTheCursorAndTheLogOnlyOutputLogsEachRecordLine) {
    VirtualTime time(1000.0);
    LogRecorder log;
    RecordingWindowSystem recording;
    LogOnlyWindowSystem logOnly({0, 0, 1280, 720});
    const PostedEvent down{1000.0, EventTap::hid, EventRecord::makeMouseEvent(false, 1, {3, 4}, 0)};
    for (WindowSystem* backend : std::initializer_list<WindowSystem*>{&recording, &logOnly}) {
        backend->post(down.tap, down.record);
        backend->post(EventTap::session, EventRecord::makeEmpty());
        EXPECT_EQ(backend->cursorLocation(), (Point{3, 4})) << "only mouse events move the cursor";
    }
    EXPECT_EQ(recording.events().front(), down);
    ASSERT_EQ(log.entries().size(), 2u) << "one log line per record";
    EXPECT_NE(log.messages()[0].find(eventRecordLine(down)), std::string::npos);
}

}  // namespace
}  // namespace touchlane
