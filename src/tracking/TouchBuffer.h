#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input/TouchModels.h"
#include "platform/Geometry.h"
#include "tracking/BoundedHistory.h"
#include "tracking/GestureRecognitionResult.h"
#include "tracking/TouchConfiguration.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

// A sequence that was recognised, kept so that a tap can be paired with the one before it.
struct RecognizedSequenceRecord {
    int64_t sequenceId = 0;
    GestureType gestureType = GestureType::none;
    int64_t initialTouchCount = 0;  // the sequence's maxTouchesInWindow when recorded
    double startTimestamp = 0;
    double endTimestamp = 0;
    Point centerPointMac;
    int64_t tapCount = 0;  // the result's place in a series of quick taps

    double duration() const { return endTimestamp - startTimestamp; }
};

// Sits between the router and the tracking types: owns the sequence being
// collected, feeds it every frame, says when it is ready for recognition (it ended,
// or it has been collected for a full window), and keeps a short history of the
// sequences recognised. Used on the router's queue only.
class TouchBuffer {
public:
    static constexpr int64_t maxHistoryCount = 10;

    explicit TouchBuffer(double bufferWindow = TouchConfiguration::bufferWindow);

    struct BufferedFrame {
        double timestamp;
        std::shared_ptr<MultiTouchModel> model;
    };

    double bufferWindow() const { return bufferWindow_; }
    const std::shared_ptr<TouchSequence>& currentSequence() const { return currentSequence_; }
    // The frames of the current sequence with the time each was added, thinned as
    // the sequence's own frames are once it is long.
    const std::vector<BufferedFrame>& bufferedData() const { return bufferedData_.entries(); }
    // Frames added to the current sequence, thinned ones included.
    uint64_t bufferedFrameCount() const { return bufferedData_.total(); }
    std::optional<double> bufferStartTime() const { return bufferStartTime_; }
    const std::vector<RecognizedSequenceRecord>& recognizedSequences() const { return recognizedSequences_; }

    // Adds a frame to the current sequence (starting one when there is none); true
    // when the sequence is ready to be recognised.
    // `now` is the frame's arrival on the media clock (ms).
    bool addFrame(const std::shared_ptr<MultiTouchModel>& frame, double now);
    std::shared_ptr<TouchSequence> takeCurrentSequence();
    void discardCurrentSequence();
    bool hasActiveSequence() const;

    void recordRecognizedSequence(const GestureRecognitionResult& result);
    std::optional<RecognizedSequenceRecord> lastRecognizedSequence() const;
    std::optional<RecognizedSequenceRecord> lastRecognizedSequence(
        const std::function<bool(const RecognizedSequenceRecord&)>& predicate) const;
    // The newest n records, oldest first.
    std::vector<RecognizedSequenceRecord> recentRecognizedSequences(int64_t count) const;
    void removeRecognizedSequences(int64_t sequenceId);
    void clearRecognizedSequences();

    std::string debugInfo() const;

private:
    double bufferWindow_;
    std::vector<RecognizedSequenceRecord> recognizedSequences_;
    std::shared_ptr<TouchSequence> currentSequence_;
    BoundedHistory<BufferedFrame, TouchSequence::maxStoredFrames, TouchSequence::recentStoredFrames> bufferedData_;
    std::optional<double> bufferStartTime_;
};

}  // namespace touchlane
