#pragma once

#include "platform/Geometry.h"
#include "synthesis/SubPixelator.h"

namespace touchlane {

// A SubPixelator per axis: x deltas through one, y deltas through the other.
class VectorSubPixelator {
public:
    static VectorSubPixelator ceilPixelator();
    static VectorSubPixelator roundPixelator();
    static VectorSubPixelator floorPixelator();
    static VectorSubPixelator biasedPixelator();
    VectorSubPixelator(SubPixelator::RoundingFunction roundingFunction, double threshold);

    void setPixelationThreshold(double threshold);
    Point intVectorWithDoubleVector(Point vector);
    Point peekIntVectorWithDoubleVector(Point vector) const;
    void reset();

    const SubPixelator& x() const { return x_; }
    const SubPixelator& y() const { return y_; }

private:
    VectorSubPixelator(SubPixelator x, SubPixelator y) : x_(x), y_(y) {}

    SubPixelator x_;
    SubPixelator y_;
};

}  // namespace touchlane
