#include "synthesis/SubPixelator.h"

#include <cmath>
#include <limits>

#include "logging/SystemLog.h"

namespace touchlane {

namespace {
constexpr double kNoThreshold = std::numeric_limits<double>::infinity();
// A sum this close to the threshold counts as reaching it.
constexpr double kThresholdTolerance = 0.001;

double ceilOf(double v) { return std::ceil(v); }
double floorOf(double v) { return std::floor(v); }
double roundOf(double v) { return std::round(v); }

SubPixelator::RoundingFunction biasedChoice(double delta) { return delta > 0 ? ceilOf : floorOf; }
}  // namespace

SubPixelator::SubPixelator(bool isBiased, RoundingFunction roundingFunction, double threshold)
    : isBiased_(isBiased), roundingFunction_(roundingFunction), threshold_(threshold) {}

SubPixelator::SubPixelator(RoundingFunction roundingFunction, double threshold)
    : SubPixelator(false, roundingFunction, threshold) {}

SubPixelator SubPixelator::ceilPixelator() { return SubPixelator(ceilOf, kNoThreshold); }
SubPixelator SubPixelator::roundPixelator() { return SubPixelator(roundOf, kNoThreshold); }
SubPixelator SubPixelator::floorPixelator() { return SubPixelator(floorOf, kNoThreshold); }
SubPixelator SubPixelator::biasedPixelator() { return biasedPixelatorWithThreshold(kNoThreshold); }

SubPixelator SubPixelator::biasedPixelatorWithThreshold(double threshold) {
    return SubPixelator(true, nullptr, threshold);
}

double SubPixelator::rounded(double sum, RoundingFunction function) const {
    if (std::abs(sum) >= threshold_ - kThresholdTolerance) return sum;
    return function(sum);
}

double SubPixelator::intDeltaWithDoubleDelta(double delta) {
    if (delta == 0) return 0;
    if (isBiased_ && roundingFunction_ == nullptr) roundingFunction_ = biasedChoice(delta);
    if (roundingFunction_ == nullptr) {
        // Only a pixelator made with no function gets here; pass the delta through.
        systemLog("rf != NULL");
        return delta;
    }
    double oldError = accumulatedRoundingError_;
    double sum = oldError + delta;
    double result = rounded(sum, roundingFunction_);
    accumulatedRoundingError_ = sum - result;
    systemLog("\nSubpixelator eval with d: {:f}, oldErr: {:f}, roundedD: {:f}, newErr: {:f}", delta, oldError, result,
              accumulatedRoundingError_);
    return result;
}

double SubPixelator::peekIntDeltaWithDoubleDelta(double delta) const {
    if (delta == 0) return 0;
    RoundingFunction function = roundingFunction_;
    if (function == nullptr && isBiased_) {
        if (accumulatedRoundingError_ != 0) systemLog("self.accumulatedRoundingError == 0");
        function = biasedChoice(delta);
    }
    if (function == nullptr) {
        systemLog("rf != NULL");
        return delta;
    }
    double sum = accumulatedRoundingError_ + delta;
    double result = rounded(sum, function);
    systemLog("\nSubpixelator PEEK with d: {:f}, oldErr: {:f}, roundedD: {:f}", delta, accumulatedRoundingError_,
              result);
    return result;
}

void SubPixelator::reset() {
    accumulatedRoundingError_ = 0;
    if (isBiased_) roundingFunction_ = nullptr;
}

}  // namespace touchlane
