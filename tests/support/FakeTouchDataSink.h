#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "input/TouchDataSink.h"

namespace touchlane::test {

// Records what the HID reader hands to the router. Thread-safe.
class FakeTouchDataSink final : public TouchDataSink {
public:
    // Runs inside handleTouchData, on the caller's thread (the read queue).
    std::function<void(const std::shared_ptr<BaseModel>&)> onModel;

    void handleTouchData(std::shared_ptr<BaseModel> model) override {
        if (onModel) onModel(model);
        std::lock_guard lock(mutex_);
        models_.push_back(std::move(model));
        if (resetCount_ > 0) ++modelsAfterReset_;
    }
    void resetDeviceState() override { std::lock_guard lock(mutex_); ++resetCount_; }

    std::vector<std::shared_ptr<BaseModel>> models() const { std::lock_guard lock(mutex_); return models_; }
    int resetCount() const { std::lock_guard lock(mutex_); return resetCount_; }
    int modelsAfterReset() const { std::lock_guard lock(mutex_); return modelsAfterReset_; }

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<BaseModel>> models_;
    int resetCount_ = 0;
    int modelsAfterReset_ = 0;
};

}  // namespace touchlane::test
