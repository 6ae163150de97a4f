#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <vector>

#include "input/HidApi.h"

namespace touchlane::test {

// The input reports of one fake HID interface. Thread-safe: a test pushes
// reports while the reader's loop reads them.
class FakeReportStream {
public:
    void push(std::vector<uint8_t> report) { add(std::move(report), 0); }
    void pushTimeout() { add({}, 0); }
    void pushError(int code = -1) { add({}, code); }
    // With an empty script a read waits (briefly, on the real clock) for a push
    // and then times out; with waiting off it fails as a vanished device does.
    void setWaitsForReports(bool waits) { std::lock_guard lock(mutex_); waitsForReports_ = waits; }

    int read(std::span<uint8_t> buffer, int timeoutMs);
    void setOpen(bool open) { std::lock_guard lock(mutex_); open_ = open; }
    std::vector<int> timeoutsAsked() const { std::lock_guard lock(mutex_); return timeoutsAsked_; }

    std::atomic<int> readCount{0};
    std::atomic<int> readsWhileClosed{0};

private:
    // A report, a time-out (empty, 0) or an error (empty, negative).
    void add(std::vector<uint8_t> report, int error);

    mutable std::mutex mutex_;
    std::condition_variable pushed_;
    std::deque<std::pair<std::vector<uint8_t>, int>> steps_;
    bool waitsForReports_ = false;
    bool open_ = false;
    std::vector<int> timeoutsAsked_;
};

// One HID interface of a fake device and how it behaves.
struct FakeHidInterface {
    HidDeviceInfo info;
    // Enumeration lists the interface from this media time on (the hidraw node
    // appears a while after the USB arrival).
    double appearsAtMs = -std::numeric_limits<double>::infinity();
    bool opens = true;
    int featureReportResult = 3;
    std::optional<std::wstring> manufacturer = L"Maker";
    std::optional<std::wstring> product = L"Frame";
    std::optional<std::wstring> serialNumber = L"0001";
    std::shared_ptr<FakeReportStream> reports = std::make_shared<FakeReportStream>();
};

// Scriptable HID library. Thread-safe.
class FakeHidApi final : public HidApi {
public:
    void addInterface(FakeHidInterface added) { std::lock_guard lock(mutex_); interfaces_.push_back(std::move(added)); }
    void setLastError(std::optional<std::wstring> message) { std::lock_guard lock(mutex_); lastError_ = std::move(message); }

    bool init() override { return true; }
    void exit() override {}
    std::vector<HidDeviceInfo> enumerate(uint16_t vendorID, uint16_t productID) override;
    std::unique_ptr<HidDevice> openPath(const std::string& path) override;
    std::optional<std::wstring> lastError() override { std::lock_guard lock(mutex_); return lastError_; }

    std::vector<std::string> openedPaths() const { std::lock_guard lock(mutex_); return openedPaths_; }
    // Every feature report sent, in order.
    std::vector<std::vector<uint8_t>> featureReports() const { std::lock_guard lock(mutex_); return featureReports_; }

    std::atomic<int> enumerateCount{0};
    // Interfaces open right now.
    std::atomic<int> openDeviceCount{0};

private:
    class Device;
    mutable std::mutex mutex_;
    std::vector<FakeHidInterface> interfaces_;
    std::optional<std::wstring> lastError_;
    std::vector<std::string> openedPaths_;
    std::vector<std::vector<uint8_t>> featureReports_;
};

// An interface of a supported touch frame at the given path.
inline HidDeviceInfo hidInfo(int interfaceNumber, uint16_t usagePage, uint16_t usage, std::string path,
                             uint16_t vendorID = 0x1FF7, uint16_t productID = 0x0F01) {
    return {std::move(path), vendorID, productID, interfaceNumber, usagePage, usage};
}

}  // namespace touchlane::test
