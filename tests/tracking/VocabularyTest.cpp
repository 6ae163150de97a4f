#include <gtest/gtest.h>

#include "synthesis/WindowSystem.h"
#include "tracking/GestureRecognitionResult.h"
#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {
namespace {

TEST(ScreenConversion, FollowsTheCurrentDisplay) {
    StaticWindowSystem display({10, 20, 32767 * 2.0, 32767 * 3.0});
    WindowSystemOverride guard(display);
    auto make = [](GestureType type) {
        return GestureRecognitionResult::fromDeviceUnits(type, 0.9f, nullptr, 5.0, 1, 2, 0.25, 0.5, 10,
                                                         GestureState::changed, {100, 200});
    };
    const auto swipe = make(GestureType::swipe);
    EXPECT_EQ(std::tuple(swipe.dx, swipe.dy, swipe.centerPoint), std::tuple(2.0, 6.0, Point{10 + 200.0, 20 + 600.0}));
    // Swipes along x, control centre and show desktop along y; the launcher's is a ratio, unscaled.
    EXPECT_EQ(std::tuple(swipe.swipeOffset, make(GestureType::controlCenter).swipeOffset,
                         make(GestureType::showDesktop).swipeOffset, make(GestureType::launchpad).swipeOffset),
              std::tuple(20.0, 30.0, 30.0, 10.0));

    EXPECT_DOUBLE_EQ(GestureRemoteToMacMapper::remoteMovementThreshold(), 6.0) << "12 points at the smaller scale";
    display.setMainDisplayBounds({0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(GestureRemoteToMacMapper::remoteMovementThreshold(), 120000.0) << "a display without size";
}

}  // namespace
}  // namespace touchlane
