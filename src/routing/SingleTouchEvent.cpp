#include "routing/SingleTouchEvent.h"

#include <cmath>

#include <fmt/format.h>

#include "input/TouchModels.h"
#include "logging/Logger.h"
#include "platform/Clock.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/WindowSystem.h"
#include "tracking/DecimalFormat.h"
#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

namespace {

constexpr double kDragDistance = 200.0;          // device units from the touch-down point
constexpr uint32_t kLongPressMs = 400;           // held this long within kDragDistance
constexpr uint32_t kDoubleTapIntervalMs = 300;   // between the releases of two taps
constexpr double kDragStartPauseMs = 5.0;        // between the button-down and the first drag

using Type = TouchEventType;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

std::string pointText(Point p) { return "(" + formatDecimal(p.x) + ", " + formatDecimal(p.y) + ")"; }

// The screen's own rectangle and point texts: numbers in braces.
std::string braced(Point p) { return fmt::format("{{{}, {}}}", p.x, p.y); }
std::string braced(Rect r) { return fmt::format("{{{}, {}}}", braced(Point{r.x, r.y}), braced(Point{r.width, r.height})); }

void print(const std::string& line) { Logger::shared().log(line); }

// Posts one event at a device point, converted to screen points now.
void perform(Type event, Point device) {
    const Rect bounds = WindowSystem::current().mainDisplayBounds();
    const Point p = GestureRemoteToMacMapper::macPoint(device.x, device.y, bounds);
    print("MainRect: " + braced(bounds));
    print(fmt::format("EventType: {}, ConvertPoint: {}", static_cast<int64_t>(event), braced(p)));
    const double startMs = Clock::current().mediaTimeMs();
    switch (event) {
        case Type::leftDown:
            MouseSimulator::doMouseMove(p);
            MouseSimulator::doMouseLeftDown(p);
            break;
        case Type::leftUp:
            MouseSimulator::doMouseLeftUp(p, true);
            break;
        case Type::rightDown:
            MouseSimulator::doMouseMove(p);
            MouseSimulator::doMouseRightDown(p);
            break;
        case Type::rightUp:
            MouseSimulator::doMouseRightUp(p);
            break;
        case Type::leftDrag:
            MouseSimulator::doMouseLeftDrag(p);
            break;
        case Type::leftClick:
            MouseSimulator::doMouseMove(p);
            MouseSimulator::doMouseLeftClick(p);
            break;
        case Type::rightClick:
            MouseSimulator::doMouseMove(p);
            MouseSimulator::doMouseRightClick(p);
            break;
        case Type::leftDoubleClick:
            // The first tap's click was posted at its release, so only the second
            // click remains; a full double click here would be a third press.
            MouseSimulator::doMouseMove(p);
            MouseSimulator::doMouseClick(p, 2);
            break;
        case Type::noEvent:
            break;
        default:
            return;
    }
    print("-----------Touch handler time : " + formatDecimal((Clock::current().mediaTimeMs() - startMs) / 1000.0));
}

}  // namespace

std::shared_ptr<SingleTouchEvent> SingleTouchEvent::create() { return std::make_shared<SingleTouchEvent>(Passkey{}); }

SingleTouchEvent::SingleTouchEvent(Passkey) : eventQueue_(makeSerialQueue("com.mouse.handle")) {}

TouchEventType SingleTouchEvent::handleSingleTouchEvent(const BaseModel& model) {
    if (const auto* pen = dynamic_cast<const PenModel*>(&model)) {
        Contact contact = pen->state == PenState::down ? Contact::touching
                          : pen->state == PenState::up ? Contact::released
                                                       : Contact::other;
        return handleContact(contact, {double(pen->x), double(pen->y)}, true);
    }
    if (const auto* touch = dynamic_cast<const TouchPointModel*>(&model)) {
        Contact contact = touch->touchState == kTouchStateTouching ? Contact::touching
                          : touch->touchState == kTouchStateLifted ? Contact::released
                                                                   : Contact::other;
        return handleContact(contact, {double(touch->x), double(touch->y)}, false);
    }
    return touchEventTypeNone_;
}

TouchEventType SingleTouchEvent::finishTouch() {
    const Type s = previousTouchEventType_;
    if (s != Type::leftDown && s != Type::leftDrag && s != Type::rightClick) return touchEventTypeNone_;
    return handleContact(Contact::released, previousTouchPoint_, false);
}

TouchEventType SingleTouchEvent::touching(Point p) {
    const Type s = previousTouchEventType_;
    if (s == Type::none || s == Type::leftUp || s == Type::leftDoubleClick) {
        firstTouchPoint_ = p;
        touchDownTime_ = touchDownTimeStamp_.getTimeStamp();
        return Type::leftDown;
    }
    if (s != Type::leftDown) return s;
    print("Distance: " + formatDecimal(distance(previousTouchPoint_, p)) + ", CurrentPoint: " + pointText(p) +
          ", PreviousPoint: " + pointText(previousTouchPoint_));
    const uint32_t now = touchDownTimeStamp_.getTimeStamp();
    if (distance(firstTouchPoint_, p) > kDragDistance) return Type::leftDrag;
    if (elapsedBetween(now, touchDownTime_) > kLongPressMs) return Type::rightClick;
    return Type::leftDown;
}

TouchEventType SingleTouchEvent::released(bool isPen, bool& answered) {
    const Type s = previousTouchEventType_;
    answered = false;
    if (s == Type::leftDown) {
        const uint32_t now = continuestTouchTimeStamp_.getTimeStamp();
        const uint32_t last = continuestTouchTime_;
        const bool isSecondTap = last != 0 && elapsedBetween(now, last) <= kDoubleTapIntervalMs;
        print(fmt::format("CurrentContinuestTime: {}, ContinuestTouchTime: {}", now, last));
        continuestTouchTime_ = touchDownTimeStamp_.getTimeStamp();
        return isSecondTap ? Type::leftDoubleClick : Type::leftUp;
    }
    if (s == Type::leftDrag) return Type::leftUp;
    if (s == Type::rightClick) {
        print("The current state is long press, discard this event!");
        previousTouchEventType_ = touchEventTypeNone_;
        answered = true;
        return Type::rightClick;
    }
    if (isPen) {
        answered = true;
        return touchEventTypeNone_;
    }
    return s;
}

TouchEventType SingleTouchEvent::handleContact(Contact contact, Point p, bool isPen) {
    const Type s = previousTouchEventType_;
    Type n = s;
    if (contact == Contact::touching) {
        // A long press already fired: the rest of its touch is swallowed untouched.
        if (s == Type::rightClick) return Type::rightClick;
        n = touching(p);
    } else if (contact == Contact::released) {
        bool answered = false;
        n = released(isPen, answered);
        if (answered) return n;
    }

    previousTouchPoint_ = p;
    if (n == Type::leftDrag) {
        post(s, Type::leftDrag, p);
    } else if (n != Type::leftDown && n != s) {
        const Type event = (n == Type::leftUp && s == Type::leftDown) ? Type::leftClick : n;
        if (n == Type::leftUp || n == Type::rightClick || n == Type::leftDoubleClick) post(s, event, p);
    }
    previousTouchEventType_ = n;
    return n;
}

void SingleTouchEvent::post(TouchEventType previous, TouchEventType event, Point p) {
    std::weak_ptr<SingleTouchEvent> weakSelf = weak_from_this();
    const Point first = firstTouchPoint_;
    eventQueue_->async([weakSelf, previous, event, first, p] {
        if (!weakSelf.lock()) return;
        if (previous == Type::leftDown && event == Type::leftDrag) {
            // The drag starts where the finger went down.
            perform(Type::leftDown, first);
            Clock::current().sleepForMs(kDragStartPauseMs);
        }
        perform(event, p);
    });
}

void SingleTouchEvent::cancel() {
    touchDownTimeStamp_.reset();
    continuestTouchTimeStamp_.reset();
    touchDownTime_ = 0;
    continuestTouchTime_ = 0;
    previousTouchEventType_ = touchEventTypeNone_;
    previousTouchPoint_ = {};
    firstTouchPoint_ = {};
}

}  // namespace touchlane
