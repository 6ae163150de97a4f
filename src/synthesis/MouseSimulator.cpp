#include "synthesis/MouseSimulator.h"

#include <algorithm>
#include <cmath>

#include "platform/Clock.h"
#include "logging/SystemLog.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

using namespace event_numbers;

namespace {

void post(EventTap tap, const EventRecord& event) { WindowSystem::current().post(tap, event); }

// Button presses go in without a source, at the HID level; moves and drags come
// from a combined-session source and enter at the session level.
EventRecord pressEvent(int64_t type, Point point, int64_t button) {
    return EventRecord::makeMouseEvent(false, type, point, button);
}

void postWithSource(int64_t type, Point point, int64_t button) {
    post(EventTap::session, EventRecord::makeMouseEvent(true, type, point, button));
}

void postLineScroll(int32_t wheel1, int32_t wheel2) {
    post(EventTap::session, EventRecord::makeScrollWheelEvent(true, kScrollUnitLine, 2, wheel1, wheel2));
}

// One axis of the step rule: strength is the signed, truncated half delta and
// last the remembered strength (already seeded when it was 0). A reversal posts
// nothing on that axis and forgets the strength, so the next call re-seeds it.
int64_t stepsForAxis(int64_t strength, int64_t magnitude, int64_t& last) {
    if (last * strength < 0) {
        last = 0;
        return 0;
    }
    int64_t diff = strength - last;
    if (diff == 0) return magnitude;
    bool grows = strength >= 1 ? diff >= 1 : diff < 0;
    if (!grows) return 0;
    last = strength;
    return diff > 0 ? diff : -diff;
}

// Half the delta, truncated; a value that is not a number, or too large to be a
// step count, must not become undefined behaviour in the conversion.
int64_t strengthMagnitude(double delta) {
    double half = std::abs(delta * 0.5);
    if (!(half < 2147483647.0)) return std::isnan(half) ? 0 : 2147483647;
    return static_cast<int64_t>(half);
}

void postStep(bool vertical, int32_t sign) {
    if (vertical) {
        MouseSimulator::doMouseScrollDirectionY(sign);
    } else {
        MouseSimulator::doMouseScrollDirectionX(sign);
    }
    Clock::current().sleepForMs(1);
}

}  // namespace

void MouseSimulator::doMouseLeftDown(Point point) { post(EventTap::hid, pressEvent(kLeftMouseDown, point, kLeftButton)); }

void MouseSimulator::doMouseLeftUp(Point point, bool enabled) {
    Point where = enabled ? point : WindowSystem::current().cursorLocation();
    post(EventTap::hid, pressEvent(kLeftMouseUp, where, kLeftButton));
}

void MouseSimulator::doMouseRightDown(Point point) {
    post(EventTap::hid, pressEvent(kRightMouseDown, point, kRightButton));
}

void MouseSimulator::doMouseRightUp(Point point) { post(EventTap::hid, pressEvent(kRightMouseUp, point, kRightButton)); }

void MouseSimulator::doMouseMove(Point point) {
    EventRecord move = EventRecord::makeMouseEvent(true, kMouseMoved, point, kLeftButton);
    move.setType(kMouseMoved);
    post(EventTap::session, move);
}

void MouseSimulator::doMouseLeftDrag(Point point) {
    systemLog("doMouseLeftDrag");
    postWithSource(kLeftMouseDragged, point, kLeftButton);
}

void MouseSimulator::doMouseRightDrag(Point point) { postWithSource(kRightMouseDragged, point, kRightButton); }

void MouseSimulator::doMouseClick(Point point, int64_t count) {
    EventRecord down = pressEvent(kLeftMouseDown, point, kLeftButton);
    EventRecord up = pressEvent(kLeftMouseUp, point, kLeftButton);
    down.setIntegerField(kFieldMouseClickState, count);
    up.setIntegerField(kFieldMouseClickState, count);
    post(EventTap::hid, pressEvent(kMouseMoved, point, kLeftButton));
    post(EventTap::hid, down);
    post(EventTap::hid, up);
}

void MouseSimulator::doMouseLeftClick(Point point) { doMouseClick(point, 1); }

void MouseSimulator::doMouseLeftDoubleClick(Point point) {
    doMouseClick(point, 1);
    doMouseClick(point, 2);
}

void MouseSimulator::doMouseRightClick(Point point) {
    EventRecord down = pressEvent(kRightMouseDown, point, kRightButton);
    EventRecord up = pressEvent(kRightMouseUp, point, kRightButton);
    post(EventTap::hid, down);
    post(EventTap::hid, up);
}

void MouseSimulator::doMouseScrollDirectionX(int32_t value) { postLineScroll(0, value); }

void MouseSimulator::doMouseScrollDirectionY(int32_t value) { postLineScroll(value, 0); }

void MouseSimulator::doMouseScrollWheel(Point delta) {
    if (delta.x == 0 && delta.y == 0) return;
    const int64_t mx = strengthMagnitude(delta.x);
    const int64_t my = strengthMagnitude(delta.y);
    const int32_t sx = delta.x < 0 ? -1 : 1;
    const int32_t sy = delta.y < 0 ? -1 : 1;
    const int64_t xs = sx * mx;
    const int64_t ys = sy * my;
    systemLog("Move with X strength: {}, Y strength: {}", xs, ys);

    // Scrolling from rest: release any button a drag may have left down.
    const bool releaseButton = strengths_.lastXStrength == 0 && strengths_.lastYStrength == 0;
    if (strengths_.lastXStrength == 0) strengths_.lastXStrength = xs;
    if (strengths_.lastYStrength == 0) strengths_.lastYStrength = ys;
    const int64_t stepsX = stepsForAxis(xs, mx, strengths_.lastXStrength);
    const int64_t stepsY = stepsForAxis(ys, my, strengths_.lastYStrength);
    if (releaseButton) doMouseLeftUp({}, false);

    // A y reversal has no y steps, so only the x steps remain; otherwise pairs
    // (y then x) first, then what is left of each axis.
    int64_t pairs = std::min(stepsX, stepsY);
    for (int64_t i = 0; i < pairs; ++i) {
        postStep(true, sy);
        postStep(false, sx);
    }
    for (int64_t i = pairs; i < stepsY; ++i) postStep(true, sy);
    for (int64_t i = pairs; i < stepsX; ++i) postStep(false, sx);
}

}  // namespace touchlane
