#include "input/USBReader.h"

#include <array>
#include <vector>

#include "input/WideText.h"
#include "logging/EscapedText.h"
#include "logging/StandardErrorLog.h"

namespace touchlane {

namespace {

// Switches the device from single-touch mouse reports to multi-touch reports:
// report ID 0x04, mode value 0x02.
constexpr std::array<uint8_t, 3> kMultitouchModeReport{0x04, 0x02, 0x00};
constexpr size_t kMaximumStringCharacters = 255;

bool isMouse(const HidDeviceInfo& info) { return info.usagePage == 0x01 && info.usage == 0x02; }

// The interface selection passes, tried in this order: the vendor's own
// interface 0, then a digitizer, then anything that is not the mouse.
struct SelectionPass {
    const char* name;
    bool (*qualifies)(const HidDeviceInfo&);
};
constexpr SelectionPass kSelectionPasses[] = {
    {"interface_0_non_mouse", [](const HidDeviceInfo& info) { return info.interfaceNumber == 0 && !isMouse(info); }},
    {"digitizer_usage_page", [](const HidDeviceInfo& info) { return info.usagePage == 0x0D; }},
    {"first_non_mouse", [](const HidDeviceInfo& info) { return !isMouse(info); }},
};

std::string describeError(const std::optional<std::wstring>& message) {
    if (!message) return "(no message)";
    return wideToUtf8(*message).value_or("(decode failed)");
}

}  // namespace

// The lines of one open. A quiet open keeps them until it succeeds, so an open
// retried many times logs its failure once (from the first, loud try) and its
// success in full.
class USBReader::OpenLog {
public:
    explicit OpenLog(FailureLogging mode) : deferred_(mode == FailureLogging::quiet) {}

    template <typename... Args>
    void line(fmt::format_string<Args...> format, Args&&... args) {
        std::string message = fmt::format(format, std::forward<Args>(args)...);
        if (deferred_) {
            lines_.push_back(std::move(message));
        } else {
            stderrLog(message);
        }
    }

    void succeeded() {
        for (const auto& message : lines_) stderrLog(message);
        lines_.clear();
    }

private:
    bool deferred_;
    std::vector<std::string> lines_;
};

std::unique_ptr<USBReader> USBReader::create(std::shared_ptr<HidApi> hid, TouchRouterFactory makeTouchRouter) {
    if (!hid->init()) {
        stderrLog("Failed to initialize hidapi");
        return nullptr;
    }
    return std::unique_ptr<USBReader>(new USBReader(std::move(hid), std::move(makeTouchRouter)));
}

USBReader::USBReader(std::shared_ptr<HidApi> hid, TouchRouterFactory makeTouchRouter)
    : hid_(std::move(hid)),
      makeTouchRouter_(std::move(makeTouchRouter)),
      readQueue_(makeSerialQueue("usb.read.hid.data")) {}

USBReader::~USBReader() {
    closeDevice();
    hid_->exit();
}

bool USBReader::openDeviceWithVendorID(uint16_t vendorID, uint16_t productID, FailureLogging failureLogging,
                                       const std::string& usbPath) {
    // Two read loops on one handle, or a handle replaced under a running loop,
    // would read from a closed device.
    if (deviceHandle_) closeDevice();
    OpenLog log(failureLogging);
    if (!openDevice(vendorID, productID, usbPath, log)) return false;
    log.succeeded();
    return true;
}

bool USBReader::openDevice(uint16_t vendorID, uint16_t productID, const std::string& usbPath, OpenLog& log) {
    deviceHandle_ = openTouchInterface(vendorID, productID, usbPath, log);
    if (!deviceHandle_) return false;
    logDeviceStrings(log);
    if (sendMultitouchMode(log) < 1) {
        log.line("Set touch model failed!");
        deviceHandle_.reset();
        return false;
    }
    isContinueReading_ = true;
    readTouchData();
    return true;
}

std::unique_ptr<HidDevice> USBReader::openTouchInterface(uint16_t vendorID, uint16_t productID,
                                                         const std::string& usbPath, OpenLog& log) {
    auto interfaces = hid_->enumerate(vendorID, productID);
    // Interfaces of another device of the same model are not this device's.
    if (!usbPath.empty()) {
        std::erase_if(interfaces,
                      [&](const HidDeviceInfo& info) { return !info.usbPath.empty() && info.usbPath != usbPath; });
    }
    if (interfaces.empty()) {
        log.line("No HID devices found for VID:0x{:04x} PID:0x{:04x}", vendorID, productID);
        return nullptr;
    }
    for (const auto& info : interfaces) {
        log.line("HID Interface found - interface_number:{}, usage_page:0x{:04x}, usage:0x{:04x}, path:{}",
                 info.interfaceNumber, info.usagePage, info.usage, info.path);
    }
    for (const auto& pass : kSelectionPasses) {
        for (const auto& info : interfaces) {
            if (!pass.qualifies(info)) continue;
            if (auto device = hid_->openPath(info.path)) {
                log.line("Opened touch HID [{}]: interface:{} usage_page:0x{:04x} usage:0x{:04x} path:{}", pass.name,
                         info.interfaceNumber, info.usagePage, info.usage, info.path);
                return device;
            }
            log.line("Failed to open HID [{}] path:{} error:{}", pass.name, info.path, describeError(hid_->lastError()));
        }
    }
    log.line("Unable to open any touch candidate HID for VID:0x{:04x} PID:0x{:04x}", vendorID, productID);
    return nullptr;
}

void USBReader::logDeviceStrings(OpenLog& log) {
    // The device chooses these strings: escaped, a newline in one cannot forge a log line.
    auto text = [this](HidStringKind kind) {
        auto wide = deviceHandle_->string(kind, kMaximumStringCharacters);
        return wide ? escapeControlCharacters(wideToUtf8(*wide).value_or("(decode failed)")) : std::string();
    };
    log.line("Manufacturer: {}\n", text(HidStringKind::manufacturer));
    log.line("Product: {}\n", text(HidStringKind::product));
    log.line("Serial Number: {}\n", text(HidStringKind::serialNumber));
}

int USBReader::setMultitouchMode() {
    OpenLog log(FailureLogging::log);
    return sendMultitouchMode(log);
}

int USBReader::sendMultitouchMode(OpenLog& log) {
    if (!deviceHandle_) return -1;
    const int result = deviceHandle_->sendFeatureReport(kMultitouchModeReport);
    log.line("hid_send_feature_report result = {}", result);
    if (result < 0) {
        log.line("Failed to send Set Config command");
    } else {
        log.line("Set Config command sent successfully");
    }
    return result;
}

void USBReader::readTouchData() {
    if (!deviceHandle_) return;
    readQueue_->async([this] { readLoop(); });
}

void USBReader::readLoop() {
    std::array<uint8_t, kReportBufferSize> buffer{};
    while (isContinueReading_) {
        HidDevice* device = deviceHandle_.get();
        if (!device) return;
        const int result = device->readTimeout(buffer, kReadTimeoutMs);
        // A read error (a reset, the device gone) ends the loop; the owner closes
        // the device and opens it again, or waits for its departure.
        if (result < 0) {
            std::function<void()> handler;
            {
                std::lock_guard lock(modelsMutex_);
                handler = readErrorHandler_;
            }
            if (handler && isContinueReading_) handler();
            return;
        }
        if (result == 0) continue;
        const auto report = std::span<const uint8_t>(buffer).first(std::min<size_t>(result, buffer.size()));
        auto [parser, router] = parserAndRouter();
        auto model = parser->parseData(report);
        if (model && router) router->handleTouchData(std::move(model));
    }
}

std::pair<std::shared_ptr<ParseUsbData>, std::shared_ptr<TouchDataSink>> USBReader::parserAndRouter() {
    std::lock_guard lock(modelsMutex_);
    if (!touchRouter_ && makeTouchRouter_) touchRouter_ = makeTouchRouter_();
    if (!parser_) parser_ = std::make_shared<ParseUsbData>();
    return {parser_, touchRouter_};
}

void USBReader::closeDevice() {
    stderrLog("-[USBReader closeDevice]");
    isContinueReading_ = false;
    // The loop sees the cleared flag within one read time-out; only then may the
    // handle it reads from be closed.
    readQueue_->sync([] {});
    deviceHandle_.reset();
    std::shared_ptr<ParseUsbData> parser;
    std::shared_ptr<TouchDataSink> router;
    {
        std::lock_guard lock(modelsMutex_);
        parser = std::move(parser_);
        router = std::move(touchRouter_);
        parser_.reset();
        touchRouter_.reset();
    }
    if (parser) parser->resetParserState();
    if (router) router->resetDeviceState();
}

void USBReader::setReadErrorHandler(std::function<void()> handler) {
    std::lock_guard lock(modelsMutex_);
    readErrorHandler_ = std::move(handler);
}

bool USBReader::isDeviceOpen() const { return deviceHandle_ != nullptr; }

std::shared_ptr<TouchDataSink> USBReader::touchRouter() const {
    std::lock_guard lock(modelsMutex_);
    return touchRouter_;
}

void USBReader::setTouchRouter(std::shared_ptr<TouchDataSink> router) {
    std::lock_guard lock(modelsMutex_);
    touchRouter_ = std::move(router);
}

std::shared_ptr<ParseUsbData> USBReader::parser() const {
    std::lock_guard lock(modelsMutex_);
    return parser_;
}

void USBReader::setParser(std::shared_ptr<ParseUsbData> parser) {
    std::lock_guard lock(modelsMutex_);
    parser_ = std::move(parser);
}

}  // namespace touchlane
