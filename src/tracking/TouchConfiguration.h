#pragma once

namespace touchlane {

// Tuning constants of tracking, recognition and routing. Durations are ms of the
// media clock, "points" are screen points, "units" are device units (0 to 32767).
struct TouchConfiguration {
    TouchConfiguration() = delete;

    // Taps.
    static constexpr double tapMaxDuration = 300.0;
    static constexpr double singleDoubleTapInterval = 300.0;
    static constexpr double twoFingerDoubleTapInterval = 400.0;
    static constexpr double twoFingerDoubleTapDistance = 50.0;  // points

    // A two-finger touch counts as still while both paths stay within these (points).
    static constexpr double twoFingerStationaryMaxNet = 28.0;
    static constexpr double twoFingerStationaryMaxPathLength = 55.0;

    // Deferred dispatch.
    static constexpr double twoFingerRightClickDelay = 700.0;
    // How long a sequence is collected before recognition; also the least duration
    // of an open sequence before a continuous gesture may start.
    static constexpr double bufferWindow = 100.0;
    static constexpr double singleTouchPromotionWindow = 80.0;

    // A single contact that suddenly grows this much announces more fingers.
    static constexpr double contactSurgeMinMajorSide = 150.0;  // units
    static constexpr double contactSurgeMinMinorSide = 120.0;  // units
    static constexpr double contactSurgeMinAreaRatio = 2.4;
    static constexpr double contactSurgeMinSideRatio = 1.45;

    // Long-press drift tolerance, and the least path of a scrolling finger (units).
    static constexpr double movementTolerance = 20.0;

    // Posted rotation degrees are scaled by this.
    static constexpr double rotationScale = 0.5;
    static constexpr double pinchStartThreshold = 0.0025;
    static constexpr double pinchMinimumStep = 0.0008;

    // Screen points behind GestureRemoteToMacMapper::remoteMovementThreshold().
    static constexpr double remoteMovementThresholdPoints = 12.0;

    // Two-finger rotation and zoom (angles in radians, chord changes as ratios).
    static constexpr double rotationStartMinAngleStep = 0.03;
    static constexpr double rotationStartMaxChordChange = 0.14;
    static constexpr double liveZoomMinChordChange = 0.018;
    static constexpr double rotationContinueMaxChordChange = 0.22;
    static constexpr double rotationMinimumStep = 0.012;
    static constexpr double liveRotationMinAngleToChordRatio = 0.2;

    // Scroll axis filter (points).
    static constexpr double scrollMinimumDelta = 0.6;
    static constexpr double scrollReversalMinimum = 2.4;

    // Two fingers move in opposite directions when their paths are at least this
    // many degrees apart (a pinch rather than a scroll).
    static constexpr double oppositeMotionAngle = 135.0;

    // Radial-motion test: least ratio of motion along the finger axis to across it.
    static constexpr double radialMotionMinRatio = 1.12;

    static constexpr double longPressMinimumHold = 400.0;
};

}  // namespace touchlane
