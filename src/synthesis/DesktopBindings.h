#pragma once

#include "synthesis/DesktopAction.h"

namespace touchlane {

// What the desktop does for each gesture, as data: the shortcut chords and the
// scales that turn trackpad amounts into wheel motion. One place, so that a later
// settings page can change it without touching the table's rules.
struct DesktopBindings {
    // Held while the wheel steps of a pinch go out: most applications zoom on it.
    KeyChord zoomModifier{DesktopKey::control};
    // Accumulated magnification that makes one zoom step (one wheel detent):
    // about one browser zoom step per 5 % change of the finger distance.
    double magnificationPerZoomStep = 0.05;
    // Points of continuous scrolling per wheel detent (about three text lines).
    double pointsPerWheelDetent = 40.0;

    KeyChord smartZoom{DesktopKey::control, DesktopKey::digit0};
    KeyChord workspaceLeft{DesktopKey::super, DesktopKey::pageUp};
    KeyChord workspaceRight{DesktopKey::super, DesktopKey::pageDown};
    KeyChord overview{DesktopKey::super};
    KeyChord showDesktop{DesktopKey::super, DesktopKey::letterD};
    KeyChord launcher{DesktopKey::super, DesktopKey::letterA};

    static const DesktopBindings& defaults();
};

}  // namespace touchlane
