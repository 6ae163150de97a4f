#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "input/HidApi.h"
#include "input/ParseUsbData.h"
#include "input/TouchDataSink.h"
#include "platform/DispatchQueue.h"

namespace touchlane {

// Owns the open HID connection to the touch device: picks the interface that
// carries touch reports, switches the device to multi-touch reporting and reads
// its reports on a serial queue, handing each parsed model to the touch router.
// Every opened device gets a fresh parser and a fresh router.
class USBReader {
public:
    // Makes the router of a newly opened device (the touch event router in the
    // program, a fake in tests).
    using TouchRouterFactory = std::function<std::shared_ptr<TouchDataSink>()>;

    // How an open reports its failure: at once, or not at all (an open that is
    // retried logs its failure once). A successful open always logs its lines.
    enum class FailureLogging { log, quiet };

    // Initialises the HID library; none, after a log line, when it cannot.
    static std::unique_ptr<USBReader> create(std::shared_ptr<HidApi> hid, TouchRouterFactory makeTouchRouter);
    ~USBReader();
    USBReader(const USBReader&) = delete;
    USBReader& operator=(const USBReader&) = delete;

    // Opens the device's touch interface and starts reading; true when reading.
    // A device still open is closed first, so there is never more than one.
    // With a USB path, only that device's interfaces are considered (another frame
    // of the same model may be attached too).
    bool openDeviceWithVendorID(uint16_t vendorID, uint16_t productID,
                                FailureLogging failureLogging = FailureLogging::log, const std::string& usbPath = {});
    // Sends the multi-touch mode feature report: bytes sent, negative on error,
    // -1 with no device open.
    int setMultitouchMode();
    // Starts the read loop on the read queue when a device is open; returns at once.
    void readTouchData();
    // Stops reading, waits for the read loop to end, closes the device and resets
    // the parser and the router. Safe when nothing is open; not on the read queue.
    void closeDevice();

    // Called on the read queue when a read fails while the device is meant to be
    // read (a USB reset, an unplug): the loop has ended and the device needs
    // closing and opening again, which must not happen on the read queue.
    void setReadErrorHandler(std::function<void()> handler);

    bool isContinueReading() const { return isContinueReading_; }
    bool isDeviceOpen() const;
    std::shared_ptr<TouchDataSink> touchRouter() const;
    void setTouchRouter(std::shared_ptr<TouchDataSink> router);
    std::shared_ptr<ParseUsbData> parser() const;
    void setParser(std::shared_ptr<ParseUsbData> parser);
    const std::shared_ptr<DispatchQueue>& readQueue() const { return readQueue_; }

    static constexpr size_t kReportBufferSize = 64;
    static constexpr int kReadTimeoutMs = 1000;

private:
    class OpenLog;

    USBReader(std::shared_ptr<HidApi> hid, TouchRouterFactory makeTouchRouter);
    bool openDevice(uint16_t vendorID, uint16_t productID, const std::string& usbPath, OpenLog& log);
    std::unique_ptr<HidDevice> openTouchInterface(uint16_t vendorID, uint16_t productID, const std::string& usbPath,
                                                  OpenLog& log);
    int sendMultitouchMode(OpenLog& log);
    void logDeviceStrings(OpenLog& log);
    void readLoop();
    // The parser and router for the next report, made on first use.
    std::pair<std::shared_ptr<ParseUsbData>, std::shared_ptr<TouchDataSink>> parserAndRouter();

    std::shared_ptr<HidApi> hid_;
    TouchRouterFactory makeTouchRouter_;
    // Written only while the read loop is not running (opening, or closing after
    // the loop has ended); read by the loop.
    std::unique_ptr<HidDevice> deviceHandle_;
    std::shared_ptr<DispatchQueue> readQueue_;
    std::atomic<bool> isContinueReading_{false};
    mutable std::mutex modelsMutex_;
    std::shared_ptr<TouchDataSink> touchRouter_;
    std::shared_ptr<ParseUsbData> parser_;
    std::function<void()> readErrorHandler_;  // guarded by modelsMutex_
};

}  // namespace touchlane
