#include "tracking/GestureRecognitionResult.h"

#include <utility>

#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

GestureRecognitionResult::GestureRecognitionResult(GestureType gestureType, float confidence,
                                                   std::shared_ptr<TouchSequence> touchSequence, double timestamp,
                                                   double dx, double dy, double zoomOffset, double rotationAngle,
                                                   double swipeOffset, GestureState gestureState, Point centerPoint)
    : gestureType(gestureType),
      confidence(confidence),
      touchSequence(std::move(touchSequence)),
      timestamp(timestamp),
      dx(dx),
      dy(dy),
      zoomOffset(zoomOffset),
      rotationAngle(rotationAngle),
      swipeOffset(swipeOffset),
      gestureState(gestureState),
      centerPoint(centerPoint) {}

GestureRecognitionResult GestureRecognitionResult::fromDeviceUnits(
    GestureType gestureType, float confidence, std::shared_ptr<TouchSequence> touchSequence, double timestamp,
    double dx, double dy, double zoomOffset, double rotationAngle, double swipeOffset, GestureState gestureState,
    Point centerPoint) {
    using Mapper = GestureRemoteToMacMapper;
    const double convertedDx = dx * Mapper::horizontalScale();
    const double convertedDy = dy * Mapper::verticalScale();
    const Point convertedCenter = Mapper::macPoint(centerPoint.x, centerPoint.y);
    double convertedSwipe = swipeOffset;
    switch (gestureType) {
        case GestureType::controlCenter:
        case GestureType::showDesktop: convertedSwipe = swipeOffset * Mapper::verticalScale(); break;
        case GestureType::launchpad: break;
        default: convertedSwipe = swipeOffset * Mapper::horizontalScale(); break;
    }
    return {gestureType, confidence,    std::move(touchSequence), timestamp,    convertedDx,    convertedDy,
            zoomOffset,  rotationAngle, convertedSwipe,           gestureState, convertedCenter};
}

int64_t sequenceIdOf(const GestureRecognitionResult& result) {
    return result.touchSequence ? result.touchSequence->sequenceId() : -1;
}

double endTimeOf(const GestureRecognitionResult& result) {
    if (result.touchSequence) {
        if (auto end = result.touchSequence->endTimestamp()) return *end;
    }
    return result.timestamp;
}

}  // namespace touchlane
