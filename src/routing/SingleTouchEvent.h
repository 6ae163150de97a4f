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
// frame of a replayed drag. A small state machine turns each contact into a
// pointer event: a tap clicks, a second tap released within 300 ms double-clicks,
// a touch that moves more than 200 device units drags (button down at the
// touch-down point), and a touch held 400 ms within 200 units right-clicks once and
// swallows the rest of that touch.
//
// Classification runs on the caller's queue (the router's); events are posted in
// arrival order on the handler's own serial queue "com.mouse.handle". Positions and
// distances are device units; they become screen points only when posted.
class SingleTouchEvent : public std::enable_shared_from_this<SingleTouchEvent> {
public:
    static std::shared_ptr<SingleTouchEvent> create();

    // A PenModel or a TouchPointModel; anything else changes nothing and answers none.
    TouchEventType handleSingleTouchEvent(const BaseModel& model);
    // Forgets everything: timings, state and points (device reset).
    void cancel();
    // Ends the touch in progress as if its contact were released where it was
    // last seen: a drag gets its button-up, a tap its click, and a long press stops
    // swallowing contacts. For a touch whose release never reaches the handler (a
    // drag whose last piece was dropped); nothing happens when no touch is open.
    TouchEventType finishTouch();

    TouchEventType previousTouchEventType() const { return previousTouchEventType_; }
    const std::shared_ptr<DispatchQueue>& eventQueue() const { return eventQueue_; }

private:
    struct Passkey {};

public:
    explicit SingleTouchEvent(Passkey);

private:
    enum class Contact { touching, released, other };
    TouchEventType handleContact(Contact contact, Point p, bool isPen);
    TouchEventType touching(Point p);
    TouchEventType released(bool isPen, bool& answered);
    void post(TouchEventType previous, TouchEventType event, Point p);

    const TouchEventType touchEventTypeNone_ = TouchEventType::none;
    QRVTimeStamp touchDownTimeStamp_;
    uint32_t touchDownTime_ = 0;
    QRVTimeStamp continuestTouchTimeStamp_;
    uint32_t continuestTouchTime_ = 0;
    TouchEventType previousTouchEventType_ = TouchEventType::none;
    Point previousTouchPoint_;
    Point firstTouchPoint_;
    std::shared_ptr<DispatchQueue> eventQueue_;
};

}  // namespace touchlane
