#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "gestures/GestureRecognizerManager.h"
#include "input/TouchDataSink.h"
#include "platform/DispatchQueue.h"
#include "routing/ContactTimeout.h"
#include "routing/GestureLock.h"
#include "routing/MultiTouchEvent.h"
#include "routing/SingleTouchDeferral.h"
#include "routing/SingleTouchEvent.h"
#include "routing/TouchRemainderFilter.h"
#include "routing/TwoFingerRightClick.h"
#include "tracking/TouchBuffer.h"
#include "tracking/TouchConfiguration.h"

namespace touchlane {

// Every parsed report of the touch device passes through here. The router moves
// the work onto its own serial queue, feeds multi-touch frames to the touch buffer,
// decides for each frame whether it belongs to a locked gesture, whether a live
// multi-finger gesture can be locked now, or whether the sequence is ready to be
// recognised as a whole, holds back ambiguous taps for a short while, and turns
// the gestures into pointer, scroll and trackpad events. One router serves one
// opening of a device.
class TouchEventRouter final : public TouchDataSink, public std::enable_shared_from_this<TouchEventRouter> {
public:
    static std::shared_ptr<TouchEventRouter> create();
    ~TouchEventRouter() override;
    TouchEventRouter(const TouchEventRouter&) = delete;
    TouchEventRouter& operator=(const TouchEventRouter&) = delete;

    // Returns at once; the model is handled on the router queue. A report arriving
    // after the router is gone is dropped.
    void handleTouchData(std::shared_ptr<BaseModel> model) override;
    // Forgets every touch, lock and pending click; waits for it unless already on
    // the router queue, where it runs at once.
    void resetDeviceState() override;
    // Turns on the live-classification log lines. Not queued: it only affects logging.
    void setDebugMode(bool enabled) { debugMode_ = enabled; }

    const std::shared_ptr<DispatchQueue>& routerQueue() const { return routerQueue_; }

    // State for tests and tools; read on the router queue.
    GestureType ongoingGestureType() const { return lock_.type(); }
    const GestureLock& gestureLock() const { return lock_; }
    const SingleTouchDeferral& deferredSingleTouch() const { return singleTouchDeferral_; }
    const TwoFingerRightClick& deferredRightClick() const { return rightClick_; }
    const TouchBuffer& buffer() const { return buffer_; }
    std::string debugInfo() const { return buffer_.debugInfo(); }

private:
    struct Passkey {};

public:
    explicit TouchEventRouter(Passkey);

private:
    // Intake.
    void route(const std::shared_ptr<BaseModel>& model);
    void processMultiTouchModel(const std::shared_ptr<MultiTouchModel>& frame);
    bool shouldSealUnlatchedMultiTouch(const MultiTouchModel& frame) const;
    bool shouldIgnoreSingleTouchTail(const MultiTouchModel& frame) const;
    void handleLongPressLockedFrame(const MultiTouchModel& frame);
    void handleLockedFrame(const std::shared_ptr<MultiTouchModel>& frame);
    void handleUnlockedFrame(const std::shared_ptr<MultiTouchModel>& frame, bool ready);

    // Whole-sequence recognition; answers the gesture dispatched, if any.
    std::optional<GestureType> processBufferedSequence();
    void handleUnrecognizedSequence(const std::shared_ptr<TouchSequence>& sequence,
                                    const std::optional<GestureRecognitionResult>& raw);
    std::optional<GestureType> handleRecognizedSequence(const std::shared_ptr<TouchSequence>& sequence,
                                                        const GestureRecognitionResult& result,
                                                        const std::optional<RecognizedSequenceRecord>& previous);

    // The lock.
    void tryLockLiveGesture(const std::shared_ptr<MultiTouchModel>& frame);
    void startLockedRecognizer(GestureType type, const TouchSequence& sequence);
    void forwardToHandler(const std::shared_ptr<MultiTouchModel>& frame, GestureType type);
    bool endLockedGestureIfTouchesInsufficient(const TouchSequence& sequence);
    void finishOngoingContinuousGesture(std::string_view reason);
    void performDeviceReset();

    // Lost lifts.
    void watchForSilence(const MultiTouchModel& frame);
    void armSilenceTimer(double delayMs);
    void silenceTimerFired();
    void liftEveryContactAfterSilence();

    // Upgrade of a locked gesture when fingers join it.
    bool tryUpgradeLockedContinuousGesture(const TouchSequence& sequence, int64_t latestTouchCount);
    std::optional<GestureRecognitionResult> normalizeRecognizedResult(
        const std::optional<GestureRecognitionResult>& result, const TouchSequence& sequence) const;
    void singleTouchDispatchCancelled(const GestureRecognitionResult& result);
    void logTwoFingerSequenceMissDiagnostics(const TouchSequence& sequence) const;

    // Dispatch.
    void dispatchGesture(const GestureRecognitionResult& result);
    void simulateSingleTouchClick(const TrackedTouchPoint& finger);
    void simulateSingleTouchDoubleClick(const TrackedTouchPoint& finger, int64_t tapCount, bool earlierClickPosted);
    void dispatchDoubleTapGesture(const GestureRecognitionResult& result);
    void dispatchDoubleDoubleTapGesture(const GestureRecognitionResult& result);
    void dispatchMultiTouchGesture(const GestureRecognitionResult& result);
    void dispatchDragGesture(const GestureRecognitionResult& result);
    void dispatchLongPressGesture(const GestureRecognitionResult& result);
    void moveCursorToGestureCenterIfNeeded(GestureType type, TrackpadState state, const Point& center);
    void dispatchContinuousGestureEnded(GestureType type);
    void closeContinuousGestureFromFinishedSequence(GestureType type, const TouchSequence& sequence);
    void releaseInterruptedDrag();

    static double now();

    TouchBuffer buffer_;
    GestureRecognizerManager recognizerManager_;
    std::shared_ptr<SingleTouchEvent> singleTouchHandler_;
    MultiTouchEvent multiTouchHandler_;
    std::shared_ptr<DispatchQueue> routerQueue_;
    GestureLock lock_;
    std::atomic<bool> debugMode_{false};
    TwoFingerRightClick rightClick_;
    SingleTouchDeferral singleTouchDeferral_;
    TouchRemainderFilter remainderFilter_;
    ContactTimeout contactTimeout_{TouchConfiguration::contactTimeout};
    RouterTimer silenceTimer_;
};

}  // namespace touchlane
