#include <gtest/gtest.h>

#include <deque>

#include "GestureKit.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/MultiFingerRecognizers.h"
#include "gestures/TwoFingerRecognizers.h"

namespace touchlane {
namespace {

using test::down;

// A recognizer that answers from a script and counts its calls.
class ScriptedRecognizer final : public BaseGestureRecognizer {
public:
    ScriptedRecognizer(const std::string& name, int64_t priority, bool exclusive)
        : BaseGestureRecognizer(name, GestureType::scroll, priority, exclusive) {}

    std::optional<GestureState> nextRecognize;
    std::optional<GestureState> nextContinue;
    int recognizeCalls = 0;
    int continueCalls = 0;
    int resets = 0;

    std::optional<GestureRecognitionResult> recognize(const std::shared_ptr<TouchSequence>& sequence,
                                                      const TouchBuffer&) override {
        ++recognizeCalls;
        return answer(sequence, nextRecognize);
    }
    std::optional<GestureRecognitionResult> continueRecognition(const std::shared_ptr<TouchSequence>& sequence,
                                                                const TouchBuffer&) override {
        ++continueCalls;
        return answer(sequence, nextContinue);
    }
    void reset() override { ++resets; }

private:
    std::optional<GestureRecognitionResult> answer(const std::shared_ptr<TouchSequence>& sequence,
                                                   std::optional<GestureState> state) {
        if (!state) return std::nullopt;
        auto result = makeScreenResult(sequence, *state, 1.0f, 0, 0, 0, 0, 0, {});
        result.dx = static_cast<double>(priority());  // tells the results apart
        result.confidence = static_cast<float>(name().size());
        return result;
    }
};

struct ScriptedManager {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    std::shared_ptr<TouchSequence> sequence = kit.frameAt(1000, {down(0, 100, 100)});

    ScriptedManager() {
        for (auto recognizer : std::vector(manager.recognizers())) manager.unregisterRecognizer(recognizer);
    }
    std::shared_ptr<ScriptedRecognizer> add(const std::string& name, int64_t priority, bool exclusive) {
        auto recognizer = std::make_shared<ScriptedRecognizer>(name, priority, exclusive);
        manager.registerRecognizer(recognizer);
        return recognizer;
    }
    std::optional<GestureRecognitionResult> recognize() { return manager.recognize(sequence, kit.buffer); }
};

TEST(GestureRecognizerManager, RegistersTheElevenRecognizersInPriorityOrder) {
    GestureRecognizerManager manager;
    std::vector<std::string> names;
    for (const auto& recognizer : manager.recognizers()) names.push_back(recognizer->name());
    EXPECT_EQ(names, (std::vector<std::string>{"SingleDoubleTap", "SingleTap", "DoubleTap", "LongPress",
                                               "ThreeFingerGesture", "MultiFingerGesture", "Rotation", "Scroll", "Zoom",
                                               "Drag", "DoubleDoubleTap"}));
    EXPECT_EQ(manager.recognizers()[3], manager.longPressRecognizer());
    EXPECT_EQ(manager.recognizers()[4]->gestureType(), GestureType::swipe);
}

TEST(GestureRecognizerManager, NormalWalkArbitration) {
    ScriptedManager s;
    auto first = s.add("first", 50, false);
    auto second = s.add("second", 50, false);  // same priority: runs after "first"
    auto exclusive = s.add("exclusive", 10, true);

    // Both non-exclusive recognizers answer: the first result is kept, but the later
    // recognizer, asked too, becomes the active one.
    first->nextRecognize = GestureState::began;
    second->nextRecognize = GestureState::began;
    auto result = s.recognize();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->confidence, 5.0f) << "the result of 'first'";
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), second);
    EXPECT_EQ(exclusive->recognizeCalls, 1);

    // The active recognizer answers nothing: it stays active and everyone is asked.
    second->nextContinue = std::nullopt;
    first->nextRecognize = GestureState::changed;
    second->nextRecognize = std::nullopt;
    exclusive->nextRecognize = GestureState::ended;
    result = s.recognize();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->confidence, 9.0f) << "the exclusive result replaces the held one";
    EXPECT_EQ(exclusive->resets, 1) << "an ended result resets its recognizer";
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr)
        << "and clears the owner chosen earlier in the same walk";

    // The owner answers: nobody else is asked; its ended result leaves nobody active.
    first->nextRecognize = GestureState::began;
    exclusive->nextRecognize = std::nullopt;
    s.recognize();
    ASSERT_EQ(s.manager.activeContinuousRecognizer(), first);
    first->nextContinue = GestureState::ended;
    const int askedBefore = exclusive->recognizeCalls;
    result = s.recognize();
    ASSERT_TRUE(result);
    EXPECT_EQ(exclusive->recognizeCalls, askedBefore);
    EXPECT_EQ(first->resets, 1);
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr);
}

TEST(GestureRecognizerManager, LockedPathChoosesTheResponsibleRecognizer) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    auto sequence = kit.frameAt(1000, {down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
    auto isA = [&](GestureType type, auto* probe) {
        return dynamic_cast<decltype(probe)>(manager.recognizer(type, *sequence).get()) != nullptr;
    };
    EXPECT_TRUE(isA(GestureType::swipe, static_cast<ThreeFingerGestureRecognizer*>(nullptr)));
    EXPECT_TRUE(isA(GestureType::launchpad, static_cast<MultiFingerGestureRecognizer*>(nullptr)));
    EXPECT_TRUE(isA(GestureType::zoom, static_cast<ZoomRecognizer*>(nullptr)));
    EXPECT_EQ(manager.recognizer(GestureType::singleTap, *sequence)->name(), "SingleTap");

    // Four contacts once: swipe stays with the multi-finger recognizer with three left.
    kit.frameAt(1005, {down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000), down(3, 13000, 1000)});
    kit.frameAt(1010, {down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
    EXPECT_TRUE(isA(GestureType::swipe, static_cast<MultiFingerGestureRecognizer*>(nullptr)));
    EXPECT_TRUE(isA(GestureType::controlCenter, static_cast<MultiFingerGestureRecognizer*>(nullptr)));

    // The locked type is forced on the recognizer it goes to.
    manager.recognizeLocked(GestureType::showDesktop, sequence, kit.buffer);
    auto multi = std::dynamic_pointer_cast<MultiFingerGestureRecognizer>(
        manager.recognizer(GestureType::showDesktop, *sequence));
    EXPECT_EQ(multi->forcedLockedGestureType(), GestureType::showDesktop);
}

TEST(GestureRecognizerManager, LockedPathHandsOverOrKeepsTheOwner) {
    ScriptedManager s;
    auto owner = s.add("owner", 20, false);
    owner->nextRecognize = GestureState::began;
    s.recognize();
    ASSERT_EQ(s.manager.activeContinuousRecognizer(), owner);

    // No recognizer of that type is registered: nothing happens to the owner.
    EXPECT_FALSE(s.manager.recognizeLocked(GestureType::zoom, s.sequence, s.kit.buffer));
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), owner);
    EXPECT_EQ(owner->resets, 0);

    // Another recognizer is responsible: the owner is reset and the new one takes over.
    auto zoom = std::make_shared<ZoomRecognizer>();
    s.manager.registerRecognizer(zoom);
    EXPECT_FALSE(s.manager.recognizeLocked(GestureType::zoom, s.sequence, s.kit.buffer)) << "one finger: no zoom";
    EXPECT_EQ(owner->resets, 1);
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr);
}

TEST(GestureRecognizerManager, NormalPathClearsAForcedType) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    auto sequence = kit.frameAt(1000, {down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)});
    kit.frameAt(1005, {down(0, 1100, 1000), down(1, 5100, 1000), down(2, 9100, 1000)});
    // A forced swipe is reported at once and makes the three-finger recognizer active.
    auto result = manager.recognizeLocked(GestureType::swipe, sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->gestureType, GestureType::swipe);
    EXPECT_EQ(result->gestureState, GestureState::began);
    auto three = std::dynamic_pointer_cast<ThreeFingerGestureRecognizer>(manager.activeContinuousRecognizer());
    ASSERT_TRUE(three);
    EXPECT_EQ(three->forcedLockedGestureType(), GestureType::swipe);
    manager.recognize(sequence, kit.buffer);
    EXPECT_EQ(three->forcedLockedGestureType(), std::nullopt);
}

TEST(GestureRecognizerManagerDeathTest, BaseRecognizeStopsTheProgram) {
    class Unfinished final : public BaseGestureRecognizer {
    public:
        Unfinished() : BaseGestureRecognizer("Unfinished", GestureType::none, 0, false) {}
    };
    test::GestureKit kit;
    auto sequence = kit.frameAt(1000, {down(0, 1, 1)});
    Unfinished unfinished;
    EXPECT_DEATH(unfinished.recognize(sequence, kit.buffer), "Subclass must implement recognize\\(\\)");
}

}  // namespace
}  // namespace touchlane
