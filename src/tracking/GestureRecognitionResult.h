#pragma once

#include <cstdint>
#include <memory>

#include "platform/Geometry.h"
#include "tracking/GestureVocabulary.h"

namespace touchlane {

class TouchSequence;

// What a recognizer returns for a sequence and what the router dispatches. The
// movement fields and the centre are screen points.
struct GestureRecognitionResult {
    GestureType gestureType = GestureType::none;
    float confidence = 0;
    std::shared_ptr<TouchSequence> touchSequence;
    double timestamp = 0;  // ms of the media clock
    double dx = 0;
    double dy = 0;
    double zoomOffset = 0;
    double rotationAngle = 0;
    double swipeOffset = 0;
    GestureState gestureState = GestureState::ended;
    Point centerPoint;
    // Place of a one-finger tap in its series of quick taps (1 for a first click,
    // 2 for a double click, ...); 0 for everything else.
    int64_t tapCount = 0;

    GestureRecognitionResult() = default;

    // Stores every value unchanged (movement and centre already in screen points).
    GestureRecognitionResult(GestureType gestureType, float confidence, std::shared_ptr<TouchSequence> touchSequence,
                             double timestamp, double dx, double dy, double zoomOffset, double rotationAngle,
                             double swipeOffset, GestureState gestureState, Point centerPoint);

    // Takes dx, dy, swipeOffset and the centre in device units and converts them with
    // the display bounds current at the call. The swipe offset follows the axis the
    // gesture moves along: vertical for controlCenter and showDesktop, a ratio
    // (unchanged) for launchpad, horizontal for every other type.
    static GestureRecognitionResult fromDeviceUnits(GestureType gestureType, float confidence,
                                                    std::shared_ptr<TouchSequence> touchSequence, double timestamp,
                                                    double dx, double dy, double zoomOffset, double rotationAngle,
                                                    double swipeOffset, GestureState gestureState, Point centerPoint);
};

// The identifier of the sequence a result was recognised from (-1 without one).
int64_t sequenceIdOf(const GestureRecognitionResult& result);
// When the result's touch ended: its sequence's end time, else the result's time.
double endTimeOf(const GestureRecognitionResult& result);

}  // namespace touchlane
