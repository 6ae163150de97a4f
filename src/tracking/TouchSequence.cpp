#include "tracking/TouchSequence.h"

#include <algorithm>
#include <atomic>


namespace touchlane {

namespace {
// Unique for the life of the process.
std::atomic<int64_t> nextSequenceId{0};
}  // namespace

size_t contactCount(const MultiTouchModel& frame) {
    if (!frame.touchDataArray) return 0;
    return static_cast<size_t>(
        std::count_if(frame.touchDataArray->begin(), frame.touchDataArray->end(), [](const auto& t) { return t; }));
}

TouchSequence::TouchSequence() : sequenceId_(nextSequenceId.fetch_add(1)) {}

void TouchSequence::addFrame(const std::shared_ptr<MultiTouchModel>& frame, double timestamp) {
    if (!startTimestamp_) startTimestamp_ = timestamp;
    lastFrameTimestamp_ = timestamp;
    const auto stored = frame ? frame : std::make_shared<MultiTouchModel>();
    rawTouchData_.append(stored);
    maxFrameTouchCount_ = std::max(maxFrameTouchCount_, static_cast<int64_t>(contactCount(*stored)));
    if (!stored->touchDataArray) return;

    TouchPointList touches;
    for (const auto& touch : *stored->touchDataArray) {
        if (!touch) continue;
        touches.push_back(touch);
        largestContactSide_ = std::max({largestContactSide_, double(touch->width), double(touch->height)});
    }
    const auto n = static_cast<int64_t>(touches.size());
    const bool twoFingerContext = isTwoFingerContext(n);

    std::set<uint8_t> kept;
    for (const auto& entry : assignIdentities(touches)) {
        if (!entry.isNew) {
            if (auto point = trackedPoints_.find(entry.identifier); point != trackedPoints_.end()) {
                point->second->update(*entry.touch, timestamp);
                kept.insert(entry.identifier);
                continue;
            }
        }
        const uint8_t identifier = nextTrackedIdentifier_++;  // wraps from 255 to 0
        // After a wrap the new finger replaces whatever still holds the identifier.
        trackedPoints_[identifier] = std::make_shared<TrackedTouchPoint>(identifier, *entry.touch, timestamp);
        kept.insert(identifier);
    }
    liftMissingFingers(kept, timestamp);
    if (twoFingerContext && n == 2) compactTwoFingerTrackedPoints(kept);
    refreshState();
}

void TouchSequence::liftMissingFingers(const std::set<uint8_t>& seen, double timestamp) {
    for (const auto& [identifier, point] : trackedPoints_) {
        if (point->isEnded() || seen.contains(identifier)) continue;
        // Every frame lists every contact still down, so a finger missing from one
        // has lifted and its lift report was lost: it lifts where it was last seen.
        TouchPointModel lift;
        lift.x = point->lastPosition().x;
        lift.y = point->lastPosition().y;
        lift.index = point->rawIndex();
        lift.touchState = kTouchStateLifted;
        point->update(lift, timestamp);
    }
}

void TouchSequence::refreshState() {
    if (trackedPoints_.empty()) {
        state_ = TouchSequenceState::idle;
    } else if (allPointsEnded()) {
        state_ = TouchSequenceState::ended;
    } else {
        state_ = TouchSequenceState::touching;
    }
}

void TouchSequence::markEnded(double now) {
    endTimestamp_ = now;
    state_ = TouchSequenceState::ended;
}

}  // namespace touchlane
