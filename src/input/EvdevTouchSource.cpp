#include "input/EvdevTouchSource.h"

#include "logging/StandardErrorLog.h"

namespace touchlane {

EvdevTouchSource::EvdevTouchSource(std::unique_ptr<EvdevEventReader> reader, std::shared_ptr<TouchDataSink> router,
                                   GoneHandler onGone)
    : reader_(std::move(reader)),
      router_(std::move(router)),
      onGone_(std::move(onGone)),
      slots_(reader_->axes()),
      readQueue_(makeSerialQueue("evdev.read.touch")) {}

EvdevTouchSource::~EvdevTouchSource() { stop(); }

void EvdevTouchSource::start() {
    if (gone_ || reading_.exchange(true)) return;
    started_ = true;
    readQueue_->async([this] {
        // The device's contacts and slot as they stand when serving begins: the
        // kernel sends only what changes from here on.
        resync();
        readLoop();
    });
}

void EvdevTouchSource::stop() {
    reading_ = false;
    // The loop notices within one read time-out, or has ended by itself when the
    // device went; either way it must be over before the reader (and with it the
    // device) can go.
    if (started_) readQueue_->sync([] {});
    deviceGone();
}

void EvdevTouchSource::readLoop() {
    EvdevEvent event;
    while (reading_) {
        switch (reader_->next(event, contactsDown() ? kHeldFrameRepeatMs : kReadTimeoutMs)) {
            case EvdevEventReader::Status::event:
                handleEvent(event);
                break;
            case EvdevEventReader::Status::idle:
                repeatHeldContacts();
                break;
            case EvdevEventReader::Status::dropped:
                stderrLog("Touchscreen \"{}\" dropped events; resynchronising its contacts", reader_->name());
                handleEvent({event.timeMs, 0x00, 0x03, 0});  // SYN_DROPPED
                resync();
                break;
            case EvdevEventReader::Status::gone:
                stderrLog("Touchscreen \"{}\" is gone; its contacts are lifted", reader_->name());
                reading_ = false;
                deviceGone();
                if (onGone_) onGone_();
                return;
        }
    }
}

void EvdevTouchSource::handleEvent(const EvdevEvent& event) {
    std::shared_ptr<MultiTouchModel> frame;
    {
        std::lock_guard lock(slotsMutex_);
        if (gone_) return;
        frame = slots_.handle(event.type, event.code, event.value);
    }
    deliver(std::move(frame));
}

void EvdevTouchSource::resync() {
    const auto present = reader_->presentSlots();
    std::shared_ptr<MultiTouchModel> frame;
    {
        std::lock_guard lock(slotsMutex_);
        if (gone_) return;
        frame = slots_.resync(present, reader_->currentSlot());
    }
    deliver(std::move(frame));
}

void EvdevTouchSource::deviceGone() {
    std::shared_ptr<MultiTouchModel> frame;
    {
        std::lock_guard lock(slotsMutex_);
        if (gone_.exchange(true)) return;
        frame = slots_.liftAll();
    }
    deliver(std::move(frame));
    // The lift frame is queued before the reset, so the router ends the gesture
    // it belongs to (a drag releases its button) before it forgets every touch.
    if (router_) router_->resetDeviceState();
}

bool EvdevTouchSource::contactsDown() {
    std::lock_guard lock(slotsMutex_);
    return slots_.activeContactCount() > 0;
}

void EvdevTouchSource::repeatHeldContacts() {
    std::shared_ptr<MultiTouchModel> frame;
    {
        std::lock_guard lock(slotsMutex_);
        if (gone_) return;
        frame = slots_.heldFrame();
    }
    deliver(std::move(frame));
}

void EvdevTouchSource::deliver(std::shared_ptr<MultiTouchModel> frame) {
    if (frame && router_) router_->handleTouchData(std::move(frame));
}

}  // namespace touchlane
