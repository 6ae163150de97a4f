#include "tracking/TouchBuffer.h"

#include <algorithm>

#include <fmt/format.h>

#include "tracking/DecimalFormat.h"

namespace touchlane {

TouchBuffer::TouchBuffer(double bufferWindow) : bufferWindow_(bufferWindow) {}

bool TouchBuffer::addFrame(const std::shared_ptr<MultiTouchModel>& frame, double now) {
    if (!currentSequence_) {
        currentSequence_ = std::make_shared<TouchSequence>();
        bufferStartTime_ = now;
    }
    currentSequence_->addFrame(frame, now);
    bufferedData_.append({now, frame});
    if (currentSequence_->state() == TouchSequenceState::ended) return true;
    return bufferStartTime_ && now - *bufferStartTime_ >= bufferWindow_;
}

std::shared_ptr<TouchSequence> TouchBuffer::takeCurrentSequence() {
    auto sequence = std::move(currentSequence_);
    discardCurrentSequence();
    return sequence;
}

void TouchBuffer::discardCurrentSequence() {
    currentSequence_.reset();
    bufferStartTime_.reset();
    bufferedData_ = {};
}

bool TouchBuffer::hasActiveSequence() const {
    if (!currentSequence_) return false;
    const auto state = currentSequence_->state();
    return state != TouchSequenceState::ended && state != TouchSequenceState::cancelled;
}

void TouchBuffer::recordRecognizedSequence(const GestureRecognitionResult& result) {
    const auto& sequence = result.touchSequence;
    if (!sequence) return;  // nothing to pair a later tap with
    recognizedSequences_.push_back({sequence->sequenceId(), result.gestureType, sequence->maxTouchesInWindow(),
                                    sequence->startTimestamp(), sequence->endTimestamp().value_or(result.timestamp),
                                    result.centerPoint, result.tapCount});
    if (static_cast<int64_t>(recognizedSequences_.size()) > maxHistoryCount) {
        recognizedSequences_.erase(recognizedSequences_.begin());
    }
}

std::optional<RecognizedSequenceRecord> TouchBuffer::lastRecognizedSequence() const {
    if (recognizedSequences_.empty()) return std::nullopt;
    return recognizedSequences_.back();
}

std::optional<RecognizedSequenceRecord> TouchBuffer::lastRecognizedSequence(
    const std::function<bool(const RecognizedSequenceRecord&)>& predicate) const {
    const auto found = std::find_if(recognizedSequences_.rbegin(), recognizedSequences_.rend(), predicate);
    if (found == recognizedSequences_.rend()) return std::nullopt;
    return *found;
}

std::vector<RecognizedSequenceRecord> TouchBuffer::recentRecognizedSequences(int64_t count) const {
    const auto available = static_cast<int64_t>(recognizedSequences_.size());
    const int64_t taken = std::clamp<int64_t>(count, 0, available);
    return {recognizedSequences_.end() - taken, recognizedSequences_.end()};
}

void TouchBuffer::removeRecognizedSequences(int64_t sequenceId) {
    std::erase_if(recognizedSequences_, [&](const auto& record) { return record.sequenceId == sequenceId; });
}

void TouchBuffer::clearRecognizedSequences() { recognizedSequences_.clear(); }

std::string TouchBuffer::debugInfo() const {
    std::string text = "TouchBuffer Debug Info:\n";
    text += "  Buffer Window: " + formatDecimal(bufferWindow_) + "ms\n";
    text += std::string("  Current Sequence: ") + (currentSequence_ ? "Yes" : "No") + "\n";
    if (currentSequence_) {
        text += fmt::format("    - State: {}\n", caseName(currentSequence_->state()));
        text += fmt::format("    - Max touches in window: {}\n", currentSequence_->maxTouchesInWindow());
        text += fmt::format("    - Active Touch Count: {}\n", currentSequence_->activeTouchCount());
        text += fmt::format("    - Duration: {:.1f}ms\n", currentSequence_->duration());
    }
    text += fmt::format("  Buffered Data Count: {}\n", bufferedData_.total());
    text += fmt::format("  Recognized Sequences: {}\n", recognizedSequences_.size());
    if (!recognizedSequences_.empty()) {
        const auto& last = recognizedSequences_.back();
        text += fmt::format("    - Last: {}, touches: {}\n", caseName(last.gestureType), last.initialTouchCount);
    }
    return text;
}

}  // namespace touchlane
