#include <gtest/gtest.h>

#include <cmath>

#include "GestureKit.h"
#include "gestures/MultiFingerMotion.h"
#include "gestures/MultiFingerRecognizers.h"

namespace touchlane {
namespace {

using Positions = std::vector<std::pair<int, int>>;

Positions shifted(Positions positions, int dx, int dy) {
    for (auto& [x, y] : positions) x += dx, y += dy;
    return positions;
}

// `count` positions on a circle of `radius` units around (10000, 10000).
Positions circle(int count, double radius) {
    Positions positions;
    for (int k = 0; k < count; ++k) {
        const double angle = 2 * 3.14159265358979 * k / count + 0.3;
        positions.emplace_back(std::lround(10000 + radius * std::cos(angle)),
                               std::lround(10000 + radius * std::sin(angle)));
    }
    return positions;
}

// Fingers going from `from` to `to` in `steps` equal steps, one sample 5 ms apart.
TrackedPointList moving(const Positions& from, const Positions& to, int steps = 4) {
    auto touch = [](int x, int y) {
        TouchPointModel model;
        model.x = static_cast<uint16_t>(x);
        model.y = static_cast<uint16_t>(y);
        model.touchState = kTouchStateTouching;
        return model;
    };
    TrackedPointList fingers;
    for (size_t k = 0; k < from.size(); ++k) {
        const auto [x0, y0] = from[k];
        const auto [x1, y1] = to[k];
        fingers.push_back(std::make_shared<TrackedTouchPoint>(static_cast<uint8_t>(k), touch(x0, y0), 0.0));
        for (int s = 1; s <= steps; ++s) {
            fingers.back()->update(touch(x0 + (x1 - x0) * s / steps, y0 + (y1 - y0) * s / steps), 5.0 * s);
        }
    }
    return fingers;
}

// A frame with one contact per position; those from `liftedFrom` on are lifted.
std::vector<test::Contact> contacts(const Positions& positions, size_t liftedFrom = 99) {
    std::vector<test::Contact> list;
    for (size_t k = 0; k < positions.size(); ++k) {
        list.push_back({static_cast<uint8_t>(k), static_cast<uint16_t>(positions[k].first),
                        static_cast<uint16_t>(positions[k].second), k >= liftedFrom ? 4u : 7u});
    }
    return list;
}

const Positions three{{5000, 5000}, {6000, 5200}, {7000, 5000}};
const Positions four{{5000, 5000}, {6000, 5200}, {7000, 5200}, {8000, 5000}};

TEST(MultiFingerClassifiers, DirectionAndClassification) {
    auto together = [](const Positions& p, int dx, int dy) { return moving(p, shifted(p, dx, dy)); };
    auto radial = [](int count, double radius, double delta) {
        return moving(circle(count, radius), circle(count, radius + delta), 1);
    };
    // name, fingers, three-finger classification, multi-finger classification
    const std::tuple<const char*, TrackedPointList, std::optional<GestureType>, std::optional<GestureType>> cases[] = {
        {"three right", together(three, 600, 0), GestureType::swipe, GestureType::swipe},
        {"three up", together(three, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"three spreading", radial(3, 1000, 300), std::nullopt, std::nullopt},
        {"four up", together(four, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"four up-right at 45 degrees", together(four, 600, -600), GestureType::controlCenter,
         GestureType::showDesktop},
        {"four right", together(four, 600, 0), GestureType::swipe, GestureType::swipe},
        {"five pinching", radial(5, 2000, -300), std::nullopt, GestureType::launchpad},
        {"four spreading", radial(4, 2000, 300), std::nullopt, std::nullopt},
    };
    for (const auto& [name, fingers, three, multi] : cases) {
        EXPECT_EQ(classifyThreeFingerGesture(fingers), three) << name;
        EXPECT_EQ(classifyMultiFingerGesture(fingers), multi) << name;
    }

    using Direction = MultiFingerRemoteDirectionClassifier;
    const auto up = together(three, 0, -600);
    EXPECT_DOUBLE_EQ(Direction::metrics(up, MultiFingerRemoteDirectionSampleMode::cumulative)->averageVector.y,
                     -600.0 / 32767);
    EXPECT_DOUBLE_EQ(Direction::metrics(up, MultiFingerRemoteDirectionSampleMode::incremental)->averageVector.y,
                     -150.0 / 32767)
        << "the last step only";
    EXPECT_FALSE(Direction::metrics(moving({{1, 1}}, {{1, 1}}, 0), MultiFingerRemoteDirectionSampleMode::cumulative))
        << "a finger with one sample";
}

TEST(MultiFingerClassifiers, ContractionMetrics) {
    using Contraction = MultiFingerRemoteContractionClassifier;
    // Four fingers at the corners of a square pinch 100 units toward its centre.
    const Positions corners{{9000, 9000}, {11000, 9000}, {11000, 11000}, {9000, 11000}};
    const Positions pinched{{9071, 9071}, {10929, 9071}, {10929, 10929}, {9071, 10929}};
    const auto pinch = moving(corners, pinched, 1);
    const auto m = Contraction::metrics(pinch);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->touchCount, m->inwardFingerCount, m->outwardFingerCount, m->radialDominantInwardFingerCount),
              std::tuple(4, 4, 0, 4));
    EXPECT_NEAR(m->averageRadiusDelta * 32767, -100.4, 0.1);
    EXPECT_NEAR(m->spanDeltaRatio, -0.071, 0.001);
    EXPECT_NEAR(m->translationLength, 0.0, 1e-12);
    EXPECT_TRUE(Contraction::isContraction(pinch));

    EXPECT_FALSE(Contraction::isContraction(moving(corners, shifted(pinched, 300, 0), 1))) << "the hand also slides";
    EXPECT_FALSE(Contraction::metrics(moving(three, shifted(three, 0, 10)))) << "three fingers";
    EXPECT_FALSE(Contraction::metrics(moving(Positions(4, {1, 1}), {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, 1)))
        << "no span before";
}

TEST(ThreeFingerGestureRecognizer, StartsAfterFortyPointsAndSurvivesLiftedFingers) {
    test::GestureKit kit;
    ThreeFingerGestureRecognizer recognizer;
    std::optional<GestureRecognitionResult> began;
    int frame = 0;
    for (; frame <= 6 && !began; ++frame) {
        began = recognizer.recognize(kit.frameAt(1000 + 10 * frame, contacts(shifted(three, 10 * frame, 0))),
                                     kit.buffer);
    }
    ASSERT_TRUE(began);
    EXPECT_EQ(frame - 1, 4) << "once the fingers travelled 40 points";
    EXPECT_EQ(std::pair(began->gestureType, began->gestureState), std::pair(GestureType::swipe, GestureState::began));
    EXPECT_EQ(std::tuple(began->dx, began->dy, began->swipeOffset, began->centerPoint.x),
              std::tuple(10.0, 0.0, 10.0, 6040.0));

    // The swipe keeps going on one finger and follows it.
    recognizer.continueRecognition(kit.frameAt(1050, contacts(shifted(three, 50, 0))), kit.buffer);
    auto sequence = kit.frameAt(1060, contacts(shifted(three, 60, 0), 1));  // fingers 1 and 2 lift
    const auto lifting = recognizer.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(lifting);
    EXPECT_EQ(lifting->dx, 10.0);
    kit.frameAt(1070, contacts({{5075, 5000}}));
    const auto carried = recognizer.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(carried);
    EXPECT_EQ(std::tuple(carried->gestureType, carried->gestureState, carried->dx, carried->centerPoint),
              std::tuple(GestureType::swipe, GestureState::changed, 15.0, Point{5075, 5000}));
}

}  // namespace
}  // namespace touchlane
