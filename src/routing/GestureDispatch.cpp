#include <algorithm>

#include <fmt/format.h>

#include "logging/Logger.h"
#include "routing/RoutingText.h"
#include "routing/TrackpadActions.h"
#include "routing/TouchEventRouter.h"
#include "synthesis/MouseSimulator.h"
#include "tracking/DecimalFormat.h"
#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

namespace {

void log(const std::string& message) { Logger::shared().log(message); }

Point macPointOf(const TrackedTouchPoint& finger) {
    const TouchPosition& last = finger.lastPosition();
    return GestureRemoteToMacMapper::macPoint(last.x, last.y);
}

// How the dispatch line names the multi-finger gestures.
std::string_view dispatchName(GestureType type) {
    switch (type) {
        case GestureType::swipe:
            return "Swipe";
        case GestureType::controlCenter:
            return "Control Center";
        case GestureType::showDesktop:
            return "Show Desktop";
        default:
            return "Launchpad";
    }
}

}  // namespace

void TouchEventRouter::dispatchGesture(const GestureRecognitionResult& result) {
    const TrackpadState phase = trackpadPhase(result.gestureState);
    const auto firstFinger = [&]() -> std::shared_ptr<TrackedTouchPoint> {
        if (!result.touchSequence) return nullptr;
        const auto fingers = result.touchSequence->allPoints();
        return fingers.empty() ? nullptr : fingers.front();
    };
    switch (result.gestureType) {
        case GestureType::none:
            break;
        case GestureType::singleTap:
            if (const auto finger = firstFinger()) simulateSingleTouchClick(*finger);
            break;
        case GestureType::singleDoubleTap:
            if (const auto finger = firstFinger()) simulateSingleTouchDoubleClick(*finger, result.tapCount, false);
            break;
        case GestureType::doubleTap:
            dispatchDoubleTapGesture(result);
            break;
        case GestureType::doubleDoubleTap:
            dispatchDoubleDoubleTapGesture(result);
            break;
        case GestureType::scroll:
        case GestureType::zoom:
        case GestureType::rotation:
            dispatchMultiTouchGesture(result);
            break;
        case GestureType::swipe:
        case GestureType::controlCenter:
        case GestureType::showDesktop:
        case GestureType::launchpad:
            postTrackpadStep(multiTouchHandler_, result.gestureType, result, phase);
            log(fmt::format("Dispatched: {}, offset={}, state={}", dispatchName(result.gestureType),
                            formatDecimal(trackpadOffset(result.gestureType, result)), caseName(phase)));
            break;
        case GestureType::drag:
            dispatchDragGesture(result);
            break;
        case GestureType::longPress:
            dispatchLongPressGesture(result);
            break;
    }
}

void TouchEventRouter::simulateSingleTouchClick(const TrackedTouchPoint& finger) {
    const Point point = macPointOf(finger);
    MouseSimulator::doMouseLeftClick(point);
    log("Simulated single touch click at " + pointText(point));
}

void TouchEventRouter::simulateSingleTouchDoubleClick(const TrackedTouchPoint& finger, int64_t tapCount,
                                                      bool earlierClickPosted) {
    const Point point = macPointOf(finger);
    if (earlierClickPosted || tapCount > 2) {
        // The earlier taps have clicked already; posting their clicks again would
        // count as more presses than the finger made.
        MouseSimulator::doMouseClick(point, std::max<int64_t>(tapCount, 2));
    } else {
        MouseSimulator::doMouseLeftDoubleClick(point);
    }
    log("Simulated single touch double click at " + pointText(point));
}

void TouchEventRouter::dispatchDoubleTapGesture(const GestureRecognitionResult& result) {
    MouseSimulator::doMouseRightClick(result.centerPoint);
    log("Dispatched: Double Tap (right click) at " + pointText(result.centerPoint));
}

void TouchEventRouter::dispatchDoubleDoubleTapGesture(const GestureRecognitionResult& result) {
    // Smart zoom acts where the cursor is.
    MouseSimulator::doMouseMove(result.centerPoint);
    log("Moved cursor to two-finger center before Smart Zoom (two-finger double tap): " +
        pointText(result.centerPoint));
    multiTouchHandler_.startSmartZoom(TrackpadState::ended);
    log("Dispatched: Smart Zoom (two-finger double tap)");
}

void TouchEventRouter::dispatchMultiTouchGesture(const GestureRecognitionResult& result) {
    const GestureType type = result.gestureType;
    const TrackpadState phase = trackpadPhase(result.gestureState);
    moveCursorToGestureCenterIfNeeded(type, phase, result.centerPoint);
    postTrackpadStep(multiTouchHandler_, type, result, phase);
    log(fmt::format("Dispatched: {}", caseName(type)));
}

void TouchEventRouter::dispatchDragGesture(const GestureRecognitionResult& result) {
    // The single-touch handler replays the drag as its own down, move and up;
    // a long drag arrives here in successive pieces.
    const auto& sequence = result.touchSequence;
    if (sequence && !sequence->trackedPoints().empty()) {
        for (const auto& frame : sequence->rawTouchData()) {
            if (!frame->touchDataArray || frame->touchDataArray->empty()) continue;
            if (const auto& contact = frame->touchDataArray->front()) singleTouchHandler_->handleSingleTouchEvent(*contact);
        }
        // A finger whose lift report was lost ended without a lift contact to replay.
        if (sequence->hasEnded()) singleTouchHandler_->finishTouch();
    }
    log("Dispatched: Drag");
}

void TouchEventRouter::dispatchLongPressGesture(const GestureRecognitionResult& result) {
    const int64_t fingers = result.touchSequence ? result.touchSequence->activeTouchCount() : 0;
    lock_.lock(GestureType::longPress, fingers, now());
    MouseSimulator::doMouseRightClick(result.centerPoint);
    log("Dispatched: Long Press (right click) at " + pointText(result.centerPoint));
}

void TouchEventRouter::moveCursorToGestureCenterIfNeeded(GestureType type, TrackpadState state, const Point& center) {
    // Trackpad events act where the cursor is: put it between the fingers once,
    // when a two-finger gesture begins.
    if (state != TrackpadState::begin || !isTwoFingerContinuousGesture(type)) return;
    MouseSimulator::doMouseMove(center);
    log(fmt::format("Moved cursor to gesture center for {}: {}", caseName(type), pointText(center)));
}

void TouchEventRouter::dispatchContinuousGestureEnded(GestureType type) {
    // Every trackpad gesture gets its ended phase with nothing left to move.
    postTrackpadStep(multiTouchHandler_, type, GestureRecognitionResult{}, TrackpadState::ended);
    log(fmt::format("Dispatched continuous gesture ended: {}", caseName(type)));
}

void TouchEventRouter::closeContinuousGestureFromFinishedSequence(GestureType type, const TouchSequence& sequence) {
    dispatchContinuousGestureEnded(type);
    // Both the manager's active recognizer and the one for this type: when two
    // answered the same frame, the one whose result was used need not be active.
    recognizerManager_.resetActiveRecognizer();
    if (const auto recognizer = recognizerManager_.recognizer(type, sequence)) recognizer->reset();
    lock_.noteContinuousGestureEnded(now());
}

void TouchEventRouter::releaseInterruptedDrag() {
    const auto& active = recognizerManager_.activeContinuousRecognizer();
    if (active && active->gestureType() == GestureType::drag) recognizerManager_.resetActiveRecognizer();
    if (singleTouchHandler_->phase() != SingleTouchEvent::Phase::dragging) return;
    log("Releasing the button of an interrupted drag");
    singleTouchHandler_->finishTouch();
}

}  // namespace touchlane
