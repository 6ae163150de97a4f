#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "input/HidApi.h"

namespace touchlane {

// Passes every call through to another HID library and, on the way, hands each
// input report its devices read to a callback with the media time of the read,
// tells when a read fails (the device went away), and keeps what went wrong while
// opening, so that a recorder can say why it got no device.
class RecordingHidApi final : public HidApi {
public:
    using ReportHandler = std::function<void(std::span<const uint8_t> report, double mediaTimeMs)>;
    using ReadErrorHandler = std::function<void()>;

    RecordingHidApi(std::shared_ptr<HidApi> inner, ReportHandler onReport, ReadErrorHandler onReadError);

    bool init() override;
    void exit() override;
    std::vector<HidDeviceInfo> enumerate(uint16_t vendorID, uint16_t productID) override;
    std::unique_ptr<HidDevice> openPath(const std::string& path) override;
    std::optional<std::wstring> lastError() override;

    // What the opening attempts met: interfaces listed, and the library's error
    // text of the last interface that would not open.
    struct OpenHistory {
        size_t interfacesListed = 0;
        size_t interfacesOpened = 0;
        std::optional<std::string> lastOpenError;
        std::optional<int> lastFeatureReportResult;
        std::optional<std::string> product;  // the opened device's product string
        std::string openedPath;              // the interface last opened
    };
    OpenHistory openHistory() const;

private:
    class Device;

    std::shared_ptr<HidApi> inner_;
    ReportHandler onReport_;
    ReadErrorHandler onReadError_;
    mutable std::mutex mutex_;
    OpenHistory history_;
};

}  // namespace touchlane
