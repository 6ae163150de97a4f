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
    auto ordered = [](const TrackedTouchPoint& point, uint64_t seen) {
        const auto& samples = point.positions();
        // A finger that outran its whole run is checked over everything stored.
        const size_t from = std::max<size_t>(point.storedSampleIndex(seen).value_or(0), 1);
        for (size_t k = from; k < samples.size(); ++k) {
            if (samples[k].timestamp < samples[k - 1].timestamp) return false;
        }
        return true;
    };
    return ordered(*first_, firstSamplesWalked_) && ordered(*second_, secondSamplesSeen_);
}

void AlignedPathTracker::rebuild(const Rect& bounds) {
    bounds_ = bounds;
    hasBounds_ = true;
    pairCount_ = 0;
    firstPath_ = {};
    secondPath_ = {};
    walk(0);
}

void AlignedPathTracker::advance() {
    const auto from = first_->storedSampleIndex(firstSamplesWalked_);
    if (!from) {
        rebuild(bounds_);
        return;
    }
    // A new sample of the second finger stamped no later than a sample of the first
    // finger already walked could change a pairing made earlier (frames that share a
    // time stamp): walk everything again.
    if (firstSamplesWalked_ > 0 && second_->sampleCount() > secondSamplesSeen_) {
        const auto firstNew = second_->storedSampleIndex(secondSamplesSeen_);
        if (!firstNew || second_->positions()[*firstNew].timestamp <= lastWalkedTimestamp_) {
            rebuild(bounds_);
            return;
        }
    }
    walk(*from);
}

void AlignedPathTracker::walk(size_t from) {
    const auto& firstSamples = first_->positions();
    const auto& secondSamples = second_->positions();
    if (from < firstSamples.size()) {
        // Both paths are in time order here: the partner of each sample is the
        // newest sample of the second finger with the same time stamp.
        size_t cursor = static_cast<size_t>(
            std::lower_bound(secondSamples.begin(), secondSamples.end(), firstSamples[from].timestamp,
                             [](const TouchPosition& s, double t) { return s.timestamp < t; }) -
            secondSamples.begin());
        for (size_t k = from; k < firstSamples.size(); ++k) {
            const TouchPosition& sample = firstSamples[k];
            while (cursor < secondSamples.size() && secondSamples[cursor].timestamp < sample.timestamp) ++cursor;
            if (cursor == secondSamples.size() || secondSamples[cursor].timestamp != sample.timestamp) continue;
            size_t partner = cursor;
            while (partner + 1 < secondSamples.size() && secondSamples[partner + 1].timestamp == sample.timestamp) {
                ++partner;
            }
            const bool isFirstPair = pairCount_ == 0;
            firstPath_.append(GestureRemoteToMacMapper::macPoint(sample.x, sample.y, bounds_), isFirstPair);
            const TouchPosition& other = secondSamples[partner];
            secondPath_.append(GestureRemoteToMacMapper::macPoint(other.x, other.y, bounds_), isFirstPair);
            ++pairCount_;
        }
        lastWalkedTimestamp_ = firstSamples.back().timestamp;
    }
    firstSamplesWalked_ = first_->sampleCount();
    secondSamplesSeen_ = second_->sampleCount();
}

}  // namespace touchlane
