#pragma once

#include <cstdint>

#include "synthesis/EventRecord.h"

// The window system's own numbers for event types, mouse buttons, numbered event
// fields, gesture kinds and phases. They are its wire format: every simulator and
// every backend that maps records to real input must agree on them.
namespace touchlane::event_numbers {

// Event types.
inline constexpr int64_t kLeftMouseDown = 1;
inline constexpr int64_t kLeftMouseUp = 2;
inline constexpr int64_t kRightMouseDown = 3;
inline constexpr int64_t kRightMouseUp = 4;
inline constexpr int64_t kMouseMoved = 5;
inline constexpr int64_t kLeftMouseDragged = 6;
inline constexpr int64_t kRightMouseDragged = 7;
inline constexpr int64_t kScrollWheel = kScrollWheelEventType;
inline constexpr int64_t kGesture = 29;
inline constexpr int64_t kDockSwipe = 30;

// Mouse buttons.
inline constexpr int64_t kLeftButton = 0;
inline constexpr int64_t kRightButton = 1;

// Scroll-wheel units.
inline constexpr int32_t kScrollUnitLine = 1;

// Numbered fields.
inline constexpr uint32_t kFieldMouseClickState = 1;
inline constexpr uint32_t kFieldScrollDeltaAxis1 = 11;  // vertical lines
inline constexpr uint32_t kFieldScrollDeltaAxis2 = 12;  // horizontal lines
inline constexpr uint32_t kFieldEventType = 55;
inline constexpr uint32_t kFieldScrollIsContinuous = 88;
inline constexpr uint32_t kFieldScrollFixedPtDeltaAxis1 = 93;
inline constexpr uint32_t kFieldScrollFixedPtDeltaAxis2 = 94;
inline constexpr uint32_t kFieldScrollPointDeltaAxis1 = 96;
inline constexpr uint32_t kFieldScrollPointDeltaAxis2 = 97;
inline constexpr uint32_t kFieldScrollPhase = 99;
inline constexpr uint32_t kFieldGestureKind = 110;
inline constexpr uint32_t kFieldMagnificationAmount = 113;
inline constexpr uint32_t kFieldRotationAmount = 114;
inline constexpr uint32_t kFieldGestureScrollX = 116;
inline constexpr uint32_t kFieldGestureScrollY = 119;
inline constexpr uint32_t kFieldScrollMomentumPhase = 123;
inline constexpr uint32_t kFieldGesturePhase = 132;
// A dock swipe's type and its progress (origin offset), as doubles; the type
// shares its number with the scroll momentum phase of scroll events.
inline constexpr uint32_t kFieldSwipeType = 123;
inline constexpr uint32_t kFieldSwipeProgress = 124;
inline constexpr uint32_t kFieldScrollInvertedFromDevice = 137;

// Gesture kinds (field 110).
inline constexpr int64_t kGestureRotation = 5;
inline constexpr int64_t kGestureScroll = 6;
inline constexpr int64_t kGestureMagnification = 8;
inline constexpr int64_t kGestureSmartZoom = 22;
inline constexpr int64_t kGestureDockSwipe = 23;

// Phases of scroll and gesture events (bits).
inline constexpr uint16_t kPhaseUndefined = 0;
inline constexpr uint16_t kPhaseBegan = 1;
inline constexpr uint16_t kPhaseChanged = 2;
inline constexpr uint16_t kPhaseEnded = 4;
inline constexpr uint16_t kPhaseCancelled = 8;

inline constexpr int32_t kMomentumPhaseNone = 0;

}  // namespace touchlane::event_numbers
