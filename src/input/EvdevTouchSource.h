#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "input/EvdevEventReader.h"
#include "input/EvdevSlotState.h"
#include "input/TouchDataSink.h"
#include "platform/DispatchQueue.h"

namespace touchlane {

// Serves one multi-touch screen: reads its events on a serial queue, keeps the
// slot state and hands every completed frame to the touch router, as the HID
// reader does for the vendor frames. When the device goes away, every contact
// still down is lifted and the router reset, so no button stays pressed.
class EvdevTouchSource {
public:
    // Called on the read queue once the device has gone (not after stop).
    using GoneHandler = std::function<void()>;

    EvdevTouchSource(std::unique_ptr<EvdevEventReader> reader, std::shared_ptr<TouchDataSink> router,
                     GoneHandler onGone = {});
    ~EvdevTouchSource();
    EvdevTouchSource(const EvdevTouchSource&) = delete;
    EvdevTouchSource& operator=(const EvdevTouchSource&) = delete;

    // Starts the read loop; returns at once.
    void start();
    // Ends the read loop, waits for it, lifts what is down and resets the router.
    // Not on the read queue.
    void stop();

    // The seam of the read loop, also driven directly by tests: one kernel event.
    void handleEvent(const EvdevEvent& event);
    // The kernel dropped events: the slots are replaced by the device's state.
    void resync();
    // The device is gone: lifts every contact and resets the router. Once.
    void deviceGone();

    bool isGone() const { return gone_; }
    const std::string& name() const { return reader_->name(); }
    const std::shared_ptr<DispatchQueue>& readQueue() const { return readQueue_; }

    static constexpr int kReadTimeoutMs = 250;
    // While contacts are down and the device is silent, they are reported again
    // this often, as the vendor frames report a still finger.
    static constexpr int kHeldFrameRepeatMs = 10;

private:
    void readLoop();
    void deliver(std::shared_ptr<MultiTouchModel> frame);
    // The read loop found the device silent for a repeat interval.
    void repeatHeldContacts();
    bool contactsDown();

    std::unique_ptr<EvdevEventReader> reader_;
    std::shared_ptr<TouchDataSink> router_;
    GoneHandler onGone_;
    EvdevSlotState slots_;
    std::shared_ptr<DispatchQueue> readQueue_;
    std::atomic<bool> reading_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> gone_{false};
    // Guards the slot state between the read loop and stop/deviceGone callers.
    std::mutex slotsMutex_;
};

}  // namespace touchlane
