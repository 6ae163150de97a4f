#include <gtest/gtest.h>

#include "input/OrientingTouchSink.h"
#include "platform/DisplayBounds.h"
#include "support/FakeTouchDataSink.h"

namespace touchlane {
namespace {

std::shared_ptr<TouchPointModel> contact(uint8_t id, uint16_t x, uint16_t y, uint16_t w, uint16_t h) {
    auto point = std::make_shared<TouchPointModel>();
    point->index = id;
    point->touchState = kTouchStateTouching;
    point->x = x, point->y = y, point->width = w, point->height = h;
    return point;
}

TEST(OrientingTouchSink, PassesCopiesInTheOrientationInForceAndLeavesTheReportAlone) {
    auto collected = std::make_shared<test::FakeTouchDataSink>();
    auto sink = orientingSink(collected);
    auto frame = std::make_shared<MultiTouchModel>();
    frame->count = 2;
    frame->touchDataArray = TouchPointList{contact(1, 100, 200, 300, 120), contact(2, 32767, 0, 90, 90)};
    auto pen = std::make_shared<PenModel>();
    pen->x = 10, pen->y = 20;

    sink->handleTouchData(frame);
    EXPECT_EQ(collected->models().back(), frame) << "no copy while nothing is turned";
    {
        DisplayOrientationOverride turned({DisplayRotation::quarter, false, false});
        sink->handleTouchData(frame);
        sink->handleTouchData(pen);
    }
    const auto received = collected->models();
    ASSERT_EQ(received.size(), 3u);
    auto* turned = dynamic_cast<MultiTouchModel*>(received[1].get());
    ASSERT_NE(turned, nullptr);
    ASSERT_EQ(turned->touchDataArray->size(), 2u);
    const auto& first = *(*turned->touchDataArray)[0];
    EXPECT_EQ(first.index, 1);
    EXPECT_EQ(std::tuple(first.x, first.y, first.width, first.height),
              std::tuple(uint16_t(32567), uint16_t(100), uint16_t(120), uint16_t(300)));
    const auto& second = *(*turned->touchDataArray)[1];
    EXPECT_EQ(std::tuple(second.x, second.y), std::tuple(uint16_t(32767), uint16_t(32767)));
    auto* turnedPen = dynamic_cast<PenModel*>(received[2].get());
    ASSERT_NE(turnedPen, nullptr);
    EXPECT_EQ(std::tuple(turnedPen->x, turnedPen->y), std::tuple(uint16_t(32747), uint16_t(10)));

    EXPECT_EQ((*frame->touchDataArray)[0]->x, 100) << "the parser's report is untouched";
    EXPECT_EQ(pen->x, 10);
}

}  // namespace
}  // namespace touchlane
