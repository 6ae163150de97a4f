#include "routing/TwoFingerMissDiagnostics.h"

#include <cmath>
#include <optional>

#include <fmt/format.h>

#include "gestures/TwoFingerMotion.h"

namespace touchlane {

namespace {

std::string analysisText(const char* name, const std::optional<TwoFingerAnalysis>& a) {
    if (!a) return fmt::format("{}(nil)", name);
    return fmt::format("{}(angle={:.1f},dot={:.1f},center={:.1f},m1={:.1f},m2={:.1f})", name, a->vectorAngle,
                       a->dotProduct, std::hypot(a->scrollVector.x, a->scrollVector.y), a->magnitude1,
                       a->magnitude2);
}

std::string chordText(const TrackedTouchPoint& first, const TrackedTouchPoint& second) {
    const auto& h1 = first.positions();
    const auto& h2 = second.positions();
    if (h1.size() < 2 || h2.size() < 2) return "chord(nil)";
    const auto step = TwoFingerChordRotation::step(h1[h1.size() - 2], h1.back(), h2[h2.size() - 2], h2.back());
    if (!step) return "chord(nil)";
    return fmt::format("chord(delta={:.4f},span={:.4f})", step->angleStep, step->chordChangeRatio);
}

std::string trackedFingersText(const TouchSequence& sequence) {
    std::string touches;
    for (const auto& [identifier, point] : sequence.trackedPoints()) {
        if (!touches.empty()) touches += " | ";
        touches += fmt::format("id={},raw={},samples={},state={}", identifier, point->rawIndex(),
                               point->sampleCount(), caseName(point->state()));
    }
    return fmt::format("Two-finger sequence miss diagnostics unavailable: trackedCount={}, touches=[{}]",
                       sequence.trackedPointCount(), touches);
}

}  // namespace

std::string twoFingerMissDiagnostics(const TouchSequence& sequence) {
    const auto pair = sequence.twoFingerTrackedPoints();
    if (!pair) return trackedFingersText(sequence);
    const TrackedTouchPoint& first = *(*pair)[0];
    const TrackedTouchPoint& second = *(*pair)[1];
    const auto recent = recentTwoFingerAnalysis(first.positions(), second.positions(), scrollRecentWindow);
    const auto overall = overallTwoFingerAnalysis(first.positions(), second.positions());
    return fmt::format("Two-finger sequence miss diagnostics: scrollQualified={}, {}, {}, {}",
                       isScrollQualified(recent, overall) ? "true" : "false", analysisText("recent", recent),
                       analysisText("full", overall), chordText(first, second));
}

}  // namespace touchlane
