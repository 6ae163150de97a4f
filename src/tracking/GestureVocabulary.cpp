#include "tracking/GestureVocabulary.h"

namespace touchlane {

std::optional<GestureType> gestureTypeFromRaw(int64_t raw) {
    if (raw < 0 || raw >= static_cast<int64_t>(allGestureTypes.size())) return std::nullopt;
    return static_cast<GestureType>(raw);
}

std::optional<TrackpadState> trackpadStateFromRaw(int64_t raw) {
    if (raw < 0 || raw > rawValue(TrackpadState::ended)) return std::nullopt;
    return static_cast<TrackpadState>(raw);
}

std::optional<TrackpadEvent> trackpadEventFromRaw(int64_t raw) {
    if (raw < 0 || raw > rawValue(TrackpadEvent::smartZoom)) return std::nullopt;
    return static_cast<TrackpadEvent>(raw);
}

std::string_view caseName(GestureType type) {
    switch (type) {
        case GestureType::none: return "none";
        case GestureType::singleTap: return "singleTap";
        case GestureType::singleDoubleTap: return "singleDoubleTap";
        case GestureType::doubleTap: return "doubleTap";
        case GestureType::doubleDoubleTap: return "doubleDoubleTap";
        case GestureType::scroll: return "scroll";
        case GestureType::zoom: return "zoom";
        case GestureType::rotation: return "rotation";
        case GestureType::swipe: return "swipe";
        case GestureType::drag: return "drag";
        case GestureType::controlCenter: return "controlCenter";
        case GestureType::showDesktop: return "showDesktop";
        case GestureType::launchpad: return "launchpad";
        case GestureType::longPress: return "longPress";
    }
    return "unknown";
}

std::string_view caseName(GestureState state) {
    switch (state) {
        case GestureState::began: return "began";
        case GestureState::changed: return "changed";
        case GestureState::ended: return "ended";
    }
    return "unknown";
}

std::string_view caseName(TrackpadState state) {
    switch (state) {
        case TrackpadState::none: return "none";
        case TrackpadState::begin: return "begin";
        case TrackpadState::changed: return "changed";
        case TrackpadState::ended: return "ended";
    }
    return "unknown";
}

std::string_view caseName(TrackpadEvent event) {
    switch (event) {
        case TrackpadEvent::none: return "none";
        case TrackpadEvent::scroll: return "scroll";
        case TrackpadEvent::zoom: return "zoom";
        case TrackpadEvent::rotation: return "rotation";
        case TrackpadEvent::showDesktop: return "showDesktop";
        case TrackpadEvent::launchpad: return "launchpad";
        case TrackpadEvent::controlCenter: return "controlCenter";
        case TrackpadEvent::swipe: return "swipe";
        case TrackpadEvent::smartZoom: return "smartZoom";
    }
    return "unknown";
}

std::string_view caseName(TouchLifecycleState state) {
    switch (state) {
        case TouchLifecycleState::began: return "began";
        case TouchLifecycleState::moved: return "moved";
        case TouchLifecycleState::ended: return "ended";
        case TouchLifecycleState::cancelled: return "cancelled";
    }
    return "unknown";
}

std::string_view caseName(TouchSequenceState state) {
    switch (state) {
        case TouchSequenceState::idle: return "idle";
        case TouchSequenceState::touching: return "touching";
        case TouchSequenceState::ended: return "ended";
        case TouchSequenceState::cancelled: return "cancelled";
    }
    return "unknown";
}

std::string_view caseName(LockedScrollAxis axis) {
    switch (axis) {
        case LockedScrollAxis::horizontal: return "horizontal";
        case LockedScrollAxis::vertical: return "vertical";
    }
    return "unknown";
}

std::ostream& operator<<(std::ostream& out, GestureType value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, GestureState value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, TrackpadState value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, TrackpadEvent value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, TouchLifecycleState value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, TouchSequenceState value) { return out << caseName(value); }
std::ostream& operator<<(std::ostream& out, LockedScrollAxis value) { return out << caseName(value); }

}  // namespace touchlane
