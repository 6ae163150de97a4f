#include "desktop/XTestSteps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace touchlane {

namespace {

constexpr unsigned kButtonLeft = 1;
constexpr unsigned kButtonMiddle = 2;
constexpr unsigned kButtonRight = 3;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kWheelDown = 5;
constexpr unsigned kWheelLeft = 6;
constexpr unsigned kWheelRight = 7;

unsigned coreButton(PointerButton button) {
    switch (button) {
        case PointerButton::left: return kButtonLeft;
        case PointerButton::middle: return kButtonMiddle;
        case PointerButton::right: return kButtonRight;
    }
    return kButtonLeft;
}

void addClicks(std::vector<XTestStep>& steps, int32_t detents, unsigned positive, unsigned negative) {
    const unsigned button = detents > 0 ? positive : negative;
    const int32_t clicks = std::min(std::abs(detents), kMaxWheelClicksPerAction);
    for (int32_t i = 0; i < clicks; ++i) {
        steps.push_back({XTestStep::Kind::buttonPress, 0, 0, button});
        steps.push_back({XTestStep::Kind::buttonRelease, 0, 0, button});
    }
}

}  // namespace

int rootPixel(double coordinate) {
    if (!std::isfinite(coordinate)) return 0;
    return static_cast<int>(std::clamp(std::floor(coordinate), -32768.0, 32767.0));
}

std::vector<XTestStep> xtestStepsForAction(const DesktopAction& action, WheelDetentState& wheel) {
    using Kind = XTestStep::Kind;
    std::vector<XTestStep> steps;
    std::visit(
        [&](const auto& a) {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, PointerMotion>) {
                steps.push_back({Kind::motion, rootPixel(a.to.x), rootPixel(a.to.y)});
            } else if constexpr (std::is_same_v<A, ButtonPress>) {
                steps.push_back({Kind::buttonPress, 0, 0, coreButton(a.button)});
            } else if constexpr (std::is_same_v<A, ButtonRelease>) {
                steps.push_back({Kind::buttonRelease, 0, 0, coreButton(a.button)});
            } else if constexpr (std::is_same_v<A, WheelMotion>) {
                if (a.vertical != 0) addClicks(steps, wheel.vertical.add(a.vertical), kWheelUp, kWheelDown);
                if (a.horizontal != 0) addClicks(steps, wheel.horizontal.add(a.horizontal), kWheelRight, kWheelLeft);
            } else {
                steps.push_back({std::is_same_v<A, KeyPress> ? Kind::keyPress : Kind::keyRelease, 0, 0, 0, a.key});
            }
        },
        action);
    return steps;
}

}  // namespace touchlane
