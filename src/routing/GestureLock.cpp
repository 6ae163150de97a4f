#include "routing/GestureLock.h"

namespace touchlane {

GestureLock::State GestureLock::state() const {
    if (type_ == GestureType::none) return State::unlocked;
    return type_ == GestureType::longPress ? State::longPressLocked : State::locked;
}

void GestureLock::lock(GestureType type, int64_t touchCount, double now) {
    type_ = type;
    touchCountAtLock_ = touchCount;
    lockTimestamp_ = now;
}

void GestureLock::releaseLongPress() {
    type_ = GestureType::none;
    touchCountAtLock_ = 0;
    lockTimestamp_ = 0;
}

void GestureLock::finishContinuousGesture(double now) {
    releaseLongPress();
    continuousGestureEndTime_ = now;
}

void GestureLock::reset() {
    releaseLongPress();
    continuousGestureEndTime_.reset();
}

bool GestureLock::isQuietPeriod(double now) const {
    return continuousGestureEndTime_ && now - *continuousGestureEndTime_ < singleTapSuppressionDelay;
}

bool GestureLock::mayUpgrade(int64_t latestTouchCount, double now) const {
    if (latestTouchCount <= touchCountAtLock_) return false;
    if (isTwoFingerContinuousGesture(type_)) {
        if (latestTouchCount < 3 || touchCountAtLock_ != 2) return false;
    } else if (type_ == GestureType::swipe || type_ == GestureType::controlCenter) {
        if (latestTouchCount < 4 || touchCountAtLock_ != 3) return false;
    } else {
        return false;
    }
    return now - lockTimestamp_ <= multiFingerUpgradeWindow;
}

bool GestureLock::acceptsUpgradeTo(GestureType candidate, int64_t latestTouchCount) const {
    if (!isMultiFingerGesture(candidate) || candidate == type_) return false;
    return touchCountAtLock_ != 3 || latestTouchCount >= 4;
}

std::optional<std::string_view> GestureLock::endReason(int64_t activeTouches) const {
    if (isMultiFingerGesture(type_)) {
        if (activeTouches == 0) return "all touches lifted";
        return std::nullopt;
    }
    const bool insufficient = isTwoFingerContinuousGesture(type_) ? activeTouches <= 1 : activeTouches == 0;
    if (insufficient) return "insufficient active touches";
    return std::nullopt;
}

}  // namespace touchlane
