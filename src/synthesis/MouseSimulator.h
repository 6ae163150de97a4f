#pragma once

#include <cstdint>

#include "platform/Geometry.h"

namespace touchlane {

// Pointer actions posted as synthetic mouse and scroll-wheel events. Points are
// screen points. Stateless but for the two strengths a simulator remembers for
// doMouseScrollWheel.
class MouseSimulator {
public:
    static void doMouseLeftDown(Point point);
    // With enabled false the point is ignored and the button is released where
    // the cursor is now.
    static void doMouseLeftUp(Point point, bool enabled);
    static void doMouseRightDown(Point point);
    static void doMouseRightUp(Point point);
    static void doMouseMove(Point point);
    static void doMouseLeftDrag(Point point);
    static void doMouseRightDrag(Point point);
    // Move, left down and left up at the point, the press carrying the click count.
    static void doMouseClick(Point point, int64_t count);
    static void doMouseLeftClick(Point point);
    static void doMouseLeftDoubleClick(Point point);
    static void doMouseRightClick(Point point);
    // One line step: horizontal (wheel 2) or vertical (wheel 1).
    static void doMouseScrollDirectionX(int32_t value);
    static void doMouseScrollDirectionY(int32_t value);
    // A delta in points as single-line steps: a steady strength repeats its full
    // magnitude, a growing one sends only the growth, a shrinking one nothing, and
    // a reversal re-seeds the axis. Pauses 1 ms after every step.
    void doMouseScrollWheel(Point delta);

    struct ScrollStrengths {
        int64_t lastXStrength = 0;
        int64_t lastYStrength = 0;
    };
    ScrollStrengths scrollStrengths() const { return strengths_; }

private:
    ScrollStrengths strengths_;
};

}  // namespace touchlane
