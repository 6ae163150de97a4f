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
#include "tracking/TouchConfiguration.h"

namespace touchlane {

namespace {

// The touch-down gets this long to reach the window system before the first drag.
constexpr double kDragStartPauseMs = 5.0;

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
        return apply(contact, {double(pen->x), double(pen->y)}, true);
    }
    if (const auto* touch = dynamic_cast<const TouchPointModel*>(&model)) {
        Contact contact = touch->touchState == kTouchStateTouching ? Contact::touching
                          : touch->touchState == kTouchStateLifted ? Contact::released
                                                                   : Contact::other;
        return apply(contact, {double(touch->x), double(touch->y)}, false);
    }
    return Type::none;
}

TouchEventType SingleTouchEvent::finishTouch() {
    if (phase_ == Phase::idle) return Type::none;
    return apply(Contact::released, previousTouchPoint_, false);
}

TouchEventType SingleTouchEvent::apply(Contact contact, Point p, bool isPen) {
    switch (phase_) {
        case Phase::idle:
            if (contact == Contact::touching) {
                firstTouchPoint_ = p;
                previousTouchPoint_ = p;
                touchDownTime_ = touchDownTimeStamp_.getTimeStamp();
                phase_ = Phase::pressed;
                return Type::leftDown;
            }
            // A pen lifted without a touch leaves everything as it was.
            if (contact == Contact::released && isPen) return Type::none;
            previousTouchPoint_ = p;
            return endedAs_;
        case Phase::pressed: {
            Type answer = Type::leftDown;
            if (contact == Contact::touching) {
                answer = pressedAndTouching(p);
            } else if (contact == Contact::released) {
                answer = tapReleased();
                post(answer == Type::leftUp ? Type::leftClick : Type::leftDoubleClick, p, false);
                endedAs_ = answer;
                phase_ = Phase::idle;
            }
            previousTouchPoint_ = p;
            return answer;
        }
        case Phase::dragging:
            previousTouchPoint_ = p;
            if (contact == Contact::released) {
                post(Type::leftUp, p, false);
                endedAs_ = Type::leftUp;
                phase_ = Phase::idle;
                return Type::leftUp;
            }
            post(Type::leftDrag, p, false);
            return Type::leftDrag;
        case Phase::longPressed:
            // The right click fired: the rest of the touch is swallowed untouched.
            if (contact == Contact::touching) return Type::rightClick;
            if (contact == Contact::released) {
                print("The current state is long press, discard this event!");
                endedAs_ = Type::none;
                phase_ = Phase::idle;
                return Type::rightClick;
            }
            previousTouchPoint_ = p;
            return Type::rightClick;
    }
    return Type::none;
}

TouchEventType SingleTouchEvent::pressedAndTouching(Point p) {
    print("Distance: " + formatDecimal(distance(previousTouchPoint_, p)) + ", CurrentPoint: " + pointText(p) +
          ", PreviousPoint: " + pointText(previousTouchPoint_));
    const uint32_t now = touchDownTimeStamp_.getTimeStamp();
    if (distance(firstTouchPoint_, p) > TouchConfiguration::tapMaxDisplacement) {
        phase_ = Phase::dragging;
        post(Type::leftDrag, p, true);
        return Type::leftDrag;
    }
    if (elapsedBetween(now, touchDownTime_) > TouchConfiguration::longPressMinimumHold) {
        phase_ = Phase::longPressed;
        post(Type::rightClick, p, false);
        return Type::rightClick;
    }
    return Type::leftDown;
}

TouchEventType SingleTouchEvent::tapReleased() {
    const uint32_t now = continuestTouchTimeStamp_.getTimeStamp();
    const uint32_t last = continuestTouchTime_;
    const bool isSecondTap = last != 0 && elapsedBetween(now, last) <= TouchConfiguration::singleDoubleTapInterval;
    print(fmt::format("CurrentContinuestTime: {}, ContinuestTouchTime: {}", now, last));
    continuestTouchTime_ = touchDownTimeStamp_.getTimeStamp();
    return isSecondTap ? Type::leftDoubleClick : Type::leftUp;
}

void SingleTouchEvent::post(TouchEventType event, Point p, bool dragStarts) {
    std::weak_ptr<SingleTouchEvent> weakSelf = weak_from_this();
    const Point first = firstTouchPoint_;
    eventQueue_->async([weakSelf, event, first, p, dragStarts] {
        if (!weakSelf.lock()) return;
        if (dragStarts) {
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
    phase_ = Phase::idle;
    endedAs_ = Type::none;
    previousTouchPoint_ = {};
    firstTouchPoint_ = {};
}

}  // namespace touchlane
