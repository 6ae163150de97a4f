#include "synthesis/VectorSubPixelator.h"

namespace touchlane {

VectorSubPixelator VectorSubPixelator::ceilPixelator() {
    return {SubPixelator::ceilPixelator(), SubPixelator::ceilPixelator()};
}

VectorSubPixelator VectorSubPixelator::roundPixelator() {
    return {SubPixelator::roundPixelator(), SubPixelator::roundPixelator()};
}

VectorSubPixelator VectorSubPixelator::floorPixelator() {
    return {SubPixelator::floorPixelator(), SubPixelator::floorPixelator()};
}

VectorSubPixelator VectorSubPixelator::biasedPixelator() {
    return {SubPixelator::biasedPixelator(), SubPixelator::biasedPixelator()};
}

VectorSubPixelator::VectorSubPixelator(SubPixelator::RoundingFunction roundingFunction, double threshold)
    : x_(roundingFunction, threshold), y_(roundingFunction, threshold) {}

void VectorSubPixelator::setPixelationThreshold(double threshold) {
    x_.setPixelationThreshold(threshold);
    y_.setPixelationThreshold(threshold);
}

Point VectorSubPixelator::intVectorWithDoubleVector(Point vector) {
    return {x_.intDeltaWithDoubleDelta(vector.x), y_.intDeltaWithDoubleDelta(vector.y)};
}

Point VectorSubPixelator::peekIntVectorWithDoubleVector(Point vector) const {
    return {x_.peekIntDeltaWithDoubleDelta(vector.x), y_.peekIntDeltaWithDoubleDelta(vector.y)};
}

void VectorSubPixelator::reset() {
    x_.reset();
    y_.reset();
}

}  // namespace touchlane
