#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "synthesis/EventRecordLine.h"

namespace touchlane {
namespace {

TEST(EventRecordLine, WritesWholeRecordsWithSortedKeys) {
    EventRecord down = EventRecord::makeMouseEvent(false, 1, {12.5, -0.0}, 0);
    down.setIntegerField(1, 2);

    EventRecord wheel = EventRecord::makeScrollWheelEvent(true, 1, 2, -1, 0);

    // Field numbers are object keys, so they sort as text.
    EventRecord gesture = EventRecord::makeEmpty();
    gesture.setIntegerField(55, 29);
    gesture.setIntegerField(132, 1);
    gesture.setIntegerField(12, 3);
    gesture.setIntegerField(110, 6);
    gesture.setDoubleField(119, -0.0);
    gesture.setDoubleField(116, 0.1 + 0.2);
    gesture.setDoubleField(116, 0.1 + 0.2);  // the last value per field
    gesture.setTimestamp(1000250000);

    struct Case {
        PostedEvent event;
        const char* line;
    } cases[] = {
        {{1000.0, EventTap::hid, down},
         R"({"button":0,"double":{},"int":{"1":2},"location":[12.5,-0.0],"source":false,"t":1000.0,"tap":0,"type":1})"},
        {{1001.5, EventTap::session, wheel},
         R"({"double":{},"int":{},"scroll":{"count":2,"units":1,"wheel1":-1,"wheel2":0},"source":true,"t":1001.5,"tap":1,"type":22})"},
        {{1000.25, EventTap::session, gesture},
         R"({"double":{"116":0.30000000000000004,"119":-0.0},"int":{"110":6,"12":3,"132":1,"55":29},"source":false,"t":1000.25,"tap":1,"timestamp":1000250000,"type":0})"},
    };
    for (const auto& c : cases) EXPECT_EQ(eventRecordLine(c.event), c.line);
}

TEST(EventRecordLine, DoublesUseTheShortestTextThatReadsBack) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {1.0, "1.0"},
        {5.01, "5.01"},
        {0.1 + 0.2, "0.30000000000000004"},
        {0.00001, "1e-05"},
        {1e15, "1000000000000000.0"},
        {1e16, "1e+16"},
        {std::numeric_limits<double>::infinity(), "null"},
        {std::nan(""), "null"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatRoundTripDouble(c.value), c.text) << c.value;
}

TEST(EventRecordLine, ArbitraryBitPatternsReadBackExactly) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        double value = std::bit_cast<double>(random());
        if (!std::isfinite(value)) continue;
        std::string text = formatRoundTripDouble(value);
        EXPECT_EQ(std::bit_cast<uint64_t>(std::strtod(text.c_str(), nullptr)), std::bit_cast<uint64_t>(value))
            << text;
        EXPECT_NE(text.find_first_of(".e"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace touchlane
