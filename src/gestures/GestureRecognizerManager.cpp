#include "gestures/GestureRecognizerManager.h"

#include <algorithm>

#include "gestures/MultiFingerRecognizers.h"
#include "gestures/TwoFingerRecognizers.h"

namespace touchlane {

namespace {

void setForcedType(const std::shared_ptr<GestureRecognizer>& recognizer, std::optional<GestureType> type) {
    if (auto* session = dynamic_cast<FingerSessionRecognizer*>(recognizer.get())) {
        session->setForcedLockedGestureType(type);
    }
}

}  // namespace

GestureRecognizerManager::GestureRecognizerManager() : longPressRecognizer_(std::make_shared<LongPressRecognizer>()) {
    registerRecognizer(std::make_shared<SingleDoubleTapRecognizer>());
    registerRecognizer(std::make_shared<SingleTapRecognizer>());
    registerRecognizer(std::make_shared<DoubleTapRecognizer>());
    registerRecognizer(longPressRecognizer_);
    registerRecognizer(std::make_shared<ScrollRecognizer>());
    registerRecognizer(std::make_shared<ThreeFingerGestureRecognizer>());
    registerRecognizer(std::make_shared<MultiFingerGestureRecognizer>());
    registerRecognizer(std::make_shared<RotationRecognizer>());
    registerRecognizer(std::make_shared<ZoomRecognizer>());
    registerRecognizer(std::make_shared<DragRecognizer>());
    registerRecognizer(std::make_shared<DoubleDoubleTapRecognizer>());
}

void GestureRecognizerManager::setLongPressRecognizer(std::shared_ptr<LongPressRecognizer> recognizer) {
    longPressRecognizer_ = std::move(recognizer);
}

void GestureRecognizerManager::registerRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
    if (!recognizer) return;
    recognizers_.push_back(std::move(recognizer));
    std::stable_sort(recognizers_.begin(), recognizers_.end(),
                     [](const auto& a, const auto& b) { return a->priority() > b->priority(); });
}

void GestureRecognizerManager::unregisterRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    std::erase(recognizers_, recognizer);
}

void GestureRecognizerManager::clearActive() { activeContinuousRecognizer_.reset(); }

void GestureRecognizerManager::settle(const std::shared_ptr<GestureRecognizer>& owner,
                                      const GestureRecognitionResult& result) {
    if (result.gestureState == GestureState::ended) {
        owner->reset();
        clearActive();
    } else {
        activeContinuousRecognizer_ = owner;
    }
}

std::optional<GestureRecognitionResult> GestureRecognizerManager::recognize(
    const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer& buffer) {
    if (const auto active = activeContinuousRecognizer_) {
        // The normal path never runs under a locked type.
        setForcedType(active, std::nullopt);
        if (auto result = active->continueRecognition(sequence, buffer)) {
            if (result->gestureState == GestureState::ended) {
                active->reset();
                clearActive();
            }
            return result;
        }
        // An owner without an answer stays active; the frame is offered to everyone.
    }
    std::optional<GestureRecognitionResult> held;
    // Iterate over a copy: a recognizer never changes the list, but the list must
    // not move under the walk if one ever did.
    const auto ordered = recognizers_;
    for (const auto& recognizer : ordered) {
        auto result = recognizer->recognize(sequence, buffer);
        if (!result) continue;
        settle(recognizer, *result);
        if (recognizer->isExclusive()) return result;
        // Later recognizers still run (and may become active); only the first
        // non-exclusive result is kept.
        if (!held) held = std::move(result);
    }
    return held;
}

template <typename Recognizer>
std::shared_ptr<GestureRecognizer> GestureRecognizerManager::firstOf() const {
    const auto found = std::find_if(recognizers_.begin(), recognizers_.end(), [](const auto& recognizer) {
        return dynamic_cast<Recognizer*>(recognizer.get()) != nullptr;
    });
    return found == recognizers_.end() ? nullptr : *found;
}

std::shared_ptr<GestureRecognizer> GestureRecognizerManager::recognizer(GestureType type,
                                                                        const TouchSequence& sequence) const {
    switch (type) {
        case GestureType::scroll:
            return firstOf<ScrollRecognizer>();
        case GestureType::zoom:
            return firstOf<ZoomRecognizer>();
        case GestureType::rotation:
            return firstOf<RotationRecognizer>();
        case GestureType::drag:
            return firstOf<DragRecognizer>();
        case GestureType::showDesktop:
        case GestureType::launchpad:
            return firstOf<MultiFingerGestureRecognizer>();
        case GestureType::swipe:
        case GestureType::controlCenter:
            // Once four fingers have touched, the gesture stays with the multi-finger
            // recognizer even when fingers lift.
            return sequence.maxTouchesInWindow() >= 4 ? firstOf<MultiFingerGestureRecognizer>()
                                                      : firstOf<ThreeFingerGestureRecognizer>();
        default: {
            const auto found = std::find_if(recognizers_.begin(), recognizers_.end(),
                                            [type](const auto& r) { return r->gestureType() == type; });
            return found == recognizers_.end() ? nullptr : *found;
        }
    }
}

std::optional<GestureRecognitionResult> GestureRecognizerManager::recognizeLocked(
    std::optional<GestureType> gestureType, const std::shared_ptr<TouchSequence>& sequence, const TouchBuffer& buffer) {
    if (!gestureType) {
        if (const auto active = activeContinuousRecognizer_) {
            auto result = active->continueRecognition(sequence, buffer);
            if (result && result->gestureState == GestureState::ended) {
                active->reset();
                clearActive();
            }
            return result;
        }
        const auto ordered = recognizers_;
        for (const auto& recognizer : ordered) {
            setForcedType(recognizer, std::nullopt);
            if (auto result = recognizer->continueRecognition(sequence, buffer)) {
                settle(recognizer, *result);
                return result;
            }
        }
        return std::nullopt;
    }

    const auto responsible = recognizer(*gestureType, *sequence);
    if (activeContinuousRecognizer_ && responsible && responsible != activeContinuousRecognizer_) {
        activeContinuousRecognizer_->reset();
        clearActive();
    }
    if (!responsible) return std::nullopt;
    setForcedType(responsible, gestureType);
    auto result = responsible->continueRecognition(sequence, buffer);
    if (result) settle(responsible, *result);
    return result;
}

void GestureRecognizerManager::resetAll() {
    for (const auto& recognizer : recognizers_) recognizer->reset();
    clearActive();
}

void GestureRecognizerManager::resetActiveRecognizer() {
    if (activeContinuousRecognizer_) activeContinuousRecognizer_->reset();
    clearActive();
}

}  // namespace touchlane
