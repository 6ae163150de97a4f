#include <gtest/gtest.h>

#include "input/TouchModels.h"

namespace touchlane {
namespace {

TEST(TouchModels, FrameCopyCopiesTheListButSharesTheContacts) {
    auto contact = std::make_shared<TouchPointModel>();
    MultiTouchModel frame;
    frame.count = 1;
    frame.touchDataArray = TouchPointList{contact};
    auto copy = frame.copy();

    frame.touchDataArray = TouchPointList{};
    ASSERT_EQ(copy->touchDataArray->size(), 1u);
    EXPECT_EQ(copy->count, 1);
    contact->x = 42;
    EXPECT_EQ(copy->touchDataArray->at(0)->x, 42);

    auto pointCopy = contact->copy();
    contact->x = 7;
    EXPECT_EQ(pointCopy->x, 42);
}

}  // namespace
}  // namespace touchlane
