#include <gtest/gtest.h>

#include "GestureKit.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/MultiFingerRecognizers.h"
#include "gestures/TwoFingerRecognizers.h"

namespace touchlane {
namespace {

using test::down;

// A recognizer that answers from a script and counts its calls. Its results carry
// the length of its name as their confidence, to tell them apart.
struct ScriptedRecognizer final : BaseGestureRecognizer {
    using Sequence = std::shared_ptr<TouchSequence>;
    ScriptedRecognizer(const std::string& name, int64_t priority, bool exclusive)
        : BaseGestureRecognizer(name, GestureType::scroll, priority, exclusive) {}

    std::optional<GestureState> nextRecognize, nextContinue;
    int recognizeCalls = 0, resets = 0;

    std::optional<GestureRecognitionResult> recognize(const Sequence& sequence, const TouchBuffer&) override {
        ++recognizeCalls;
        return answer(sequence, nextRecognize);
    }
    std::optional<GestureRecognitionResult> continueRecognition(const Sequence& sequence, const TouchBuffer&) override {
        return answer(sequence, nextContinue);
    }
    void reset() override { ++resets; }
    std::optional<GestureRecognitionResult> answer(const Sequence& sequence, std::optional<GestureState> state) const {
        if (!state) return std::nullopt;
        return makeScreenResult(sequence, *state, static_cast<float>(name().size()), 0, 0, 0, 0, 0, {});
    }
};

// A manager holding only scripted recognizers, and a one-finger sequence.
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

TEST(GestureRecognizerManager, NormalWalkArbitration) {
    ScriptedManager s;
    auto first = s.add("first", 50, false);
    auto second = s.add("second", 50, false);  // same priority: runs after "first"
    auto exclusive = s.add("exclusive", 10, true);

    // Both non-exclusive recognizers answer: the first result is kept, but the later
    // recognizer, asked too, becomes the active one.
    first->nextRecognize = second->nextRecognize = GestureState::began;
    EXPECT_EQ(s.recognize().value().confidence, 5.0f) << "the result of 'first'";
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), second);

    // Nobody answers, the active recognizer included: it stays active.
    first->nextRecognize = second->nextRecognize = std::nullopt;
    EXPECT_FALSE(s.recognize());
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), second);
    EXPECT_EQ(exclusive->recognizeCalls, 2) << "everyone was asked each time";

    first->nextRecognize = GestureState::changed;
    exclusive->nextRecognize = GestureState::ended;
    EXPECT_EQ(s.recognize().value().confidence, 9.0f) << "the exclusive result replaces the held one";
    EXPECT_EQ(exclusive->resets, 1) << "an ended result resets its recognizer";
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr)
        << "and clears the owner chosen earlier in the same walk";

    // The owner answers: nobody else is asked; its ended result leaves nobody active.
    first->nextRecognize = GestureState::began;
    exclusive->nextRecognize = std::nullopt;
    s.recognize();
    ASSERT_EQ(s.manager.activeContinuousRecognizer(), first);
    first->nextContinue = GestureState::ended;
    EXPECT_TRUE(s.recognize());
    EXPECT_EQ(exclusive->recognizeCalls, 4);
    EXPECT_EQ(first->resets, 1);
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr);
}

TEST(GestureRecognizerManager, LockedPathChoosesTheResponsibleRecognizer) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    const std::vector<test::Contact> three{down(0, 1000, 1000), down(1, 5000, 1000), down(2, 9000, 1000)};
    auto sequence = kit.frameAt(1000, three);
    auto responsible = [&](GestureType type) { return manager.recognizer(type, *sequence)->name(); };
    EXPECT_EQ(responsible(GestureType::swipe), "ThreeFingerGesture");

    // Four contacts once: swipe stays with the multi-finger recognizer with three left.
    auto four = three;
    four.push_back(down(3, 13000, 1000));
    kit.frameAt(1005, four);
    kit.frameAt(1010, three);
    EXPECT_EQ(responsible(GestureType::swipe), "MultiFingerGesture");
    EXPECT_EQ(responsible(GestureType::controlCenter), "MultiFingerGesture");

    // The locked type is forced on the recognizer it goes to, which reports it at
    // once; the normal path clears it again.
    const auto result = manager.recognizeLocked(GestureType::showDesktop, sequence, kit.buffer);
    ASSERT_TRUE(result);
    EXPECT_EQ(std::pair(result->gestureType, result->gestureState),
              std::pair(GestureType::showDesktop, GestureState::began));
    auto multi = std::dynamic_pointer_cast<MultiFingerGestureRecognizer>(manager.activeContinuousRecognizer());
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->forcedLockedGestureType(), GestureType::showDesktop);
    manager.recognize(sequence, kit.buffer);
    EXPECT_EQ(multi->forcedLockedGestureType(), std::nullopt);
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
    s.manager.registerRecognizer(std::make_shared<ZoomRecognizer>());
    EXPECT_FALSE(s.manager.recognizeLocked(GestureType::zoom, s.sequence, s.kit.buffer)) << "one finger: no zoom";
    EXPECT_EQ(owner->resets, 1);
    EXPECT_EQ(s.manager.activeContinuousRecognizer(), nullptr);
}

}  // namespace
}  // namespace touchlane
