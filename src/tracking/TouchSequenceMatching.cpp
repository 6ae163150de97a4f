// How the contacts of a frame continue the tracked fingers of a sequence.
#include <algorithm>
#include <cmath>

#include "logging/Logger.h"
#include "tracking/TouchSequence.h"

namespace touchlane {

namespace {

double distanceToLastPosition(const TouchPointModel& touch, const TrackedTouchPoint& point) {
    const TouchPosition& last = point.lastPosition();
    const double dx = static_cast<double>(static_cast<int>(touch.x) - static_cast<int>(last.x));
    const double dy = static_cast<double>(static_cast<int>(touch.y) - static_cast<int>(last.y));
    return std::hypot(dx, dy);
}

struct Candidate {
    int64_t touchPointIndex;
    uint8_t trackedIdentifier;
    double distance;
    bool rawIndexMatches;
};

}  // namespace

bool TouchSequence::isTwoFingerContext(int64_t currentTouchCount) const {
    int64_t largest = currentTouchCount;
    const auto& frames = rawTouchData();
    const size_t recent = std::min(recentFrameWindow, frames.size());
    for (size_t k = frames.size() - recent; k < frames.size(); ++k) {
        largest = std::max(largest, static_cast<int64_t>(contactCount(*frames[k])));
    }
    return largest < 3;
}

std::vector<TouchSequence::IdentityAssignment> TouchSequence::assignIdentities(const TouchPointList& touches) const {
    std::vector<IdentityAssignment> assignment;
    for (const auto& touch : touches) assignment.push_back({touch, 0, true});
    const TrackedPointList active = sortedActivePoints();
    if (active.empty()) return assignment;

    // Two fingers: compare the two ways of pairing them as a whole, so that fingers
    // passing close to each other keep their identities.
    if (touches.size() == 2 && isTwoFingerContext(2)) {
        const TrackedPointList pair = selectTwoFingerPair(active).value_or(active);
        if (pair.size() >= 2) {
            auto cost = [&](size_t t, size_t p) {
                const double penalty = pair[p]->rawIndex() == touches[t]->index ? 0.0 : rawIndexMismatchPenalty;
                return distanceToLastPosition(*touches[t], *pair[p]) + penalty;
            };
            const double c00 = cost(0, 0), c11 = cost(1, 1), c01 = cost(0, 1), c10 = cost(1, 0);
            const bool straight = c00 + c11 <= c01 + c10;  // a tie keeps the straight pairing
            const size_t pointFor[2] = {straight ? 0u : 1u, straight ? 1u : 0u};
            const double costFor[2] = {straight ? c00 : c01, straight ? c11 : c10};
            for (size_t t = 0; t < 2; ++t) {
                if (costFor[t] > maxMatchDistance) continue;
                assignment[t].identifier = pair[pointFor[t]]->identifier();
                assignment[t].isNew = false;
            }
            return assignment;
        }
    }

    std::vector<Candidate> candidates;
    candidates.reserve(touches.size() * active.size());
    for (size_t t = 0; t < touches.size(); ++t) {
        for (const auto& point : active) {
            candidates.push_back({static_cast<int64_t>(t), point->identifier(),
                                  distanceToLastPosition(*touches[t], *point), point->rawIndex() == touches[t]->index});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.distance != b.distance) return a.distance < b.distance;
        if (a.rawIndexMatches != b.rawIndexMatches) return a.rawIndexMatches;
        return a.trackedIdentifier < b.trackedIdentifier;
    });
    std::vector<bool> usedTouches(touches.size(), false);
    std::set<uint8_t> usedIdentifiers;
    for (const auto& candidate : candidates) {
        const auto t = static_cast<size_t>(candidate.touchPointIndex);
        if (candidate.distance > maxMatchDistance || usedTouches[t] ||
            usedIdentifiers.count(candidate.trackedIdentifier)) {
            continue;
        }
        assignment[t].identifier = candidate.trackedIdentifier;
        assignment[t].isNew = false;
        usedTouches[t] = true;
        usedIdentifiers.insert(candidate.trackedIdentifier);
    }
    return assignment;
}

void TouchSequence::compactTwoFingerTrackedPoints(const std::set<uint8_t>& keeping) {
    if (trackedPoints_.size() < 3) return;
    size_t removed = 0;
    for (auto point = trackedPoints_.begin(); point != trackedPoints_.end();) {
        if (keeping.count(point->first)) {
            ++point;
        } else {
            point = trackedPoints_.erase(point);
            ++removed;
        }
    }
    if (removed == 0) return;
    // Contacts the device stopped reporting without a lift would otherwise stay
    // "active" and spoil the choice of the two fingers.
    Logger::shared().log("Compacted two-finger tracked points: removed " + std::to_string(removed) +
                         " stray track(s)");
}

}  // namespace touchlane
