#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "gestures/GestureRecognizer.h"
#include "gestures/TapRecognizers.h"

namespace touchlane {

// Holds the recognizers by priority, runs them for every processed frame,
// arbitrates between their results, and remembers which continuous recognizer owns
// the gesture in progress so that later frames go to it first.
// Used on the router's queue only.
class GestureRecognizerManager {
public:
    // Registers the eleven recognizers.
    GestureRecognizerManager();

    // The long-press recognizer, also registered in the list, so the router can
    // query and reset it directly.
    const std::shared_ptr<LongPressRecognizer>& longPressRecognizer() const { return longPressRecognizer_; }
    void setLongPressRecognizer(std::shared_ptr<LongPressRecognizer> recognizer);

    // Appends and re-sorts by descending priority; equal priorities keep their order.
    void registerRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
    // Removes every entry that is this object; the active recognizer is not touched.
    void unregisterRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);

    // The per-frame entry: the active recognizer first, then every recognizer in order.
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer);
    // The registered recognizer responsible for a type, or none.
    std::shared_ptr<GestureRecognizer> recognizer(GestureType type, const TouchSequence& sequence) const;
    // The per-frame entry while the router holds a locked gesture.
    std::optional<GestureRecognitionResult> recognizeLocked(std::optional<GestureType> gestureType,
                                                            const std::shared_ptr<TouchSequence>& sequence,
                                                            const TouchBuffer& buffer);
    void resetAll();
    void resetActiveRecognizer();

    const std::vector<std::shared_ptr<GestureRecognizer>>& recognizers() const { return recognizers_; }
    const std::shared_ptr<GestureRecognizer>& activeContinuousRecognizer() const { return activeContinuousRecognizer_; }

private:
    template <typename Recognizer>
    std::shared_ptr<GestureRecognizer> firstOf() const;
    // Takes a result of `owner`: an ended result resets it and leaves nobody active,
    // any other makes it the active recognizer.
    void settle(const std::shared_ptr<GestureRecognizer>& owner, const GestureRecognitionResult& result);
    void clearActive();

    std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
    std::shared_ptr<GestureRecognizer> activeContinuousRecognizer_;
    std::shared_ptr<LongPressRecognizer> longPressRecognizer_;
};

}  // namespace touchlane
