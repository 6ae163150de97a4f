#pragma once

namespace touchlane {

// Turns a stream of fractional deltas into whole ones, carrying the remainder from
// one delta to the next so that slow movement still adds up to whole steps.
// Magnitudes at or above the threshold pass through unrounded.
class SubPixelator {
public:
    using RoundingFunction = double (*)(double);

    // Each with an infinite threshold: every delta is rounded.
    static SubPixelator ceilPixelator();
    static SubPixelator roundPixelator();
    static SubPixelator floorPixelator();
    // Picks ceil or floor from the sign of its first non-zero delta after a reset,
    // so the first movement of a gesture always yields a whole step.
    static SubPixelator biasedPixelator();
    static SubPixelator biasedPixelatorWithThreshold(double threshold);
    SubPixelator(RoundingFunction roundingFunction, double threshold);

    void setPixelationThreshold(double threshold) { threshold_ = threshold; }
    double intDeltaWithDoubleDelta(double delta);
    // The value intDeltaWithDoubleDelta would give, changing nothing.
    double peekIntDeltaWithDoubleDelta(double delta) const;
    void reset();

    bool isBiasedPixelator() const { return isBiased_; }
    double accumulatedRoundingError() const { return accumulatedRoundingError_; }
    double threshold() const { return threshold_; }

private:
    SubPixelator(bool isBiased, RoundingFunction roundingFunction, double threshold);
    double rounded(double sum, RoundingFunction function) const;

    bool isBiased_;
    double accumulatedRoundingError_ = 0;
    RoundingFunction roundingFunction_;
    double threshold_;
};

}  // namespace touchlane
