#include "tracking/AlignedPaths.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "tracking/GestureRemoteToMacMapper.h"

namespace touchlane {

double screenDistance(const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y); }

PathMetrics pathMetrics(const std::vector<Point>& path) {
    PathMetrics metrics;
    if (path.empty()) return metrics;
    metrics.net = screenDistance(path.front(), path.back());
    for (size_t k = 1; k < path.size(); ++k) metrics.length += screenDistance(path[k - 1], path[k]);
    return metrics;
}

std::optional<AlignedPathPair> alignedPaths(const TrackedTouchPoint& first, const TrackedTouchPoint& second,
                                            double since, bool includeAll, const Rect& bounds) {
    auto kept = [&](const TouchPosition& sample) { return includeAll || sample.timestamp >= since; };
    std::unordered_map<double, TouchPosition> secondByTime;
    for (const auto& sample : second.positions()) {
        if (kept(sample)) secondByTime[sample.timestamp] = sample;
    }
    if (secondByTime.empty()) return std::nullopt;
    AlignedPathPair paths;
    for (const auto& sample : first.positions()) {
        if (!kept(sample)) continue;
        const auto partner = secondByTime.find(sample.timestamp);
        if (partner == secondByTime.end()) continue;
        paths.first.push_back(GestureRemoteToMacMapper::macPoint(sample.x, sample.y, bounds));
        paths.second.push_back(GestureRemoteToMacMapper::macPoint(partner->second.x, partner->second.y, bounds));
    }
    if (paths.first.empty()) return std::nullopt;
    return paths;
}

void AlignedPathTracker::RunningPath::append(const Point& point, bool isFirst) {
    if (isFirst) {
        first = point;
    } else {
        length += screenDistance(last, point);
    }
    last = point;
}

AlignedPathTracker::AlignedPathTracker(std::shared_ptr<const TrackedTouchPoint> first,
                                       std::shared_ptr<const TrackedTouchPoint> second)
    : first_(std::move(first)), second_(std::move(second)) {}

std::optional<std::pair<PathMetrics, PathMetrics>> AlignedPathTracker::metrics(const Rect& bounds) {
    if ((first_->pathThinnings() != firstThinnings_ || second_->pathThinnings() != secondThinnings_) &&
        !followThinning()) {
        // Walk everything stored again, and check all of it for time order.
        hasBounds_ = false;
        nextFirstSample_ = secondSamplesSeen_ = secondCursor_ = 0;
    }
    if (inTimeOrder_ && !newSamplesAreInTimeOrder()) inTimeOrder_ = false;
    if (!inTimeOrder_) {
        const auto paths = alignedPaths(*first_, *second_, 0, true, bounds);
        if (!paths) return std::nullopt;
        return std::pair{pathMetrics(paths->first), pathMetrics(paths->second)};
    }
    if (!hasBounds_ || !(bounds == bounds_)) {
        rebuild(bounds);
    } else {
        advance();
    }
    if (pairCount_ == 0) return std::nullopt;
    return std::pair{firstPath_.metrics(), secondPath_.metrics()};
}

bool AlignedPathTracker::newSamplesAreInTimeOrder() const {
    auto ordered = [](const std::vector<TouchPosition>& samples, size_t from) {
        for (size_t k = from == 0 ? 1 : from; k < samples.size(); ++k) {
            if (samples[k].timestamp < samples[k - 1].timestamp) return false;
        }
        return true;
    };
    return ordered(first_->positions(), nextFirstSample_) && ordered(second_->positions(), secondSamplesSeen_);
}

bool AlignedPathTracker::followThinning() {
    // The indices are known by sample number: the first finger's next sample is
    // number firstSampleCount_ (and the one before it the newest walked), the second
    // finger's first unseen sample number secondSampleCount_.
    const auto firstNext = first_->storedSampleIndex(firstSampleCount_);
    const auto secondNext = second_->storedSampleIndex(secondSampleCount_);
    if (!firstNext || !secondNext || *firstNext == 0 || !first_->storedSampleIndex(firstSampleCount_ - 1)) {
        return false;
    }
    const auto& secondSamples = second_->positions();
    // The cursor stays behind when the first finger gets no new samples (it lifted
    // while the second stays down) and may then have been thinned away: find it again.
    const auto cursor = second_->storedSampleIndex(secondSampleCount_ - (secondSamplesSeen_ - secondCursor_));
    const double lastWalked = first_->positions()[*firstNext - 1].timestamp;
    nextFirstSample_ = *firstNext;
    secondSamplesSeen_ = *secondNext;
    const auto earlier = [](const TouchPosition& sample, double time) { return sample.timestamp < time; };
    secondCursor_ = cursor ? *cursor
                           : static_cast<size_t>(
                                 std::lower_bound(secondSamples.begin(), secondSamples.end(), lastWalked, earlier) -
                                 secondSamples.begin());
    firstThinnings_ = first_->pathThinnings();
    secondThinnings_ = second_->pathThinnings();
    return true;
}

void AlignedPathTracker::noteWalked() {
    firstSampleCount_ = first_->sampleCount();
    secondSampleCount_ = second_->sampleCount();
    firstThinnings_ = first_->pathThinnings();
    secondThinnings_ = second_->pathThinnings();
}

void AlignedPathTracker::rebuild(const Rect& bounds) {
    bounds_ = bounds;
    hasBounds_ = true;
    nextFirstSample_ = 0;
    secondSamplesSeen_ = 0;
    secondCursor_ = 0;
    pairCount_ = 0;
    firstPath_ = {};
    secondPath_ = {};
    advance();
}

void AlignedPathTracker::advance() {
    const auto& firstSamples = first_->positions();
    const auto& secondSamples = second_->positions();
    // A new sample of the second finger stamped no later than a sample of the first
    // finger already walked could change a pairing made earlier (frames that share a
    // time stamp): walk everything again.
    if (nextFirstSample_ > 0 && secondSamples.size() > secondSamplesSeen_ &&
        secondSamples[secondSamplesSeen_].timestamp <= firstSamples[nextFirstSample_ - 1].timestamp) {
        rebuild(bounds_);
        return;
    }
    for (; nextFirstSample_ < firstSamples.size(); ++nextFirstSample_) {
        const TouchPosition& sample = firstSamples[nextFirstSample_];
        while (secondCursor_ < secondSamples.size() && secondSamples[secondCursor_].timestamp < sample.timestamp) {
            ++secondCursor_;
        }
        if (secondCursor_ == secondSamples.size() || secondSamples[secondCursor_].timestamp != sample.timestamp) {
            continue;
        }
        size_t partner = secondCursor_;
        while (partner + 1 < secondSamples.size() && secondSamples[partner + 1].timestamp == sample.timestamp) {
            ++partner;
        }
        const bool isFirstPair = pairCount_ == 0;
        firstPath_.append(GestureRemoteToMacMapper::macPoint(sample.x, sample.y, bounds_), isFirstPair);
        const TouchPosition& other = secondSamples[partner];
        secondPath_.append(GestureRemoteToMacMapper::macPoint(other.x, other.y, bounds_), isFirstPair);
        ++pairCount_;
    }
    secondSamplesSeen_ = secondSamples.size();
    noteWalked();
}

}  // namespace touchlane
