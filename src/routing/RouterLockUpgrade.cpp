// A locked gesture that gains fingers soon after the lock becomes the gesture of
// the new finger count (two-finger scroll to a three-finger swipe, three to four).
#include <fmt/format.h>

#include "gestures/MotionFloor.h"
#include "logging/Logger.h"
#include "routing/LiveGestureClassifier.h"
#include "routing/TouchEventRouter.h"
#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

namespace {

void log(const std::string& message) { Logger::shared().log(message); }

}  // namespace

bool TouchEventRouter::tryUpgradeLockedContinuousGesture(const TouchSequence& sequence, int64_t latestTouchCount) {
    if (!lock_.mayUpgrade(latestTouchCount, now())) return false;
    const TrackedPointList fingers = sequence.sortedActivePoints();
    if (fingers.size() <= 2 || !movedPastNoiseFloor(fingers, GestureRemoteToMacMapper::currentBounds())) return false;
    const auto upgrade = detectMultiFingerLiveGestureType(fingers, debugMode_);
    if (!upgrade || *upgrade == GestureType::none || !lock_.acceptsUpgradeTo(*upgrade, latestTouchCount)) return false;

    const GestureType locked = lock_.type();
    log(fmt::format("Upgrading locked gesture {} -> {} after touch-count promotion", caseName(locked),
                    caseName(*upgrade)));
    dispatchContinuousGestureEnded(locked);
    recognizerManager_.resetActiveRecognizer();
    lock_.lock(*upgrade, static_cast<int64_t>(fingers.size()), now());
    startLockedRecognizer(*upgrade, sequence);
    return true;
}

}  // namespace touchlane
