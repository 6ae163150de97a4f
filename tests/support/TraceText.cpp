#include "support/TraceText.h"

#include <cmath>

#include <fmt/format.h>

namespace touchlane::scenario {

namespace {
std::string frameLine(const char* directive, double t, const std::vector<Finger>& fingers, double fraction,
                      int state) {
    std::string line = fmt::format("{} {}", t, directive);
    const char* separator = " ";
    for (const auto& f : fingers) {
        double x = f.fromX + (f.toX - f.fromX) * fraction;
        double y = f.fromY + (f.toY - f.fromY) * fraction;
        line += fmt::format("{}{}:{}:{}:{}", separator, f.id, state, std::lround(x), std::lround(y));
        separator = "; ";
    }
    return line + "\n";
}
}  // namespace

std::string glide(double t0, double durationMs, const std::vector<Finger>& fingers, bool lift, double stepMs,
                  const char* directive) {
    std::string trace;
    int steps = static_cast<int>(std::lround(durationMs / stepMs));
    for (int k = 0; k <= steps; ++k) {
        trace += frameLine(directive, t0 + k * stepMs, fingers, steps ? double(k) / steps : 1.0, 7);
    }
    if (lift) trace += frameLine(directive, t0 + (steps + 1) * stepMs, fingers, 1.0, 4);
    return trace;
}

std::string hold(double t0, double durationMs, const std::vector<Finger>& fingers, bool lift, double stepMs) {
    std::vector<Finger> still = fingers;
    for (auto& f : still) {
        f.toX = f.fromX;
        f.toY = f.fromY;
    }
    return glide(t0, durationMs, still, lift, stepMs);
}

}  // namespace touchlane::scenario
