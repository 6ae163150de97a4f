#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "synthesis/WindowSystem.h"
#include "tracking/DecimalFormat.h"
#include "tracking/GestureRecognitionResult.h"
#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/GestureVocabulary.h"

namespace touchlane {
namespace {

TEST(Vocabulary, RawValuesRoundTripAndStopAtTheEndOfTheirRange) {
    for (GestureType type : allGestureTypes) EXPECT_EQ(gestureTypeFromRaw(rawValue(type)), type);
    EXPECT_EQ(gestureTypeFromRaw(13), GestureType::longPress);
    EXPECT_EQ(gestureTypeFromRaw(14), std::nullopt);
    EXPECT_EQ(gestureTypeFromRaw(-1), std::nullopt);
    EXPECT_EQ(trackpadEventFromRaw(8), TrackpadEvent::smartZoom);
    EXPECT_EQ(trackpadEventFromRaw(9), std::nullopt);
    EXPECT_EQ(trackpadStateFromRaw(3), TrackpadState::ended);
    EXPECT_EQ(trackpadStateFromRaw(4), std::nullopt);
}

TEST(Vocabulary, LogTextUsesCaseNames) {
    std::ostringstream text;
    text << GestureType::doubleDoubleTap << ' ' << TouchSequenceState::touching << ' ' << TrackpadState::begin << ' '
         << TrackpadEvent::controlCenter;
    EXPECT_EQ(text.str(), "doubleDoubleTap touching begin controlCenter");
    EXPECT_EQ(caseName(GestureType::launchpad), "launchpad");
}

TEST(Vocabulary, DecimalsAreShortestWithAtLeastOneFractionDigit) {
    const std::pair<double, const char*> cases[] = {
        {100.0, "100.0"}, {42.5, "42.5"}, {0.1, "0.1"},     {-3.0, "-3.0"},        {0.0, "0.0"},
        {100000.0, "100000.0"}, {1.0 / 3.0, "0.3333333333333333"}, {1e16, "1e+16"}, {1e-05, "1e-05"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(formatDecimal(value), expected) << value;
}

TEST(Mapper, ConvertsWithTheBoundsCurrentAtEachCall) {
    StaticWindowSystem display({100, 50, 1920, 1080});
    WindowSystemOverride guard(display);
    using Mapper = GestureRemoteToMacMapper;
    EXPECT_EQ(Mapper::horizontalScale(), 1920 / 32767.0);
    EXPECT_EQ(Mapper::macPoint(32767, 0).x, 100 + 1920.0);
    EXPECT_EQ(Mapper::macPoint(16383.5, 32767).y, 50 + 1080.0);
    EXPECT_EQ(Mapper::macVector(32767, 32767).x, 1920.0 * (32767 / 32767.0));
    EXPECT_NEAR(Mapper::remoteMovementThreshold(), 364.07, 0.01);

    display.setMainDisplayBounds({0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(Mapper::remoteMovementThreshold(), 120000.0);
    EXPECT_EQ(Mapper::macPoint(500, 500).x, 0.0);
}

TEST(GestureRecognitionResultConversion, ScalesSwipeOffsetAlongTheGesturesAxis) {
    StaticWindowSystem display({10, 20, 32767 * 2.0, 32767 * 3.0});
    WindowSystemOverride guard(display);
    auto make = [](GestureType type) {
        return GestureRecognitionResult::fromDeviceUnits(type, 0.9f, nullptr, 5.0, 1, 2, 0.25, 0.5, 10,
                                                         GestureState::changed, {100, 200});
    };
    const auto swipe = make(GestureType::swipe);
    EXPECT_EQ(swipe.dx, 2.0);
    EXPECT_EQ(swipe.dy, 6.0);
    EXPECT_EQ(swipe.swipeOffset, 20.0);
    EXPECT_EQ(swipe.centerPoint, (Point{10 + 200.0, 20 + 600.0}));
    EXPECT_EQ(swipe.zoomOffset, 0.25);
    EXPECT_EQ(swipe.rotationAngle, 0.5);
    EXPECT_EQ(make(GestureType::controlCenter).swipeOffset, 30.0);
    EXPECT_EQ(make(GestureType::showDesktop).swipeOffset, 30.0);
    EXPECT_EQ(make(GestureType::launchpad).swipeOffset, 10.0);
}

}  // namespace
}  // namespace touchlane
