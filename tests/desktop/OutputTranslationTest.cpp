#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/desktop/EvdevEvents.h"
#include "platform/desktop/XTestSteps.h"

namespace touchlane {
namespace {

using Kind = XTestStep::Kind;
constexpr auto kPointer = VirtualDevice::pointer;
constexpr auto kKeyboard = VirtualDevice::keyboard;

TEST(WheelDetents, WholeDetentsCarryTheRemainderAndAReversalDropsIt) {
    WheelDetentAccumulator wheel;
    struct Step {
        int32_t units;
        int32_t detents;
        int32_t remainder;
    };
    const std::vector<Step> steps{
        {60, 0, 60}, {60, 1, 0}, {300, 2, 60}, {-30, 0, -30}, {-90, -1, 0}, {-240, -2, 0}, {119, 0, 119}, {-1, 0, -1},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(wheel.add(step.units), step.detents) << step.units;
        EXPECT_EQ(wheel.remainder(), step.remainder) << step.units;
    }
    EXPECT_EQ(wheel.add(std::numeric_limits<int32_t>::max()), std::numeric_limits<int32_t>::max() / 120);
}

// libinput's scaling of an absolute axis to a screen of `size` pixels.
int landedPixel(int32_t value, double size) { return int(std::floor(value * size / (kAbsoluteAxisMaximum + 1.0))); }

TEST(EvdevEvents, AbsoluteAxisLandsOnThePointsPixelForCommonScreenSizes) {
    for (double size : {800.0, 1080.0, 1366.0, 1920.0, 2560.0, 3840.0, 7680.0}) {
        for (int pixel = 0; pixel < int(size); ++pixel) {
            ASSERT_EQ(landedPixel(absoluteAxisValue(pixel + 0.7, 0, size), size), pixel) << size;
        }
    }
    // The extent's origin is where the axis starts; outside it the axis clamps.
    EXPECT_EQ(landedPixel(absoluteAxisValue(1930, 1920, 1280), 1280), 10);
    EXPECT_EQ(absoluteAxisValue(-50, 0, 1920), 0);
    EXPECT_EQ(absoluteAxisValue(1e9, 0, 1920), kAbsoluteAxisMaximum);
    EXPECT_EQ(absoluteAxisValue(std::nan(""), 0, 1920), 0);
    EXPECT_EQ(absoluteAxisValue(10, 0, 0), 0);
}

TEST(EvdevEvents, EachActionIsOneReportOnItsDevice) {
    WheelDetentState wheel;
    const Rect extent{0, 0, 1920, 1080};
    auto events = [&](const DesktopAction& action) { return evdevEventsForAction(action, extent, wheel); };
    using E = std::vector<EvdevEvent>;
    const EvdevEvent pointerSync{kPointer, EV_SYN, SYN_REPORT, 0};
    const EvdevEvent keyboardSync{kKeyboard, EV_SYN, SYN_REPORT, 0};

    EXPECT_EQ(events(PointerMotion{{0, 1079}}), (E{{kPointer, EV_ABS, ABS_X, 17},
                                                   {kPointer, EV_ABS, ABS_Y, absoluteAxisValue(1079, 0, 1080)},
                                                   pointerSync}));
    EXPECT_EQ(events(ButtonPress{PointerButton::right}), (E{{kPointer, EV_KEY, BTN_RIGHT, 1}, pointerSync}));
    EXPECT_EQ(events(ButtonRelease{PointerButton::left}), (E{{kPointer, EV_KEY, BTN_LEFT, 0}, pointerSync}));
    EXPECT_EQ(events(KeyPress{DesktopKey::super}), (E{{kKeyboard, EV_KEY, KEY_LEFTMETA, 1}, keyboardSync}));
    EXPECT_EQ(events(KeyRelease{DesktopKey::pageDown}), (E{{kKeyboard, EV_KEY, KEY_PAGEDOWN, 0}, keyboardSync}));

    // The fine axes always move; the detent axes only when a detent completes.
    EXPECT_EQ(events(WheelMotion{90, -60}),
              (E{{kPointer, EV_REL, REL_WHEEL_HI_RES, 90}, {kPointer, EV_REL, REL_HWHEEL_HI_RES, -60}, pointerSync}));
    EXPECT_EQ(events(WheelMotion{30, -60}), (E{{kPointer, EV_REL, REL_WHEEL_HI_RES, 30},
                                               {kPointer, EV_REL, REL_WHEEL, 1},
                                               {kPointer, EV_REL, REL_HWHEEL_HI_RES, -60},
                                               {kPointer, EV_REL, REL_HWHEEL, -1},
                                               pointerSync}));
    EXPECT_EQ(events(WheelMotion{0, 0}), E{});
}

TEST(XTestSteps, PointerAndKeysMapToCoreRequests) {
    WheelDetentState wheel;
    using S = std::vector<XTestStep>;
    EXPECT_EQ(xtestStepsForAction(PointerMotion{{300.9, 200.2}}, wheel), (S{{Kind::motion, 300, 200}}));
    EXPECT_EQ(xtestStepsForAction(ButtonPress{PointerButton::right}, wheel), (S{{Kind::buttonPress, 0, 0, 3}}));
    EXPECT_EQ(xtestStepsForAction(ButtonRelease{PointerButton::middle}, wheel), (S{{Kind::buttonRelease, 0, 0, 2}}));
    EXPECT_EQ(xtestStepsForAction(KeyPress{DesktopKey::digit0}, wheel),
              (S{{Kind::keyPress, 0, 0, 0, DesktopKey::digit0}}));
    EXPECT_EQ(rootPixel(-0.5), -1);
    EXPECT_EQ(rootPixel(1e12), 32767);
    EXPECT_EQ(rootPixel(std::nan("")), 0);
}

// The wheel buttons clicked for one action, in order.
std::vector<unsigned> clickedButtons(const std::vector<XTestStep>& steps) {
    std::vector<unsigned> buttons;
    for (size_t i = 0; i + 1 < steps.size(); i += 2) {
        EXPECT_EQ(steps[i].kind, Kind::buttonPress);
        EXPECT_EQ(steps[i + 1], (XTestStep{Kind::buttonRelease, 0, 0, steps[i].button}));
        buttons.push_back(steps[i].button);
    }
    return buttons;
}

TEST(XTestSteps, WheelDetentsBecomeClicksOfButtonsFourToSeven) {
    WheelDetentState wheel;
    struct Case {
        WheelMotion motion;
        std::vector<unsigned> buttons;
    };
    const std::vector<Case> cases{
        {{240, 0}, {4, 4}}, {{-120, 0}, {5}},  {{0, 120}, {7}},      {{0, -120}, {6}},
        {{60, 0}, {}},      {{60, 0}, {4}},    {{-60, -60}, {}},    {{-60, -60}, {5, 6}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clickedButtons(xtestStepsForAction(c.motion, wheel)), c.buttons)
            << c.motion.vertical << ", " << c.motion.horizontal;
    }
    EXPECT_EQ(clickedButtons(xtestStepsForAction(WheelMotion{std::numeric_limits<int32_t>::min() + 1, 0}, wheel))
                  .size(),
              size_t{kMaxWheelClicksPerAction});
}

}  // namespace
}  // namespace touchlane
