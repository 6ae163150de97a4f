#include "synthesis/DesktopAction.h"

namespace touchlane {

void appendKeyChord(DesktopActions& actions, const KeyChord& chord, const DesktopAction* whileHeld) {
    for (DesktopKey key : chord) actions.push_back(KeyPress{key});
    if (whileHeld) actions.push_back(*whileHeld);
    for (auto key = chord.rbegin(); key != chord.rend(); ++key) actions.push_back(KeyRelease{*key});
}

}  // namespace touchlane
