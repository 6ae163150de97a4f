#include "replay/TraceRecorder.h"

#include <fmt/format.h>

#include "logging/EscapedText.h"
#include "platform/BundleInfo.h"
#include "platform/Clock.h"
#include "platform/ProcessInfo.h"
#include "platform/TimeFormat.h"
#include "replay/TraceWriter.h"

namespace touchlane {

namespace {

constexpr const char* kQuitAgentAdvice = "Quit the agent from its tray menu, record, then start it again.";

std::string deviceName(const UsbDeviceDescriptor& device) {
    return fmt::format("{:04x}:{:04x}", device.idVendor, device.idProduct);
}

}  // namespace

TraceRecorder::TraceRecorder(std::ostream& output, Environment environment)
    : output_(output), environment_(std::move(environment)) {
    if (!environment_.usb) environment_.usb = makeSystemUsbApi();
    if (!environment_.hid) environment_.hid = makeSystemHidApi();
    if (!environment_.config) environment_.config = &USBDeviceConfig::shared();
    if (!environment_.holdersOf) environment_.holdersOf = processesHoldingOpen;
    if (environment_.agentLockPath.empty()) environment_.agentLockPath = SingleInstanceLock::defaultLockPath();
}

TraceRecorder::~TraceRecorder() { stop(); }

TraceRecorder::Status TraceRecorder::start(const Rect& displayBounds) {
    // Two readers of one frame would each miss what the other does with it.
    agentLock_.emplace(environment_.agentLockPath);
    if (agentLock_->state() == SingleInstanceLock::State::heldElsewhere) {
        problem_ = fmt::format("the Touchlane agent is running (it holds {}) and reads the touch frame itself. {}",
                               environment_.agentLockPath, kQuitAgentAdvice);
        agentLock_.reset();
        return Status::agentRunning;
    }
    {
        std::lock_guard lock(mutex_);
        startMs_ = Clock::current().mediaTimeMs();
    }
    hid_ = std::make_shared<RecordingHidApi>(
        environment_.hid, [this](std::span<const uint8_t> report, double timeMs) { writeReport(report, timeMs); },
        [this] { deviceGone_ = true; });
    USBDeviceMonitor::Environment monitorEnvironment;
    monitorEnvironment.usb = environment_.usb;
    monitorEnvironment.hid = hid_;
    // The parsed frames go nowhere: the recording is of the reports themselves.
    monitorEnvironment.makeTouchRouter = [] { return std::shared_ptr<TouchDataSink>(); };
    // The agent's tray shows its own device, not the recorder's.
    monitorEnvironment.publishConnection = [](bool) {};
    monitorEnvironment.config = environment_.config;
    // One look at the attached devices; no hot-plug watching.
    monitorEnvironment.runsEventLoopThread = false;
    monitor_ = USBDeviceMonitor::create(std::move(monitorEnvironment));
    const UsbDeviceDescriptor device = monitor_->findDevice();
    if (!monitor_->usbReader() || !monitor_->usbReader()->isDeviceOpen()) {
        const Status status = diagnose();
        stop();
        return status;
    }
    if (deviceHeldElsewhere(device)) {
        stop();
        return Status::deviceBusy;
    }

    std::lock_guard lock(mutex_);
    // Escaped: a newline in the device's product name would start a directive that
    // the replay obeys.
    const auto product = escapeControlCharacters(hid_->openHistory().product.value_or(""));
    writeLine(fmt::format("# Recorded by touchlane-record {} from touch frame {} {}, starting {}",
                          BundleInfo::shortVersion(), deviceName(device), product,
                          formatNow("%Y-%m-%d %H:%M:%S", 0, '.')));
    writeLine(displayTraceLine(displayBounds));
    for (const auto& line : pending_) writeLine(line);
    pending_.clear();
    headerWritten_ = true;
    return Status::recording;
}

TraceRecorder::Status TraceRecorder::diagnose() {
    if (!monitor_->hasContext()) {
        problem_ = "cannot reach the USB bus: libusb failed to start.";
        return Status::noUsb;
    }
    std::vector<UsbDeviceDescriptor> attached;
    environment_.usb->deviceDescriptors(attached);
    const UsbDeviceDescriptor* supported = nullptr;
    for (const auto& device : attached) {
        if (monitor_->isValidDevice(device)) {
            supported = &device;
            break;
        }
    }
    if (!supported) {
        problem_ =
            "no supported touch frame is attached. Plug it in and run touchlane-record again; a frame that is "
            "plugged in must have its vendor and product listed in SupportDevice.plist.";
        return Status::noDevice;
    }
    const std::string name = deviceName(*supported);
    const auto history = hid_->openHistory();
    if (history.interfacesListed == 0) {
        problem_ = fmt::format(
            "the touch frame {} shows no HID interface. Check that the kernel's usbhid driver is loaded, then "
            "unplug the frame and plug it in again.",
            name);
        return Status::noInterface;
    }
    if (history.interfacesOpened == 0) {
        problem_ = fmt::format(
            "no access to the touch frame {} ({}). Install Touchlane's udev rules (the touchlane package, or "
            "scripts/install-udev-rules), then unplug the frame and plug it in again; or run touchlane-record "
            "as root.",
            name, history.lastOpenError.value_or("open failed"));
        return Status::noAccess;
    }
    problem_ = fmt::format(
        "the touch frame {} did not accept the multi-touch mode report (result {}). Unplug it, plug it in "
        "again and retry.",
        name, history.lastFeatureReportResult.value_or(-1));
    return Status::notAccepted;
}

bool TraceRecorder::deviceHeldElsewhere(const UsbDeviceDescriptor& device) {
    const std::string path = hid_->openHistory().openedPath;
    for (const auto& holder : environment_.holdersOf(path)) {
        if (holder.processId == ProcessInfo::processId()) continue;
        problem_ = fmt::format(
            "the touch frame {} ({}) is in use by {} (process {}), most likely the Touchlane agent. {}",
            deviceName(device), path, holder.name, holder.processId, kQuitAgentAdvice);
        return true;
    }
    return false;
}

void TraceRecorder::stop() {
    // Closing waits for the read loop to end, so every report read is written.
    monitor_.reset();
    agentLock_.reset();
    std::lock_guard lock(mutex_);
    output_.flush();
}

void TraceRecorder::writeReport(std::span<const uint8_t> report, double mediaTimeMs) {
    std::lock_guard lock(mutex_);
    std::string line = reportTraceLine(mediaTimeMs - startMs_, report);
    ++reportCount_;
    if (headerWritten_) {
        writeLine(line);
    } else {
        pending_.push_back(std::move(line));
    }
}

void TraceRecorder::writeLine(const std::string& line) {
    // Flushed line by line: a recording cut short by a crash or a kill keeps
    // everything written before it.
    output_ << line << '\n' << std::flush;
    if (!output_) writeFailed_ = true;
}

size_t TraceRecorder::reportCount() const {
    std::lock_guard lock(mutex_);
    return reportCount_;
}

bool TraceRecorder::writeFailed() const {
    std::lock_guard lock(mutex_);
    return writeFailed_;
}

}  // namespace touchlane
