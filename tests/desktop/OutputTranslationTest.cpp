#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cmath>
#include <vector>

#include "platform/desktop/EvdevEvents.h"
#include "platform/desktop/XTestSteps.h"

namespace touchlane {
namespace {

TEST(WheelDetents, WholeDetentsCarryTheRemainderAndAReversalDropsIt) {
    WheelDetentAccumulator wheel;
    const std::vector<std::pair<int32_t, int32_t>> unitsToDetents{
        {60, 0}, {60, 1}, {300, 2}, {-30, 0}, {-90, -1}, {-240, -2}, {119, 0}, {-1, 0}, {-119, -1},
    };
    for (auto [units, detents] : unitsToDetents) EXPECT_EQ(wheel.add(units), detents) << units;
}

// libinput's scaling of an absolute axis onto a screen of `size` pixels.
int landedPixel(int32_t value, double size) { return int(std::floor(value * size / (kAbsoluteAxisMaximum + 1.0))); }

TEST(EvdevEvents, AbsoluteAxisLandsOnThePointsPixel) {
    for (double size : {800.0, 1366.0, 1920.0, 3840.0, 7680.0}) {
        for (int pixel = 0; pixel < int(size); ++pixel) {
            ASSERT_EQ(landedPixel(absoluteAxisValue(pixel + 0.7, 0, size), size), pixel) << size;
        }
    }
    EXPECT_EQ(landedPixel(absoluteAxisValue(1930, 1920, 1280), 1280), 10) << "the axis starts at the extent's origin";
    EXPECT_EQ(absoluteAxisValue(-50, 0, 1920), 0);
    EXPECT_EQ(absoluteAxisValue(1e9, 0, 1920), kAbsoluteAxisMaximum);
    EXPECT_EQ(absoluteAxisValue(std::nan(""), 0, 1920), 0);
}

TEST(EvdevEvents, EachActionIsOneReportOnItsDevice) {
    constexpr auto P = VirtualDevice::pointer;
    constexpr auto K = VirtualDevice::keyboard;
    using E = std::vector<EvdevEvent>;
    WheelDetentState wheel;
    auto events = [&](const DesktopAction& action) { return evdevEventsForAction(action, {0, 0, 1920, 1080}, wheel); };

    EXPECT_EQ(events(PointerMotion{{0, 540}}),
              (E{{P, EV_ABS, ABS_X, 17}, {P, EV_ABS, ABS_Y, 32798}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(ButtonPress{PointerButton::right}), (E{{P, EV_KEY, BTN_RIGHT, 1}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(KeyRelease{DesktopKey::super}), (E{{K, EV_KEY, KEY_LEFTMETA, 0}, {K, EV_SYN, SYN_REPORT, 0}}));
    // The fine axes always move; the detent axes only when a detent completes.
    EXPECT_EQ(events(WheelMotion{90, -60}),
              (E{{P, EV_REL, REL_WHEEL_HI_RES, 90}, {P, EV_REL, REL_HWHEEL_HI_RES, -60}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(WheelMotion{30, -60}), (E{{P, EV_REL, REL_WHEEL_HI_RES, 30},
                                               {P, EV_REL, REL_WHEEL, 1},
                                               {P, EV_REL, REL_HWHEEL_HI_RES, -60},
                                               {P, EV_REL, REL_HWHEEL, -1},
                                               {P, EV_SYN, SYN_REPORT, 0}}));
}

TEST(XTestSteps, AHugeWheelMotionIsCappedInClicks) {
    WheelDetentState wheel;
    auto steps = xtestStepsForAction(WheelMotion{-INT32_MAX, 0}, wheel);
    EXPECT_EQ(steps.size(), size_t{2 * kMaxWheelClicksPerAction});
    EXPECT_EQ(steps.front(), (XTestStep{XTestStep::Kind::buttonPress, 0, 0, 5}));
}

}  // namespace
}  // namespace touchlane
