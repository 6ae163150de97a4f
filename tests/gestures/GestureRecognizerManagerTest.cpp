#include <gtest/gtest.h>

#include "GestureKit.h"
#include "gestures/GestureRecognizerManager.h"
#include "gestures/TwoFingerRecognizers.h"

namespace touchlane {
namespace {

using Sequence = std::shared_ptr<TouchSequence>;
using Result = std::optional<GestureRecognitionResult>;

// A recognizer that answers from a script and counts its calls. Its results carry
// the length of its name as their confidence, to tell them apart.
struct ScriptedRecognizer final : BaseGestureRecognizer {
    ScriptedRecognizer(const std::string& name, int64_t priority, bool exclusive)
        : BaseGestureRecognizer(name, GestureType::scroll, priority, exclusive) {}

    std::optional<GestureState> nextRecognize;
    int recognizeCalls = 0, resets = 0;

    Result recognize(const Sequence& sequence, const TouchBuffer&) override {
        ++recognizeCalls;
        if (!nextRecognize) return std::nullopt;
        return makeScreenResult(sequence, *nextRecognize, static_cast<float>(name().size()), 0, 0, 0, 0, 0, {});
    }
    Result continueRecognition(const Sequence&, const TouchBuffer&) override { return std::nullopt; }
    void reset() override { ++resets; }
};

TEST(GestureRecognizerManager, NormalWalkAndLockedPathArbitration) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    for (auto recognizer : std::vector(manager.recognizers())) manager.unregisterRecognizer(recognizer);
    auto add = [&](const std::string& name, int64_t priority, bool exclusive) {
        auto recognizer = std::make_shared<ScriptedRecognizer>(name, priority, exclusive);
        manager.registerRecognizer(recognizer);
        return recognizer;
    };
    const Sequence sequence = kit.frameAt(1000, {test::down(0, 100, 100)});
    auto recognize = [&] { return manager.recognize(sequence, kit.buffer); };
    auto first = add("first", 50, false);
    auto second = add("second", 50, false);  // same priority: runs after "first"
    auto exclusive = add("exclusive", 10, true);

    // Both non-exclusive recognizers answer: the first result is kept, but the later
    // recognizer, asked too, becomes the active one.
    first->nextRecognize = second->nextRecognize = GestureState::began;
    EXPECT_EQ(recognize().value().confidence, 5.0f) << "the result of 'first'";
    EXPECT_EQ(manager.activeContinuousRecognizer(), second);

    // Nobody answers, the active recognizer included: it stays active, and everyone was asked.
    first->nextRecognize = second->nextRecognize = std::nullopt;
    EXPECT_FALSE(recognize());
    EXPECT_EQ(std::tuple(manager.activeContinuousRecognizer(), exclusive->recognizeCalls), std::tuple(second, 2));

    // The exclusive result replaces the held one; being ended, it resets its recognizer
    // and clears the owner chosen earlier in the same walk.
    first->nextRecognize = GestureState::changed;
    exclusive->nextRecognize = GestureState::ended;
    EXPECT_EQ(recognize().value().confidence, 9.0f);
    EXPECT_EQ(std::tuple(exclusive->resets, manager.activeContinuousRecognizer()), std::tuple(1, nullptr));

    // "first" becomes the owner again.
    exclusive->nextRecognize = std::nullopt;
    recognize();

    // A locked type no registered recognizer handles leaves the owner untouched; when
    // another recognizer is responsible, the owner is reset and that one takes over.
    EXPECT_FALSE(manager.recognizeLocked(GestureType::zoom, sequence, kit.buffer));
    EXPECT_EQ(std::tuple(manager.activeContinuousRecognizer(), first->resets), std::tuple(first, 0));
    manager.registerRecognizer(std::make_shared<ZoomRecognizer>());
    EXPECT_FALSE(manager.recognizeLocked(GestureType::zoom, sequence, kit.buffer)) << "one finger: no zoom";
    EXPECT_EQ(std::tuple(first->resets, manager.activeContinuousRecognizer()), std::tuple(1, nullptr));
}

TEST(GestureRecognizerManager, LockedPathChoosesTheResponsibleRecognizer) {
    test::GestureKit kit;
    GestureRecognizerManager manager;
    const test::Positions four{{1000, 1000}, {5000, 1000}, {9000, 1000}, {13000, 1000}};
    const auto three = test::contacts({four.begin(), four.end() - 1});
    auto sequence = kit.frameAt(1000, three);
    auto responsible = [&](GestureType type) { return manager.recognizer(type, *sequence)->name(); };
    EXPECT_EQ(responsible(GestureType::swipe), "ThreeFingerGesture");

    // Four contacts once: swipe stays with the multi-finger recognizer with three left.
    kit.frameAt(1005, test::contacts(four));
    kit.frameAt(1010, three);
    EXPECT_EQ(responsible(GestureType::swipe), "MultiFingerGesture");
    EXPECT_EQ(responsible(GestureType::controlCenter), "MultiFingerGesture");
}

}  // namespace
}  // namespace touchlane
