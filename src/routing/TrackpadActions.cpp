#include "routing/TrackpadActions.h"

#include "routing/MultiTouchEvent.h"

namespace touchlane {

double trackpadOffset(GestureType type, const GestureRecognitionResult& result) {
    switch (type) {
        case GestureType::zoom:
            return result.zoomOffset;
        case GestureType::rotation:
            return result.rotationAngle;
        case GestureType::controlCenter:
            return result.dy;
        case GestureType::swipe:
        case GestureType::showDesktop:
        case GestureType::launchpad:
            return result.swipeOffset;
        default:
            return 0;
    }
}

bool postTrackpadStep(MultiTouchEvent& handler, GestureType type, const GestureRecognitionResult& result,
                      TrackpadState phase) {
    const double offset = trackpadOffset(type, result);
    switch (type) {
        case GestureType::scroll:
            handler.scrollWithDx(result.dx, result.dy, phase);
            return true;
        case GestureType::zoom:
            handler.zoomWithOffset(offset, phase);
            return true;
        case GestureType::rotation:
            handler.rotateWithOffset(offset, phase);
            return true;
        case GestureType::swipe:
            handler.swipeWithOffset(offset, phase);
            return true;
        case GestureType::controlCenter:
            handler.showControlCenterWithOffset(offset, phase);
            return true;
        case GestureType::showDesktop:
            handler.showDesktopWithOffset(offset, phase);
            return true;
        case GestureType::launchpad:
            handler.showLaunchpadWithOffset(offset, phase);
            return true;
        default:
            return false;
    }
}

}  // namespace touchlane
