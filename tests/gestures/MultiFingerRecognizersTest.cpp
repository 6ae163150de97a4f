#include <gtest/gtest.h>

#include <cmath>

#include "GestureKit.h"
#include "gestures/MultiFingerMotion.h"
#include "gestures/MultiFingerRecognizers.h"

namespace touchlane {
namespace {

using test::down;
using test::finger;
using test::lifted;

// Fingers starting at `starts` and each moving by (dx, dy) in `steps` equal steps.
TrackedPointList movedTogether(const std::vector<std::pair<int, int>>& starts, int dx, int dy, int steps = 4) {
    TrackedPointList fingers;
    for (size_t k = 0; k < starts.size(); ++k) {
        std::vector<std::pair<int, int>> path;
        for (int s = 0; s <= steps; ++s)
            path.emplace_back(starts[k].first + dx * s / steps, starts[k].second + dy * s / steps);
        fingers.push_back(finger(static_cast<uint8_t>(k), path));
    }
    return fingers;
}

// Fingers on a circle around (10000, 10000), each moving radially by `delta` in one step.
TrackedPointList radial(int count, double radius, double delta) {
    TrackedPointList fingers;
    for (int k = 0; k < count; ++k) {
        const double angle = 2 * 3.14159265358979 * k / count + 0.3;
        auto at = [&](double r) {
            return std::pair<int, int>(static_cast<int>(std::lround(10000 + r * std::cos(angle))),
                                       static_cast<int>(std::lround(10000 + r * std::sin(angle))));
        };
        fingers.push_back(finger(static_cast<uint8_t>(k), {at(radius), at(radius + delta)}));
    }
    return fingers;
}

const std::vector<std::pair<int, int>> three{{5000, 5000}, {6000, 5200}, {7000, 5000}};
const std::vector<std::pair<int, int>> four{{5000, 5000}, {6000, 5200}, {7000, 5200}, {8000, 5000}};

TEST(MultiFingerClassifiers, DirectionAndClassification) {
    struct Case {
        const char* name;
        TrackedPointList fingers;
        std::optional<GestureType> three, multi;
    };
    const Case cases[] = {
        {"three right", movedTogether(three, 600, 0), GestureType::swipe, GestureType::swipe},
        {"three up", movedTogether(three, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"three spreading", radial(3, 1000, 300), std::nullopt, std::nullopt},
        {"four up", movedTogether(four, 0, -600), GestureType::controlCenter, GestureType::showDesktop},
        {"four up-right at 45 degrees", movedTogether(four, 600, -600), GestureType::controlCenter,
         GestureType::showDesktop},
        {"four right", movedTogether(four, 600, 0), GestureType::swipe, GestureType::swipe},
        {"five pinching", radial(5, 2000, -300), std::nullopt, GestureType::launchpad},
        {"four spreading", radial(4, 2000, 300), std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyThreeFingerGesture(c.fingers), c.three) << c.name;
        EXPECT_EQ(classifyMultiFingerGesture(c.fingers), c.multi) << c.name;
    }

    const auto up = MultiFingerRemoteDirectionClassifier::metrics(movedTogether(three, 0, -600),
                                                                  MultiFingerRemoteDirectionSampleMode::cumulative);
    ASSERT_TRUE(up);
    EXPECT_TRUE(up->isSameDirection && up->verticalOrDiagonal && up->stronglyVertical && !up->horizontalDominant);
    EXPECT_TRUE(up->threeFingerVerticalFallback);
    EXPECT_DOUBLE_EQ(up->averageVector.y, -600.0 / 32767);
    // Incremental mode looks at the last step only.
    const auto step = MultiFingerRemoteDirectionClassifier::metrics(movedTogether(three, 0, -600),
                                                                    MultiFingerRemoteDirectionSampleMode::incremental);
    EXPECT_DOUBLE_EQ(step->averageVector.y, -150.0 / 32767);
    EXPECT_FALSE(MultiFingerRemoteDirectionClassifier::metrics({finger(0, {{1, 1}})},
                                                               MultiFingerRemoteDirectionSampleMode::cumulative));
    EXPECT_FALSE(MultiFingerRemoteDirectionClassifier::metrics({}, MultiFingerRemoteDirectionSampleMode::incremental));
}

TEST(MultiFingerClassifiers, ContractionMetrics) {
    // Four fingers at the corners of a square pinch 100 units toward its centre.
    const TrackedPointList pinch{finger(0, {{9000, 9000}, {9071, 9071}}), finger(1, {{11000, 9000}, {10929, 9071}}),
                                 finger(2, {{11000, 11000}, {10929, 10929}}),
                                 finger(3, {{9000, 11000}, {9071, 10929}})};
    const auto m = MultiFingerRemoteContractionClassifier::metrics(pinch);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->touchCount, 4);
    EXPECT_EQ(m->inwardFingerCount, 4);
    EXPECT_EQ(m->outwardFingerCount, 0);
    EXPECT_EQ(m->radialDominantInwardFingerCount, 4);
    EXPECT_NEAR(m->averageRadiusDelta * 32767, -100.4, 0.1);
    EXPECT_NEAR(m->spanDeltaRatio, -0.071, 0.001);
    EXPECT_NEAR(m->translationLength, 0.0, 1e-12);
    EXPECT_TRUE(MultiFingerRemoteContractionClassifier::isContraction(pinch));

    // The same pinch while the hand also slides: not a contraction.
    TrackedPointList sliding;
    for (const auto& f : pinch) {
        const auto& p = f->positions();
        sliding.push_back(finger(f->identifier(), {{p[0].x, p[0].y}, {p[1].x + 300, p[1].y}}));
    }
    EXPECT_FALSE(MultiFingerRemoteContractionClassifier::isContraction(sliding));
    EXPECT_FALSE(MultiFingerRemoteContractionClassifier::metrics(movedTogether(three, 0, 10))) << "three fingers";
    EXPECT_FALSE(
        MultiFingerRemoteContractionClassifier::metrics({finger(0, {{1, 1}, {1, 1}}), finger(1, {{1, 1}, {2, 2}}),
                                                         finger(2, {{1, 1}, {3, 3}}), finger(3, {{1, 1}, {4, 4}})}))
        << "no span before";
}

TEST(MultiFingerClassifiers, FingerMapsAndContinuity) {
    test::GestureKit kit;  // one unit per point
    const TrackedPointList fingers{finger(3, {{100, 100}, {110, 100}}), finger(5, {{300, 100}, {330, 140}})};
    const FingerPositionMap first = firstFingerPositions(fingers);
    EXPECT_EQ(first.at(5), (Point{300, 100}));
    EXPECT_EQ(averageDisplacement(first, fingers), (10.0 + 50.0) / 2);

    // Matched motion: taken as is, the centre follows the fingers.
    auto step = continuityTranslation(first, fingers, Point{0, 0});
    EXPECT_EQ(step.translation, (Point{20, 20}));
    EXPECT_EQ(step.center, (Point{220, 120}));
    // No finger matched: the centroid's move from the stored centre.
    step = continuityTranslation({{9, Point{}}}, fingers, Point{200, 100});
    EXPECT_EQ(step.translation, (Point{20, 20}));
    EXPECT_EQ(step.center, (Point{220, 120}));
    // Nothing stored yet: no jump.
    step = continuityTranslation({{9, Point{}}}, fingers, std::nullopt);
    EXPECT_EQ(step.translation, (Point{0, 0}));
    EXPECT_EQ(step.center, (Point{220, 120}));
}

std::vector<test::Contact> contacts(const std::vector<std::pair<int, int>>& starts, int dx, int dy,
                                    size_t liftedFrom = 99) {
    std::vector<test::Contact> list;
    for (size_t k = 0; k < starts.size(); ++k) {
        const auto x = static_cast<uint16_t>(starts[k].first + dx), y = static_cast<uint16_t>(starts[k].second + dy);
        list.push_back(k >= liftedFrom ? lifted(static_cast<uint8_t>(k), x, y) : down(static_cast<uint8_t>(k), x, y));
    }
    return list;
}

TEST(ThreeFingerGestureRecognizer, ClassifiesAfterFortyPointsAndSurvivesLiftedFingers) {
    struct Case {
        const char* name;
        int dx, dy;
        GestureType type;
    };
    for (const auto& c : {Case{"right", 10, 0, GestureType::swipe}, Case{"up", 0, -10, GestureType::controlCenter}}) {
        test::GestureKit kit;
        ThreeFingerGestureRecognizer recognizer;
        std::optional<GestureRecognitionResult> began;
        int frame = 0;
        for (; frame <= 6 && !began; ++frame) {
            auto sequence = kit.frameAt(1000 + 10 * frame, contacts(three, c.dx * frame, c.dy * frame));
            began = recognizer.recognize(sequence, kit.buffer);
        }
        ASSERT_TRUE(began) << c.name;
        EXPECT_EQ(frame - 1, 4) << c.name << ": once the fingers travelled 40 points";
        EXPECT_EQ(began->gestureType, c.type);
        EXPECT_EQ(began->gestureState, GestureState::began);
        EXPECT_EQ(began->dx, c.dx);
        EXPECT_EQ(began->dy, c.dy);
        EXPECT_EQ(began->swipeOffset, c.type == GestureType::swipe ? c.dx : c.dy);
        EXPECT_EQ(began->centerPoint.x, 6000 + 4 * c.dx);
    }

    // A swipe under way keeps going on one finger and follows it.
    test::GestureKit kit;
    ThreeFingerGestureRecognizer recognizer;
    for (int frame = 0; frame <= 5; ++frame) {
        recognizer.recognize(kit.frameAt(1000 + 10 * frame, contacts(three, 10 * frame, 0)), kit.buffer);
    }
    ASSERT_TRUE(recognizer.hasPostedBeganInSession());
    auto sequence = kit.frameAt(1060, contacts(three, 60, 0, 1));  // fingers 1 and 2 lift
    const auto lifting = recognizer.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(lifting);
    EXPECT_EQ(lifting->dx, 10.0);
    kit.frameAt(1070, {down(0, 5075, 5000)});
    const auto carried = recognizer.continueRecognition(sequence, kit.buffer);
    ASSERT_TRUE(carried);
    EXPECT_EQ(carried->gestureType, GestureType::swipe);
    EXPECT_EQ(carried->gestureState, GestureState::changed);
    EXPECT_EQ(carried->dx, 15.0);
    EXPECT_EQ(carried->centerPoint, (Point{5075, 5000}));
}

TEST(ThreeFingerGestureRecognizer, SpreadingFingersAreNoGesture) {
    test::GestureKit kit;
    ThreeFingerGestureRecognizer recognizer;
    for (int frame = 0; frame <= 8; ++frame) {
        // Three fingers 120 degrees apart move straight away from their centre.
        std::vector<test::Contact> spread;
        for (int k = 0; k < 3; ++k) {
            const double angle = 2 * 3.14159265358979 * k / 3 + 1.5707963267949;
            const double radius = 1000 + 20 * frame;
            spread.push_back(down(static_cast<uint8_t>(k),
                                  static_cast<uint16_t>(std::lround(8000 + radius * std::cos(angle))),
                                  static_cast<uint16_t>(std::lround(8000 + radius * std::sin(angle)))));
        }
        EXPECT_FALSE(recognizer.recognize(kit.frameAt(1000 + 10 * frame, spread), kit.buffer)) << frame;
    }
    EXPECT_EQ(recognizer.determinedGestureType(), std::nullopt);
}

TEST(MultiFingerGestureRecognizer, LauncherProgressAndPeakLimit) {
    test::GestureKit kit;
    MultiFingerGestureRecognizer recognizer;
    auto ring = [](double radius) {
        std::vector<test::Contact> list;
        for (int k = 0; k < 5; ++k) {
            const double angle = 2 * 3.14159265358979 * k / 5 + 0.3;
            list.push_back(down(static_cast<uint8_t>(k),
                                static_cast<uint16_t>(std::lround(10000 + radius * std::cos(angle))),
                                static_cast<uint16_t>(std::lround(10000 + radius * std::sin(angle)))));
        }
        return list;
    };
    std::optional<GestureRecognitionResult> result;
    double previousPolyline = 0;
    for (int frame = 0; frame <= 6 && !result; ++frame) {
        auto sequence = kit.frameAt(1000 + 10 * frame, ring(2000 - 60 * frame));
        if (recognizer.lastPolylineLengthMac()) previousPolyline = *recognizer.lastPolylineLengthMac();
        result = recognizer.recognize(sequence, kit.buffer);
        if (result) {
            EXPECT_EQ(result->gestureType, GestureType::launchpad);
            EXPECT_DOUBLE_EQ(result->swipeOffset,
                             (polylineLength(sequence->sortedActivePoints()) - previousPolyline) / previousPolyline);
            EXPECT_LT(result->swipeOffset, 0);
        }
    }
    EXPECT_TRUE(result);

    test::GestureKit six;
    MultiFingerGestureRecognizer never;
    std::vector<std::pair<int, int>> sixStarts{{3000, 5000}, {4000, 5000}, {5000, 5000},
                                               {6000, 5000}, {7000, 5000}, {8000, 5000}};
    for (int frame = 0; frame <= 8; ++frame) {
        auto sequence = six.frameAt(1000 + 10 * frame, contacts(sixStarts, 20 * frame, 0));
        EXPECT_FALSE(never.recognize(sequence, six.buffer));
    }
}

}  // namespace
}  // namespace touchlane
