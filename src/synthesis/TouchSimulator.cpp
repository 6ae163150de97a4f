#include "synthesis/TouchSimulator.h"

#include <bit>
#include <memory>
#include <mutex>

#include "platform/DispatchQueue.h"
#include "logging/SystemLog.h"
#include "synthesis/EventNumbers.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

using namespace event_numbers;

namespace {

// Fields only the window system's dock-swipe handling reads.
constexpr uint32_t kFieldEventMarker = 41;
constexpr double kEventMarker = 33231.0;
constexpr uint32_t kFieldSwipeTypeBitsA = 119;
constexpr uint32_t kFieldSwipeTypeBitsB = 139;
constexpr uint32_t kFieldSwipeTypeB = 165;
constexpr uint32_t kFieldSwipeProgressFloatBits = 135;
constexpr uint32_t kFieldSwipeInverted = 136;
constexpr uint32_t kFieldExitSpeedA = 129;
constexpr uint32_t kFieldExitSpeedB = 130;
constexpr uint32_t kFieldPhaseCopy = 134;

constexpr double kRepostShortDelayMs = 200.0;
constexpr double kRepostLongDelayMs = 500.0;

}  // namespace

struct TouchSimulator::Shared {
    std::mutex mutex;
    DockSwipeState state;
    std::shared_ptr<DispatchQueue> repostQueue;
    std::shared_ptr<WorkItem> shortRepost;
    std::shared_ptr<WorkItem> longRepost;
    // Bumped by every begin and end; a re-post made for another generation is stale.
    uint64_t generation = 0;

    // Called with the mutex held.
    void cancelReposts() {
        ++generation;
        if (shortRepost) shortRepost->cancel();
        if (longRepost) longRepost->cancel();
        shortRepost.reset();
        longRepost.reset();
    }

    // Called with the mutex held. The re-posts hold the state weakly: once the
    // simulator is gone they find nothing to post.
    static void scheduleReposts(const std::shared_ptr<Shared>& self, const DockSwipeEvents& events) {
        self->cancelReposts();
        if (!self->repostQueue) self->repostQueue = makeSerialQueue("org.touchlane.dock-swipe.reposts");
        auto repost = [events, generation = self->generation, weak = std::weak_ptr<Shared>(self)] {
            const auto shared = weak.lock();
            if (!shared) return;
            std::lock_guard lock(shared->mutex);
            // A begin or end that raced with this timer has already superseded it.
            if (shared->generation != generation) return;
            TouchSimulator::dockSwipeTimerFired(events);
        };
        self->shortRepost = WorkItem::make(repost);
        self->longRepost = WorkItem::make(repost);
        self->repostQueue->asyncAfter(kRepostShortDelayMs, self->shortRepost);
        self->repostQueue->asyncAfter(kRepostLongDelayMs, self->longRepost);
    }
};

namespace {

void postDockSwipeEvents(const TouchSimulator::DockSwipeEvents& events) {
    WindowSystem::current().post(EventTap::session, events.gestureData);
    WindowSystem::current().post(EventTap::session, events.companion);
}

// The double whose single-precision bit pattern is the given small integer.
double doubleWithFloatBits(int64_t bits) {
    return static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(bits)));
}

EventRecord gestureEvent(int64_t kind, int64_t phase) {
    EventRecord event = EventRecord::makeEmpty();
    event.setIntegerField(kFieldEventType, kGesture);
    event.setIntegerField(kFieldGestureKind, kind);
    event.setIntegerField(kFieldGesturePhase, phase);
    return event;
}

}  // namespace

TouchSimulator::TouchSimulator() : shared_(std::make_shared<Shared>()) {}

TouchSimulator::~TouchSimulator() {
    std::shared_ptr<DispatchQueue> released;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->cancelReposts();
        released = std::move(shared_->repostQueue);
    }
    // Released outside the lock: a thread-backed queue waits for its running block,
    // which may be a re-post waiting for that lock.
    released.reset();
}

void TouchSimulator::postRotationEventWithRotation(double rotation, int32_t phase) {
    systemLog("Posting roration event with amount: {:f}, phase: {}", rotation, phase);
    EventRecord event = gestureEvent(kGestureRotation, phase);
    event.setDoubleField(kFieldRotationAmount, rotation);
    WindowSystem::current().post(EventTap::hid, event);
}

void TouchSimulator::postMagnificationEventWithMagnification(double magnification, int32_t phase) {
    systemLog("Posting magnification event with amount: {:f}, phase: {}", magnification, phase);
    EventRecord event = EventRecord::makeEmpty();
    event.setType(kGesture);
    event.setIntegerField(kFieldGestureKind, kGestureMagnification);
    event.setIntegerField(kFieldGesturePhase, phase);
    event.setDoubleField(kFieldMagnificationAmount, magnification);
    WindowSystem::current().post(EventTap::hid, event);
}

void TouchSimulator::postSmartZoomEvent() {
    EventRecord event = EventRecord::makeEmpty();
    event.setIntegerField(kFieldEventType, kGesture);
    event.setIntegerField(kFieldGestureKind, kGestureSmartZoom);
    WindowSystem::current().post(EventTap::hid, event);
}

void TouchSimulator::postDockSwipeEventWithDelta(double delta, int64_t type, uint16_t phase,
                                                 bool invertedFromDevice) {
    if (type < kDockSwipeHorizontal || type > kDockSwipeShowDesktop) {
        systemLog("Dock swipe with unknown type {} not posted", type);
        return;
    }
    const double v = (type == kDockSwipeShowDesktop && !invertedFromDevice) ? -delta : delta;
    const bool isEnd = phase == kPhaseEnded || phase == kPhaseCancelled;

    Shared& s = *shared_;
    std::lock_guard lock(s.mutex);
    if (phase == kPhaseBegan) {
        s.cancelReposts();
        s.state.originOffset = v;
    } else if (phase == kPhaseChanged) {
        if (v == 0) return;
        s.state.originOffset += v;
    }
    const double originOffset = s.state.originOffset;

    DockSwipeEvents events{EventRecord::makeEmpty(), EventRecord::makeEmpty()};
    events.companion.setDoubleField(kFieldEventType, kGesture);
    events.companion.setDoubleField(kFieldEventMarker, kEventMarker);

    EventRecord& data = events.gestureData;
    data.setDoubleField(kFieldEventType, kDockSwipe);
    data.setDoubleField(kFieldGestureKind, kGestureDockSwipe);
    data.setDoubleField(kFieldGesturePhase, phase);
    data.setDoubleField(kFieldPhaseCopy, phase);
    data.setDoubleField(kFieldSwipeProgress, originOffset);
    data.setIntegerField(kFieldSwipeProgressFloatBits, std::bit_cast<uint32_t>(static_cast<float>(originOffset)));
    data.setDoubleField(kFieldEventMarker, kEventMarker);
    data.setDoubleField(kFieldSwipeTypeBitsA, doubleWithFloatBits(type));
    data.setDoubleField(kFieldSwipeTypeBitsB, doubleWithFloatBits(type));
    data.setDoubleField(kFieldSwipeType, static_cast<double>(type));
    data.setDoubleField(kFieldSwipeTypeB, static_cast<double>(type));
    data.setIntegerField(kFieldSwipeInverted, (invertedFromDevice || type == kDockSwipeShowDesktop) ? 1 : 0);

    if (isEnd) {
        const double exitSpeed = s.state.lastDockSwipeDelta / 100.0;
        data.setDoubleField(kFieldExitSpeedA, exitSpeed);
        data.setDoubleField(kFieldExitSpeedB, exitSpeed);
        systemLog("ExitSpeed: {:f}", exitSpeed);
        systemLog("Dock Swipe exit: {:f}, originOffset: {:f}, phase: {}, type: {}", 100.0 * s.state.lastDockSwipeDelta,
                  originOffset, phase, type);
    } else {
        systemLog("Dock Swipe delta: {:f} originOffset: {:f}, phase: {}, type: {}", v, originOffset, phase, type);
    }

    postDockSwipeEvents(events);
    if (isEnd) Shared::scheduleReposts(shared_, events);
    if (v != 0) s.state.lastDockSwipeDelta = v;
}

void TouchSimulator::dockSwipeTimerFired(const DockSwipeEvents& events) {
    systemLog("{}", "+[TouchSimulator dockSwipeTimerFired:]");
    postDockSwipeEvents(events);
}

TouchSimulator::DockSwipeState TouchSimulator::dockSwipeState() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->state;
}

}  // namespace touchlane
