#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "logging/LogHook.h"
#include "synthesis/VectorSubPixelator.h"
#include "synthesis/VectorUtility.h"

namespace touchlane {
namespace {

TEST(SubPixelator, CarriesTheRemainderFromDeltaToDelta) {
    struct Case {
        const char* name;
        SubPixelator pixelator;
        std::vector<double> deltas;
        std::vector<double> expected;
    } cases[] = {
        {"ceil", SubPixelator::ceilPixelator(), {0.25, 0.25, 0.25, 0.25}, {1, 0, 0, 0}},
        {"floor", SubPixelator::floorPixelator(), {0.4, 0.4, 0.4, -0.7}, {0, 0, 1, -1}},
        {"round", SubPixelator::roundPixelator(), {0.3, 0.3, 0.3}, {0, 1, 0}},
        {"zero changes nothing", SubPixelator::ceilPixelator(), {0.5, 0, 0.5}, {1, 0, 0}},
        {"biased: ceil from a positive start", SubPixelator::biasedPixelator(), {0.3, 0.3, 0.3, 0.3}, {1, 0, 0, 1}},
        {"biased: floor from a negative start, kept", SubPixelator::biasedPixelator(), {-0.3, 0.5, 0.5}, {-1, 1, 0}},
        {"at the threshold (within 0.001) unrounded", SubPixelator(std::ceil, 2.0), {0.5, 2.4995, 0.2},
         {1, 2.4995 - 0.5, 1}},
    };
    for (auto& c : cases) {
        LogRecorder quiet;
        for (size_t i = 0; i < c.deltas.size(); ++i) {
            EXPECT_DOUBLE_EQ(c.pixelator.intDeltaWithDoubleDelta(c.deltas[i]), c.expected[i]) << c.name << " #" << i;
        }
    }
}

TEST(SubPixelator, PeekChangesNothingAndResetForgetsTheBiasedChoice) {
    LogRecorder log;
    VectorSubPixelator biased = VectorSubPixelator::biasedPixelator();
    EXPECT_EQ(biased.peekIntVectorWithDoubleVector({-0.2, 0}), (Point{-1, 0}));
    EXPECT_EQ(biased.intVectorWithDoubleVector({0.2, -0.3}), (Point{1, -1})) << "the peek must not choose";
    EXPECT_EQ(biased.peekIntVectorWithDoubleVector({0.5, 0}), (Point{0, 0}));
    EXPECT_DOUBLE_EQ(biased.x().accumulatedRoundingError(), -0.8);
    EXPECT_DOUBLE_EQ(biased.y().accumulatedRoundingError(), 0.7);
    biased.reset();
    EXPECT_EQ(biased.x().accumulatedRoundingError(), 0);
    EXPECT_EQ(biased.intVectorWithDoubleVector({-0.2, 0}), (Point{-1, 0}));

    EXPECT_EQ(log.messages()[0], "\nSubpixelator PEEK with d: -0.200000, oldErr: 0.000000, roundedD: -1.000000");
    EXPECT_EQ(log.messages()[1],
              "\nSubpixelator eval with d: 0.200000, oldErr: 0.000000, roundedD: 1.000000, newErr: -0.800000");
}

TEST(VectorUtility, UnitVectorsAndDeltasAlongDirections) {
    LogRecorder log;
    using V = VectorUtility;
    EXPECT_EQ(V::unitVector({3, 4}), (Point{0.6, 0.8}));
    EXPECT_EQ(V::unitVector({0, 0}), (Point{0, 0}));
    EXPECT_TRUE(log.contains("Can't calculate unit vector for vector with magnitude 0. Returning zero vector."));
    EXPECT_EQ(V::vectorFromDeltaAndDirectionVector(10, {0, -2}), (Point{0, -10}));
    const Point byCode[] = {{0, 3}, {3, 0}, {0, 3}, {3, 0}};
    for (int code = 1; code <= 4; ++code) EXPECT_EQ(V::vectorFromDeltaAndDirection(3, code), byCode[code - 1]);
    EXPECT_EQ(V::vectorFromDeltaAndDirection(-1, 1), (Point{0, 0}));
    EXPECT_TRUE(log.contains("delta > 0"));
}

}  // namespace
}  // namespace touchlane
