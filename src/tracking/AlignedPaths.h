#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Geometry.h"
#include "tracking/TrackedTouchPoint.h"

namespace touchlane {

// Two equally long screen-point paths, sample k of each taken at the same time.
using AlignedPathPair = std::pair<std::vector<Point>, std::vector<Point>>;

// The samples of two fingers taken at the same time stamps (kept from `since` on
// unless includeAll), in the first finger's order and converted with the given
// display bounds. When the second finger has several samples with one time stamp,
// the newest of them is used. Nothing when no time stamp is shared.
std::optional<AlignedPathPair> alignedPaths(const TrackedTouchPoint& first, const TrackedTouchPoint& second,
                                            double since, bool includeAll, const Rect& bounds);

// Net displacement (first to last point) and path length of a screen-point path.
struct PathMetrics {
    double net = 0;
    double length = 0;
};
PathMetrics pathMetrics(const std::vector<Point>& path);

double screenDistance(const Point& a, const Point& b);

// The path metrics of the full aligned paths of one pair of fingers, kept up to date
// as their samples grow: each question walks only the samples added since the last
// one. The display bounds changing (which invalidates every converted point), or a
// finger gaining more samples between two questions than its newest run kept whole,
// makes it walk the stored paths again; on a path long enough to have been thinned
// that walk sees the thinned samples.
class AlignedPathTracker {
public:
    AlignedPathTracker(std::shared_ptr<const TrackedTouchPoint> first, std::shared_ptr<const TrackedTouchPoint> second);

    bool tracks(const TrackedTouchPoint* first, const TrackedTouchPoint* second) const {
        return first_.get() == first && second_.get() == second;
    }

    // Metrics of the first and the second path, or nothing when they share no time stamp.
    std::optional<std::pair<PathMetrics, PathMetrics>> metrics(const Rect& bounds);

private:
    struct RunningPath {
        Point first;
        Point last;
        double length = 0;
        void append(const Point& point, bool isFirst);
        PathMetrics metrics() const { return {screenDistance(first, last), length}; }
    };

    void rebuild(const Rect& bounds);
    void advance();
    // After a finger's path was thinned, finds the stored positions of the samples
    // the indices below refer to; false when some of them were dropped.
    bool followThinning();
    void noteWalked();
    bool newSamplesAreInTimeOrder() const;

    std::shared_ptr<const TrackedTouchPoint> first_;
    std::shared_ptr<const TrackedTouchPoint> second_;
    Rect bounds_;
    bool hasBounds_ = false;
    // Time stamps normally never decrease; if they do, every question is answered
    // by walking the whole paths.
    bool inTimeOrder_ = true;
    size_t nextFirstSample_ = 0;
    size_t secondSamplesSeen_ = 0;
    size_t secondCursor_ = 0;  // first sample of the second finger not older than the last walked time
    // Samples of each finger and thinnings of its path when last walked.
    uint64_t firstSampleCount_ = 0;
    uint64_t secondSampleCount_ = 0;
    uint64_t firstThinnings_ = 0;
    uint64_t secondThinnings_ = 0;
    size_t pairCount_ = 0;
    RunningPath firstPath_;
    RunningPath secondPath_;
};

}  // namespace touchlane
