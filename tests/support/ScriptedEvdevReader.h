#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "input/EvdevEventReader.h"

namespace touchlane {

// An input device that hands out a script: queued events (or a drop, after
// which the device holds the step's slots), then `idle` while `endsGone` is
// false, else `gone`. It starts with no contact down.
class ScriptedEvdevReader final : public EvdevEventReader {
public:
    ScriptedEvdevReader(EvdevAxes axes, std::string name) : axes_(axes), name_(std::move(name)) {}

    struct Step {
        Status status = Status::event;
        EvdevEvent event;
        std::vector<EvdevSlotSnapshot> present;  // for a drop
    };
    void push(Step step) {
        {
            std::lock_guard lock(mutex_);
            script_.push_back(step);
        }
        changed_.notify_all();
    }
    void setEndsGone(bool gone) {
        std::lock_guard lock(mutex_);
        endsGone_ = gone;
    }

    Status next(EvdevEvent& event, int timeoutMs) override {
        std::unique_lock lock(mutex_);
        // On a real thread an idle device waits for its time-out, as a real one does.
        if (script_.empty() && !endsGone_) changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs));
        if (script_.empty()) return endsGone_ ? Status::gone : Status::idle;
        const Step step = script_.front();
        script_.pop_front();
        event = step.event;
        if (step.status == Status::dropped) present_ = step.present;
        return step.status;
    }
    std::vector<EvdevSlotSnapshot> presentSlots() override {
        std::lock_guard lock(mutex_);
        return present_;
    }
    const EvdevAxes& axes() const override { return axes_; }
    const std::string& name() const override { return name_; }

private:
    EvdevAxes axes_;
    std::string name_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Step> script_;
    std::vector<EvdevSlotSnapshot> present_;
    bool endsGone_ = true;
};

}  // namespace touchlane
