#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "tracking/GestureRecognitionResult.h"
#include "tracking/TouchBuffer.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

// Looks at the current sequence (and the buffer's history) and either declines or
// returns one result. recognize() detects the start of a gesture;
// continueRecognition() feeds a recognizer that already owns a continuous gesture.
// Used on the router's queue only.
class GestureRecognizer {
public:
    virtual ~GestureRecognizer() = default;
    virtual const std::string& name() const = 0;
    virtual GestureType gestureType() const = 0;
    // Larger runs earlier.
    virtual int64_t priority() const = 0;
    // An exclusive recognizer's result ends the manager's search at once.
    virtual bool isExclusive() const = 0;
    virtual std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                              const TouchBuffer& buffer) = 0;
    virtual std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                        const TouchBuffer& buffer) = 0;
    // Forgets all per-gesture state.
    virtual void reset() = 0;
};

struct GestureRecognizerPriority {
    static constexpr int64_t singleDoubleTap = 110;
    static constexpr int64_t singleTap = 105;
    static constexpr int64_t doubleTap = 100;
    static constexpr int64_t longPress = 90;
    static constexpr int64_t threeFinger = 70;
    static constexpr int64_t multiFinger = 65;
    static constexpr int64_t rotation = 60;
    static constexpr int64_t scroll = 50;
    static constexpr int64_t zoom = 50;
    static constexpr int64_t drag = 40;
    static constexpr int64_t doubleDoubleTap = 30;
};

// Common base: the fixed identity of a recognizer and the helpers every recognizer
// uses to build its results.
class BaseGestureRecognizer : public GestureRecognizer {
public:
    const std::string& name() const override { return name_; }
    GestureType gestureType() const override { return gestureType_; }
    int64_t priority() const override { return priority_; }
    bool isExclusive() const override { return isExclusive_; }

    // Every shipped recognizer overrides this; reaching it is a programming error.
    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer& buffer) override;
    // Discrete recognizers never continue a gesture.
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer& buffer) override;
    void reset() override {}

protected:
    BaseGestureRecognizer(std::string name, GestureType gestureType, int64_t priority, bool isExclusive);

    // A device position as a screen point on the current main display.
    static Point screenPoint(const TouchPosition& device);
    static Point screenPoint(double x, double y);

    // A result from values already in screen units, stamped now on the media clock.
    // The type is the recognizer's own unless given.
    GestureRecognitionResult makeScreenResult(const std::shared_ptr<TouchSequence>& sequence, GestureState state,
                                              float confidence, double dx, double dy, double zoomOffset,
                                              double rotationAngle, double swipeOffset, const Point& center,
                                              std::optional<GestureType> type = std::nullopt) const;

private:
    std::string name_;
    GestureType gestureType_;
    int64_t priority_;
    bool isExclusive_;
};

// Shared gate of the continuous recognizers: an open sequence must have lasted a
// full buffer window before a continuous gesture may start; an ended one passes.
bool passesContinuousStartGate(const TouchSequence& sequence);

Point midpoint(const Point& a, const Point& b);

}  // namespace touchlane
