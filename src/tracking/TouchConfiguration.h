#pragma once

namespace touchlane {

// Tuning constants of tracking, recognition and routing. Durations are ms of the
// media clock, "points" are screen points, "units" are device units (0 to 32767).
struct TouchConfiguration {
    TouchConfiguration() = delete;

    // Taps.
    static constexpr double tapMaxDuration = 300.0;
    // Two fingers held for a tap land and lift up to about 40 ms apart each, and
    // the touch is only over once the first of them lifts: a tap held 300 ms lasts
    // up to 400 ms from the first landing.
    static constexpr double twoFingerTapMaxDuration = tapMaxDuration + 100.0;
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

    // Real frames jitter by tens of units a frame, drop reports and carry resting
    // hands; these floors keep noise from becoming gestures.

    // A tapping or long-pressing finger stays within this distance of where it
    // landed (units): jitter of +-40 units and a finger rolling as it lifts stay
    // inside, a deliberate drag leaves it within a few frames.
    static constexpr double tapMaxDisplacement = 200.0;
    // Quick taps continue a click series (click state 2, 3, ...) while each lands
    // this close to the one before (points): about a fingertip on a large display,
    // so neighbouring keys of an on-screen keypad start series of their own.
    static constexpr double tapSeriesMaxDistance = 40.0;
    // Two fingers lock a scroll, pinch or rotation only after one of them moved this
    // far from where it landed (points). Jitter of +-40 units is at most 2.4 points
    // and fingers settling as they land or lift about 3; a deliberate scroll passes
    // 8 points within a few tens of ms.
    static constexpr double twoFingerMotionFloor = 8.0;
    // Three or more fingers start a desktop action only once they travelled this far
    // on average from where they landed (points): a hand resting or leaning on the
    // frame never does, a swipe passes it early.
    static constexpr double multiFingerActionDistance = 40.0;
    // A contact this wide or high (units) is a palm, the side of a hand or an object,
    // not a finger: fingertips report a few hundred units even on small frames.
    static constexpr double palmMinSide = 1500.0;
    // With no report for this long every contact counts as lifted (ms). Frames report
    // every 5 to 20 ms while touched and recorded touchscreens paused at most 170 ms
    // mid-touch, so only a lost lift gets this far.
    static constexpr double contactTimeout = 300.0;
};

}  // namespace touchlane
