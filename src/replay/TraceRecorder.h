#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/SingleInstanceLock.h"
#include "input/HidApi.h"
#include "input/USBDeviceConfig.h"
#include "input/USBDeviceMonitor.h"
#include "input/UsbApi.h"
#include "platform/Geometry.h"
#include "platform/OpenFileHolders.h"
#include "replay/RecordingHidApi.h"

namespace touchlane {

// Records what a touch frame sends, for replaying it later: opens the first
// supported device exactly as the agent does (same device list, configuration,
// interface selection and multi-touch mode report), writes a display line, then
// a report line for every input report read, timed from the start of the
// recording. Reports are read on the reader's queue and written as they come.
class TraceRecorder {
public:
    struct Environment {
        std::shared_ptr<UsbApi> usb;               // empty: libusb
        std::shared_ptr<HidApi> hid;               // empty: hidapi
        const USBDeviceConfig* config = nullptr;   // none: SupportDevice.plist
        // Who else has the opened interface open; empty: a look through /proc.
        std::function<std::vector<OpenFileHolder>(const std::string& path)> holdersOf;
        // The agent's single-instance lock; empty: the agent's own path.
        std::string agentLockPath;
    };

    enum class Status { recording, agentRunning, noUsb, noDevice, noInterface, noAccess, notAccepted, deviceBusy };

    TraceRecorder(std::ostream& output, Environment environment);
    ~TraceRecorder();
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    // Takes the agent's lock, so that no agent starts during the recording, then
    // opens the device and starts recording; `recording`, or why not (see problem()).
    Status start(const Rect& displayBounds);
    // What to tell the user when start did not get to recording.
    const std::string& problem() const { return problem_; }
    // Ends reading, closes the device and lets an agent start again; every report
    // read by then is written.
    void stop();

    // The read failed: the device went away, or its node was removed.
    bool deviceGone() const { return deviceGone_; }
    size_t reportCount() const;
    bool writeFailed() const;

private:
    void writeReport(std::span<const uint8_t> report, double mediaTimeMs);
    Status diagnose();
    // Another reader of the device (the agent, above all) would make the recording
    // and the agent's gestures both incomplete.
    bool deviceHeldElsewhere(const UsbDeviceDescriptor& device);
    void writeLine(const std::string& line);

    std::ostream& output_;
    Environment environment_;
    std::shared_ptr<RecordingHidApi> hid_;
    std::optional<SingleInstanceLock> agentLock_;
    std::shared_ptr<USBDeviceMonitor> monitor_;
    std::string problem_;
    std::atomic<bool> deviceGone_{false};

    mutable std::mutex mutex_;
    double startMs_ = 0;
    // Reports read while the device is still being opened wait here, so that they
    // follow the header lines.
    bool headerWritten_ = false;
    std::vector<std::string> pending_;
    size_t reportCount_ = 0;
    bool writeFailed_ = false;
};

}  // namespace touchlane
