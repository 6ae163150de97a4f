#include "synthesis/GestureScrollSimulator.h"

#include <cmath>
#include <limits>

#include "platform/Clock.h"
#include "logging/SystemLog.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/SaturatingTruncation.h"
#include "synthesis/VectorSubPixelator.h"
#include "synthesis/VectorUtility.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

using namespace event_numbers;

namespace {

// Point deltas become line deltas at this ratio, and gesture deltas at this one.
constexpr double kLinesPerPoint = 0.1;
constexpr double kGesturePerPoint = 1.67;

// Small line deltas round away from zero so that any movement scrolls; larger
// ones round toward zero.
double roundedLine(double v) {
    if (std::abs(v) <= 1.0) return v > 0 ? std::ceil(v) : std::floor(v);
    return std::trunc(v);
}

// 16.16 fixed point.
int64_t fixedPoint16(double v) { return saturatingTruncation(std::round(v * 65536.0)); }

// The receiver tells a zero component from a missing one by its sign bit.
double gestureComponent(double v) { return v == 0 ? -0.0 : v; }

uint64_t mediaTimeNanoseconds() {
    double ms = Clock::current().mediaTimeMs();
    return ms > 0 ? static_cast<uint64_t>(ms * 1'000'000.0) : 0;
}

}  // namespace

void GestureScrollSimulator::postGestureScrollEventWithDeltaX(int64_t dx, int64_t dy, uint16_t phase, bool,
                                                              bool invertedFromDevice) {
    systemLog("Scroll delta: dx: {}, dy: {}, phase: {}", dx, dy, phase);
    if (phase != kPhaseEnded && dx == 0 && dy == 0) {
        systemLog("Trying to post gesture scroll with zero deltas while phase is not kIOHIDEventPhaseEnded - ignoring!");
        return;
    }
    if (phase == kPhaseEnded) {
        postGestureScrollEventWithGestureVector({}, {}, {}, {}, kPhaseEnded, kMomentumPhaseNone, invertedFromDevice);
        return;
    }
    if (phase != kPhaseBegan && phase != kPhaseChanged) {
        systemLog("Trying to send GestureScroll with invalid IOHIDEventPhase: {}", phase);
        return;
    }

    const Point delta{static_cast<double>(dx), static_cast<double>(dy)};
    const Point point = VectorUtility::scale(delta, kLinesPerPoint);
    Point line;
    if (phase == kPhaseBegan) pixelator_.reset();
    pixelator_.setPixelationThreshold(std::numeric_limits<double>::infinity());
    line = pixelator_.intVectorWithDoubleVector(point);
    const Point lineRounded = VectorUtility::applyToEachDimension(line, roundedLine);
    const Point gesture = VectorUtility::scale(delta, kGesturePerPoint);
    systemLog("Scroll vectors - point: {}; line: {}; gesture: {}", VectorUtility::description(point),
              VectorUtility::description(line), VectorUtility::description(gesture));
    postGestureScrollEventWithGestureVector(gesture, line, lineRounded, delta, phase, kMomentumPhaseNone,
                                            invertedFromDevice);
}

void GestureScrollSimulator::postGestureScrollEventWithGestureVector(Point gestureVector, Point scrollVectorLine,
                                                                     Point scrollVectorLineInt,
                                                                     Point scrollVectorPoint, uint16_t phase,
                                                                     int32_t momentumPhase,
                                                                     bool invertedFromDevice) {
    if (phase != kPhaseUndefined && momentumPhase != kMomentumPhaseNone) {
        systemLog("Requirement failed: (phase == kIOHIDEventPhaseUndefined || momentumPhase == kCGMomentumScrollPhaseNone)");
        return;
    }
    const uint64_t timestamp = mediaTimeNanoseconds();

    EventRecord scroll = EventRecord::makeEmpty();
    scroll.setIntegerField(kFieldEventType, kScrollWheel);
    scroll.setIntegerField(kFieldScrollIsContinuous, 1);
    scroll.setIntegerField(kFieldScrollInvertedFromDevice, invertedFromDevice ? 1 : 0);
    scroll.setIntegerField(kFieldScrollDeltaAxis1, saturatingTruncation(scrollVectorLineInt.y));
    scroll.setIntegerField(kFieldScrollPointDeltaAxis1, saturatingTruncation(scrollVectorPoint.y));
    scroll.setIntegerField(kFieldScrollFixedPtDeltaAxis1, fixedPoint16(scrollVectorLine.y));
    scroll.setIntegerField(kFieldScrollDeltaAxis2, saturatingTruncation(scrollVectorLineInt.x));
    scroll.setIntegerField(kFieldScrollPointDeltaAxis2, saturatingTruncation(scrollVectorPoint.x));
    scroll.setIntegerField(kFieldScrollFixedPtDeltaAxis2, fixedPoint16(scrollVectorLine.x));
    scroll.setIntegerField(kFieldScrollPhase, phase);
    scroll.setIntegerField(kFieldScrollMomentumPhase, momentumPhase);
    scroll.setTimestamp(timestamp);
    WindowSystem::current().post(EventTap::session, scroll);

    if (phase == kPhaseUndefined) return;
    EventRecord gesture = EventRecord::makeEmpty();
    gesture.setIntegerField(kFieldEventType, kGesture);
    gesture.setIntegerField(kFieldGestureKind, kGestureScroll);
    gesture.setDoubleField(kFieldGestureScrollX, gestureComponent(gestureVector.x));
    gesture.setDoubleField(kFieldGestureScrollY, gestureComponent(gestureVector.y));
    gesture.setIntegerField(kFieldGesturePhase, phase);
    gesture.setTimestamp(timestamp);
    WindowSystem::current().post(EventTap::session, gesture);
}

}  // namespace touchlane
