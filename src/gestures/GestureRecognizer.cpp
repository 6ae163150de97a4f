#include "gestures/GestureRecognizer.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

BaseGestureRecognizer::BaseGestureRecognizer(std::string name, GestureType gestureType, int64_t priority,
                                             bool isExclusive)
    : name_(std::move(name)), gestureType_(gestureType), priority_(priority), isExclusive_(isExclusive) {}

std::optional<GestureRecognitionResult> BaseGestureRecognizer::recognize(const std::shared_ptr<TouchSequence>&,
                                                                         const TouchBuffer&) {
    std::fputs("Subclass must implement recognize()\n", stderr);
    std::abort();
}

std::optional<GestureRecognitionResult> BaseGestureRecognizer::continueRecognition(
    const std::shared_ptr<TouchSequence>&, const TouchBuffer&) {
    return std::nullopt;
}

Point BaseGestureRecognizer::screenPoint(const TouchPosition& device) { return screenPoint(device.x, device.y); }

Point BaseGestureRecognizer::screenPoint(double x, double y) { return GestureRemoteToMacMapper::macPoint(x, y); }

GestureRecognitionResult BaseGestureRecognizer::makeScreenResult(const std::shared_ptr<TouchSequence>& sequence,
                                                                 GestureState state, float confidence, double dx,
                                                                 double dy, double zoomOffset, double rotationAngle,
                                                                 double swipeOffset, const Point& center,
                                                                 std::optional<GestureType> type) const {
    return {type.value_or(gestureType_),
            confidence,
            sequence,
            sequence ? sequence->lastFrameTimestamp() : 0.0,
            dx,
            dy,
            zoomOffset,
            rotationAngle,
            swipeOffset,
            state,
            center};
}

bool passesContinuousStartGate(const TouchSequence& sequence) {
    return sequence.state() == TouchSequenceState::ended || sequence.duration() >= TouchConfiguration::bufferWindow;
}

Point midpoint(const Point& a, const Point& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

}  // namespace touchlane
