#include "replay/RecordingHidApi.h"

#include "input/WideText.h"
#include "platform/Clock.h"

namespace touchlane {

class RecordingHidApi::Device final : public HidDevice {
public:
    Device(RecordingHidApi& api, std::unique_ptr<HidDevice> inner) : api_(api), inner_(std::move(inner)) {}

    int readTimeout(std::span<uint8_t> buffer, int timeoutMs) override {
        const int result = inner_->readTimeout(buffer, timeoutMs);
        if (result > 0) {
            const size_t size = std::min(static_cast<size_t>(result), buffer.size());
            api_.onReport_(std::span<const uint8_t>(buffer.data(), size), Clock::current().mediaTimeMs());
        } else if (result < 0) {
            api_.onReadError_();
        }
        return result;
    }

    int sendFeatureReport(std::span<const uint8_t> report) override {
        const int result = inner_->sendFeatureReport(report);
        std::lock_guard lock(api_.mutex_);
        api_.history_.lastFeatureReportResult = result;
        return result;
    }

    std::optional<std::wstring> string(HidStringKind kind, size_t maxCharacters) override {
        auto text = inner_->string(kind, maxCharacters);
        if (kind == HidStringKind::product && text) {
            std::lock_guard lock(api_.mutex_);
            api_.history_.product = wideToUtf8(*text);
        }
        return text;
    }

private:
    RecordingHidApi& api_;
    std::unique_ptr<HidDevice> inner_;
};

RecordingHidApi::RecordingHidApi(std::shared_ptr<HidApi> inner, ReportHandler onReport, ReadErrorHandler onReadError)
    : inner_(std::move(inner)), onReport_(std::move(onReport)), onReadError_(std::move(onReadError)) {}

bool RecordingHidApi::init() { return inner_->init(); }

void RecordingHidApi::exit() { inner_->exit(); }

std::vector<HidDeviceInfo> RecordingHidApi::enumerate(uint16_t vendorID, uint16_t productID) {
    auto interfaces = inner_->enumerate(vendorID, productID);
    std::lock_guard lock(mutex_);
    history_.interfacesListed += interfaces.size();
    return interfaces;
}

std::unique_ptr<HidDevice> RecordingHidApi::openPath(const std::string& path) {
    auto device = inner_->openPath(path);
    if (!device) {
        auto error = inner_->lastError();
        std::lock_guard lock(mutex_);
        history_.lastOpenError = error ? wideToUtf8(*error).value_or("") : "";
        return nullptr;
    }
    {
        std::lock_guard lock(mutex_);
        ++history_.interfacesOpened;
        history_.openedPath = path;
    }
    return std::make_unique<Device>(*this, std::move(device));
}

std::optional<std::wstring> RecordingHidApi::lastError() { return inner_->lastError(); }

RecordingHidApi::OpenHistory RecordingHidApi::openHistory() const {
    std::lock_guard lock(mutex_);
    return history_;
}

}  // namespace touchlane
