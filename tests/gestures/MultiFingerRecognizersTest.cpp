#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "GestureKit.h"
#include "gestures/MultiFingerMotion.h"
#include "gestures/MultiFingerRecognizers.h"

namespace touchlane {
namespace {

using test::Positions, test::contacts, test::shifted;

// Fingers going from `from` to `to` in `steps` equal steps, one frame 5 ms apart.
TrackedPointList moving(const Positions& from, const Positions& to, int steps = 4) {
    TouchSequence sequence;
    for (int s = 0; s <= steps; ++s) {
        Positions at;
        for (size_t k = 0; k < from.size(); ++k) {
            at.emplace_back(from[k].first + (to[k].first - from[k].first) * s / std::max(steps, 1),
                            from[k].second + (to[k].second - from[k].second) * s / std::max(steps, 1));
        }
        sequence.addFrame(test::frame(contacts(at)), 5.0 * s);
    }
    return sequence.allPoints();
}

const Positions three{{5000, 5000}, {6000, 5200}, {7000, 5000}};
const Positions four{{5000, 5000}, {6000, 5200}, {7000, 5200}, {8000, 5000}};

TEST(MultiFingerClassifiers, DirectionContractionAndClassification) {
    auto together = [](const Positions& p, int dx, int dy) { return moving(p, shifted(p, dx, dy)); };
    // `count` fingers on a circle around (10000, 10000) moving `delta` units outwards.
    auto radial = [](int count, double radius, double delta) {
        auto circle = [count](double r) {
            Positions p;
            for (double a = 0.3; p.size() < static_cast<size_t>(count); a += 2 * std::numbers::pi / count) {
                p.emplace_back(std::lround(10000 + r * std::cos(a)), std::lround(10000 + r * std::sin(a)));
            }
            return p;
        };
        return moving(circle(radius), circle(radius + delta), 1);
    };
    // name, fingers, three-finger classification, multi-finger classification
    const std::tuple<const char*, TrackedPointList, std::optional<GestureType>, std::optional<GestureType>> cases[] = {
        {"three right", together(three, 600, 0), GestureType::swipe, GestureType::swipe},
        {"three up", together(three, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"three spreading", radial(3, 1000, 300), std::nullopt, std::nullopt},
        {"four up", together(four, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"four up-right, 45 degrees", together(four, 600, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"five pinching", radial(5, 2000, -300), std::nullopt, GestureType::launchpad},
        {"four spreading", radial(4, 2000, 300), std::nullopt, std::nullopt},
    };
    for (const auto& [name, fingers, three, multi] : cases) {
        EXPECT_EQ(classifyThreeFingerGesture(fingers), three) << name;
        EXPECT_EQ(classifyMultiFingerGesture(fingers), multi) << name;
    }

    using Direction = MultiFingerRemoteDirectionClassifier;
    using enum MultiFingerRemoteDirectionSampleMode;
    const auto up = together(three, 0, -600);
    EXPECT_DOUBLE_EQ(Direction::metrics(up, cumulative)->averageVector.y, -600.0 / 32767);
    EXPECT_DOUBLE_EQ(Direction::metrics(up, incremental)->averageVector.y, -150.0 / 32767) << "the last step only";
    EXPECT_FALSE(Direction::metrics(moving({{1, 1}}, {{1, 1}}, 0), cumulative)) << "a finger with one sample";

    using Contraction = MultiFingerRemoteContractionClassifier;
    // Four fingers at the corners of a square pinch 100 units toward its centre.
    const Positions corners{{9000, 9000}, {11000, 9000}, {11000, 11000}, {9000, 11000}};
    const Positions pinched{{9071, 9071}, {10929, 9071}, {10929, 10929}, {9071, 10929}};
    const auto pinch = moving(corners, pinched, 1);
    EXPECT_TRUE(Contraction::isContraction(pinch));

    EXPECT_FALSE(Contraction::isContraction(moving(corners, shifted(pinched, 300, 0), 1))) << "the hand also slides";
    EXPECT_FALSE(Contraction::metrics(moving(three, shifted(three, 0, 10)))) << "three fingers";
    EXPECT_FALSE(Contraction::metrics(moving(Positions(4, {1, 1}), {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, 1)))
        << "no span before";
}

TEST(ThreeFingerGestureRecognizer, StartsAfterFortyPointsAndSurvivesLiftedFingers) {
    test::GestureKit kit;
    ThreeFingerGestureRecognizer recognizer;
    auto step = [&](int k) { return kit.frameAt(1000 + 10 * k, contacts(shifted(three, 10 * k, 0))); };
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(recognizer.recognize(step(k), kit.buffer)) << k * 10 << " points";
    const auto began = recognizer.recognize(step(4), kit.buffer).value();  // the fingers travelled 40 points
    EXPECT_EQ(std::tuple(began.gestureType, began.gestureState, began.dx, began.dy, began.swipeOffset,
                         began.centerPoint.x),
              std::tuple(GestureType::swipe, GestureState::began, 10.0, 0.0, 10.0, 6040.0));

    // The swipe keeps going on one finger and follows it.
    recognizer.continueRecognition(step(5), kit.buffer);
    recognizer.continueRecognition(kit.frameAt(1060, contacts(shifted(three, 60, 0), 1)), kit.buffer);
    const auto last = recognizer.continueRecognition(kit.frameAt(1070, contacts({{5075, 5000}})), kit.buffer).value();
    EXPECT_EQ(std::tuple(last.gestureType, last.gestureState, last.dx, last.centerPoint),
              std::tuple(GestureType::swipe, GestureState::changed, 15.0, Point{5075, 5000}));
}

}  // namespace
}  // namespace touchlane
