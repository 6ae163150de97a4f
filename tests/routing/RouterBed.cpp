#include "RouterBed.h"

#include <cmath>
#include <optional>

#include "synthesis/EventNumbers.h"

namespace touchlane::test {

using namespace event_numbers;

namespace {

std::optional<int64_t> field(const EventRecord& record, uint32_t number) {
    if (auto value = record.integerField(number)) return value;
    if (auto value = record.doubleField(number)) return static_cast<int64_t>(*value);
    return std::nullopt;
}

bool isGesture(const EventRecord& record, int64_t kind) {
    const auto type = field(record, kFieldEventType).value_or(record.type);
    return (type == kGesture || type == kDockSwipe) && field(record, kFieldGestureKind) == kind;
}

}  // namespace

void RouterBed::frameAt(double t, const std::vector<Contact>& contacts) {
    bed.time.advanceTo(t);
    router->handleTouchData(frame(contacts));
    bed.time.runUntilIdle();
}

void RouterBed::penAt(double t, bool down, uint16_t x, uint16_t y) {
    bed.time.advanceTo(t);
    auto pen = std::make_shared<PenModel>();
    pen->x = x;
    pen->y = y;
    pen->state = down ? PenState::down : PenState::up;
    router->handleTouchData(pen);
    bed.time.runUntilIdle();
}

void RouterBed::idleUntil(double t) {
    bed.time.advanceTo(t);
    bed.time.runUntilIdle();
}

std::vector<Contact> RouterBed::contactsAt(const std::vector<Stroke>& strokes, double fraction, bool lifted) {
    std::vector<Contact> contacts;
    for (const auto& s : strokes) {
        const auto x = static_cast<uint16_t>(std::lround(s.x0 + (s.x1 - s.x0) * fraction));
        const auto y = static_cast<uint16_t>(std::lround(s.y0 + (s.y1 - s.y0) * fraction));
        contacts.push_back({s.index, x, y, lifted ? 4u : 7u});
    }
    return contacts;
}

void RouterBed::touch(double t0, double liftAt, const std::vector<Stroke>& strokes) {
    for (double t = t0; t < liftAt; t += framePeriod) frameAt(t, contactsAt(strokes, (t - t0) / (liftAt - t0), false));
    frameAt(liftAt, contactsAt(strokes, 1.0, true));
}

std::vector<int64_t> RouterBed::leftClickStates() const {
    std::vector<int64_t> states;
    for (const auto& e : bed.windowSystem.events()) {
        if (e.record.constructor == EventConstructor::mouse && e.record.type == kLeftMouseDown) {
            states.push_back(e.record.integerField(kFieldMouseClickState).value_or(0));
        }
    }
    return states;
}

size_t RouterBed::mouseEvents(int64_t type) const {
    size_t n = 0;
    for (const auto& e : bed.windowSystem.events()) {
        n += e.record.constructor == EventConstructor::mouse && e.record.type == type;
    }
    return n;
}

size_t RouterBed::rightClicks() const { return mouseEvents(kRightMouseDown); }

std::vector<int64_t> RouterBed::gesturePhases(int64_t kind) const {
    std::vector<int64_t> phases;
    for (const auto& e : bed.windowSystem.events()) {
        if (isGesture(e.record, kind)) phases.push_back(field(e.record, kFieldGesturePhase).value_or(-1));
    }
    return phases;
}

std::vector<int64_t> RouterBed::scrollDeltasY() const {
    std::vector<int64_t> deltas;
    for (const auto& e : bed.windowSystem.events()) {
        if (e.record.integerField(kFieldEventType) == kScrollWheel && e.record.integerField(kFieldScrollIsContinuous)) {
            deltas.push_back(e.record.integerField(kFieldScrollPointDeltaAxis1).value_or(0));
        }
    }
    return deltas;
}

long RouterBed::firstIndexOf(int64_t mouseType) const {
    const auto events = bed.windowSystem.events();
    for (size_t k = 0; k < events.size(); ++k) {
        if (events[k].record.constructor == EventConstructor::mouse && events[k].record.type == mouseType) {
            return static_cast<long>(k);
        }
    }
    return -1;
}

long RouterBed::firstGestureIndex(int64_t kind, int64_t phase) const {
    const auto events = bed.windowSystem.events();
    for (size_t k = 0; k < events.size(); ++k) {
        if (isGesture(events[k].record, kind) && (phase < 0 || field(events[k].record, kFieldGesturePhase) == phase)) {
            return static_cast<long>(k);
        }
    }
    return -1;
}

}  // namespace touchlane::test
