#pragma once

#include <cstdint>
#include <memory>

#include "platform/DispatchQueue.h"
#include "platform/Geometry.h"
#include "routing/QRVTimeStamp.h"

namespace touchlane {

struct BaseModel;

// What one contact produced, and how it is posted.
enum class TouchEventType : int64_t {
    none = 20,
    leftDown = 21,
    leftUp = 22,
    rightDown = 23,
    rightUp = 24,
    leftDrag = 25,
    leftClick = 26,
    rightClick = 27,
    leftDoubleClick = 28,
    noEvent = 29,
};

// Emulates a mouse with one contact: a pen report, or the first contact of each
// frame of a replayed drag. Its phase says what the contact is doing:
//
//   idle        --touch-->                               pressed (remembers where and when)
//   pressed     --moved past the tap distance-->         dragging (left down at the landing, drag)
//   pressed     --held for the long press-->             longPressed (right click)
//   pressed     --release-->                             idle (click; click state 2 within the double-tap interval)
//   dragging    --touch / release-->                     dragging (drag) / idle (left up)
//   longPressed --touch / release-->                     longPressed / idle (nothing: the rest is swallowed)
//
// Classification runs on the caller's queue (the router's); events are posted in
// arrival order on the handler's own serial queue "com.mouse.handle". Positions and
// distances are device units; they become screen points only when posted.
class SingleTouchEvent : public std::enable_shared_from_this<SingleTouchEvent> {
public:
    enum class Phase { idle, pressed, dragging, longPressed };

    static std::shared_ptr<SingleTouchEvent> create();

    // A PenModel or a TouchPointModel; anything else changes nothing and answers none.
    // Answers the event type the contact produced, as a mouse-event state.
    TouchEventType handleSingleTouchEvent(const BaseModel& model);
    // Forgets everything: timings, phase and points (device reset).
    void cancel();
    // Ends the touch in progress as if its contact were released where it was
    // last seen: a drag gets its button-up, a tap its click, and a long press stops
    // swallowing contacts. For a touch whose release never reaches the handler (a
    // drag whose last piece was dropped); nothing happens when no touch is open.
    TouchEventType finishTouch();

    Phase phase() const { return phase_; }
    const std::shared_ptr<DispatchQueue>& eventQueue() const { return eventQueue_; }

private:
    struct Passkey {};

public:
    explicit SingleTouchEvent(Passkey);

private:
    enum class Contact { touching, released, other };
    // The one transition function: applies a contact to the phase and posts what it produced.
    TouchEventType apply(Contact contact, Point p, bool isPen);
    TouchEventType pressedAndTouching(Point p);
    TouchEventType tapReleased();
    void post(TouchEventType event, Point p, bool dragStarts);

    QRVTimeStamp touchDownTimeStamp_;
    uint32_t touchDownTime_ = 0;
    QRVTimeStamp continuestTouchTimeStamp_;
    uint32_t continuestTouchTime_ = 0;
    Phase phase_ = Phase::idle;
    // How the last touch ended, answered by contacts that find the phase idle.
    TouchEventType endedAs_ = TouchEventType::none;
    Point previousTouchPoint_;
    Point firstTouchPoint_;
    std::shared_ptr<DispatchQueue> eventQueue_;
};

}  // namespace touchlane
