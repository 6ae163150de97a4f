#include "FakeHidApi.h"

#include <algorithm>
#include <chrono>

#include "platform/Clock.h"

namespace touchlane::test {

// How long a fake read waits on the real clock before it reports a time-out;
// short so that closing a reader in a test is quick.
constexpr auto kFakeReadWait = std::chrono::milliseconds(20);

void FakeReportStream::add(std::vector<uint8_t> report, int error) {
    std::lock_guard lock(mutex_);
    steps_.emplace_back(std::move(report), error);
    pushed_.notify_all();
}

int FakeReportStream::read(std::span<uint8_t> buffer, int timeoutMs) {
    std::unique_lock lock(mutex_);
    ++readCount;
    readsWhileClosed += !open_;
    timeoutsAsked_.push_back(timeoutMs);
    if (steps_.empty()) {
        if (!waitsForReports_) return -1;
        if (!pushed_.wait_for(lock, kFakeReadWait, [this] { return !steps_.empty(); })) return 0;
    }
    auto [report, error] = std::move(steps_.front());
    steps_.pop_front();
    if (report.empty()) return error;
    const size_t size = std::min(report.size(), buffer.size());
    std::copy_n(report.begin(), size, buffer.begin());
    return static_cast<int>(size);
}

class FakeHidApi::Device final : public HidDevice {
public:
    Device(FakeHidApi& api, FakeHidInterface hidInterface) : api_(api), interface_(std::move(hidInterface)) {
        interface_.reports->setOpen(true);
    }
    ~Device() override {
        interface_.reports->setOpen(false);
        --api_.openDeviceCount;
    }

    int readTimeout(std::span<uint8_t> out, int timeoutMs) override { return interface_.reports->read(out, timeoutMs); }

    int sendFeatureReport(std::span<const uint8_t> report) override {
        std::lock_guard lock(api_.mutex_);
        api_.featureReports_.emplace_back(report.begin(), report.end());
        return interface_.featureReportResult;
    }

    std::optional<std::wstring> string(HidStringKind kind, size_t maxCharacters) override {
        const auto& text = kind == HidStringKind::manufacturer ? interface_.manufacturer
                           : kind == HidStringKind::product    ? interface_.product
                                                               : interface_.serialNumber;
        return text ? std::optional(text->substr(0, maxCharacters)) : std::nullopt;
    }

private:
    FakeHidApi& api_;
    FakeHidInterface interface_;
};

std::vector<HidDeviceInfo> FakeHidApi::enumerate(uint16_t vendorID, uint16_t productID) {
    const double now = Clock::current().mediaTimeMs();
    std::lock_guard lock(mutex_);
    ++enumerateCount;
    std::vector<HidDeviceInfo> result;
    for (const auto& c : interfaces_)
        if (c.info.vendorID == vendorID && c.info.productID == productID && now >= c.appearsAtMs) result.push_back(c.info);
    return result;
}

std::unique_ptr<HidDevice> FakeHidApi::openPath(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (const auto& candidate : interfaces_) {
        if (candidate.info.path != path || !candidate.opens) continue;
        openedPaths_.push_back(path);
        ++openDeviceCount;
        return std::make_unique<Device>(*this, candidate);
    }
    return nullptr;
}

}  // namespace touchlane::test
