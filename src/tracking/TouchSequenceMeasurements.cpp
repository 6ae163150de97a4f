// The questions recognizers and the router ask a sequence. Answers equal a fresh
// computation from the frames and the display bounds current at the call; the
// per-frame questions are answered from running state so that their cost does not
// grow with the length of the sequence.
#include <algorithm>

#include "tracking/GestureRemoteToMacMapper.h"
#include "tracking/TouchConfiguration.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

namespace {
// Running path metrics are kept for this many finger pairs; a pair that comes back
// after being evicted is walked once more from the start.
constexpr size_t pathTrackerCapacity = 4;
// Single contacts compared by the contact-size surge test.
constexpr size_t surgeFrameWindow = 4;
static_assert(surgeFrameWindow <= TouchSequence::recentStoredFrames);
}  // namespace

int64_t TouchSequence::activeTouchCount() const {
    return std::count_if(trackedPoints_.begin(), trackedPoints_.end(),
                         [](const auto& entry) { return !entry.second->isEnded(); });
}

bool TouchSequence::allPointsEnded() const { return activeTouchCount() == 0; }

double TouchSequence::duration() const {
    return endTimestamp_.value_or(lastFrameTimestamp_) - startTimestamp();
}

int64_t TouchSequence::maxTouchesInWindow() const {
    return frameCount() == 0 ? trackedPointCount() : maxFrameTouchCount_;
}

TrackedPointList TouchSequence::activePoints() const { return sortedActivePoints(); }

TrackedPointList TouchSequence::allPoints() const {
    TrackedPointList points;
    points.reserve(trackedPoints_.size());
    for (const auto& [identifier, point] : trackedPoints_) points.push_back(point);
    return points;
}

TrackedPointList TouchSequence::sortedActivePoints() const {
    TrackedPointList points;
    for (const auto& [identifier, point] : trackedPoints_) {
        if (!point->isEnded()) points.push_back(point);
    }
    return points;
}

std::optional<TrackedPointList> TouchSequence::selectTwoFingerPair(const TrackedPointList& points) {
    if (points.size() < 2) return std::nullopt;
    TrackedPointList ranked = points;
    std::partial_sort(ranked.begin(), ranked.begin() + 2, ranked.end(), [](const auto& a, const auto& b) {
        if (a->sampleCount() != b->sampleCount()) return a->sampleCount() > b->sampleCount();
        if (a->firstTimestamp() != b->firstTimestamp()) return a->firstTimestamp() < b->firstTimestamp();
        return a->identifier() < b->identifier();
    });
    ranked.resize(2);
    if (ranked[1]->identifier() < ranked[0]->identifier()) std::swap(ranked[0], ranked[1]);
    return ranked;
}

std::optional<TrackedPointList> TouchSequence::activeTwoFingerPair() const {
    return selectTwoFingerPair(sortedActivePoints());
}

std::optional<TrackedPointList> TouchSequence::twoFingerTrackedPoints() const {
    if (trackedPoints_.size() < 2) return std::nullopt;
    if (trackedPoints_.size() == 2) return allPoints();  // the map keeps identifier order
    if (maxTouchesInWindow() == 2) return selectTwoFingerPair(allPoints());
    return std::nullopt;
}

std::optional<AlignedPathPair> TouchSequence::alignedTwoFingerPaths(const TrackedTouchPoint& first,
                                                                    const TrackedTouchPoint& second, double since,
                                                                    bool includeAll) {
    return alignedPaths(first, second, since, includeAll, GestureRemoteToMacMapper::currentBounds());
}

std::optional<AlignedPathPair> TouchSequence::fullTwoFingerPaths() const {
    const auto pair = twoFingerTrackedPoints();
    if (!pair) return std::nullopt;
    return alignedTwoFingerPaths(*(*pair)[0], *(*pair)[1], 0, true);
}

std::optional<AlignedPathPair> TouchSequence::overlapTwoFingerPaths() const {
    const auto pair = twoFingerTrackedPoints();
    if (!pair) return std::nullopt;
    const double since = std::max((*pair)[0]->firstTimestamp(), (*pair)[1]->firstTimestamp());
    return alignedTwoFingerPaths(*(*pair)[0], *(*pair)[1], since, false);
}

AlignedPathTracker& TouchSequence::pathTracker(const std::shared_ptr<TrackedTouchPoint>& first,
                                               const std::shared_ptr<TrackedTouchPoint>& second) const {
    auto found = std::find_if(pathTrackers_.begin(), pathTrackers_.end(),
                              [&](const auto& tracker) { return tracker.tracks(first.get(), second.get()); });
    if (found == pathTrackers_.end()) {
        if (pathTrackers_.size() == pathTrackerCapacity) pathTrackers_.erase(pathTrackers_.begin());
        pathTrackers_.emplace_back(first, second);
        return pathTrackers_.back();
    }
    // Most recently asked last, so the eviction above drops the stalest pair.
    std::rotate(found, found + 1, pathTrackers_.end());
    return pathTrackers_.back();
}

bool TouchSequence::isTwoFingerStationary() const {
    const auto pair = twoFingerTrackedPoints();
    if (!pair) return false;
    // The overlap paths are a subset of the full paths (both pair samples by equal
    // time stamps), so when the full paths share no time stamp neither do they.
    const auto metrics = pathTracker((*pair)[0], (*pair)[1]).metrics(GestureRemoteToMacMapper::currentBounds());
    if (!metrics) return false;
    const double largestNet = std::max(metrics->first.net, metrics->second.net);
    const double largestLength = std::max(metrics->first.length, metrics->second.length);
    return largestNet <= TouchConfiguration::twoFingerStationaryMaxNet &&
           largestLength <= TouchConfiguration::twoFingerStationaryMaxPathLength;
}

std::optional<Point> TouchSequence::twoFingerCenterMac() const {
    const auto pair = twoFingerTrackedPoints();
    if (!pair) return std::nullopt;
    const Rect bounds = GestureRemoteToMacMapper::currentBounds();
    const TouchPosition& a = (*pair)[0]->lastPosition();
    const TouchPosition& b = (*pair)[1]->lastPosition();
    const Point macA = GestureRemoteToMacMapper::macPoint(a.x, a.y, bounds);
    const Point macB = GestureRemoteToMacMapper::macPoint(b.x, b.y, bounds);
    return Point{(macA.x + macB.x) * 0.5, (macA.y + macB.y) * 0.5};
}

bool TouchSequence::isContactSizeSurge() const {
    if (maxTouchesInWindow() != 1 || state_ == TouchSequenceState::ended) return false;
    std::vector<const TouchPointModel*> singles;
    const auto& frames = rawTouchData();
    const size_t recent = std::min(surgeFrameWindow, frames.size());
    for (size_t k = frames.size() - recent; k < frames.size(); ++k) {
        const auto& list = frames[k]->touchDataArray;
        if (list && list->size() == 1 && list->front()) singles.push_back(list->front().get());
    }
    if (singles.size() < 3) return false;

    struct Sides {
        double major, minor, area;
    };
    auto sides = [](const TouchPointModel& touch) {
        const double w = touch.width, h = touch.height;
        return Sides{std::max(w, h), std::min(w, h), w * h};
    };
    const Sides candidate = sides(*singles.back());
    double meanArea = 0, meanMajor = 0, meanMinor = 0;
    const size_t baselineCount = singles.size() - 1;
    for (size_t k = 0; k < baselineCount; ++k) {
        const Sides s = sides(*singles[k]);
        meanArea += s.area;
        meanMajor += s.major;
        meanMinor += s.minor;
    }
    meanArea /= static_cast<double>(baselineCount);
    meanMajor /= static_cast<double>(baselineCount);
    meanMinor /= static_cast<double>(baselineCount);

    if (candidate.major < TouchConfiguration::contactSurgeMinMajorSide) return false;
    return candidate.minor >= TouchConfiguration::contactSurgeMinMinorSide &&
           candidate.area / std::max(1.0, meanArea) >= TouchConfiguration::contactSurgeMinAreaRatio &&
           candidate.minor / std::max(1.0, meanMinor) >= TouchConfiguration::contactSurgeMinSideRatio &&
           candidate.major / std::max(1.0, meanMajor) >= TouchConfiguration::contactSurgeMinSideRatio;
}

}  // namespace touchlane
