#include "synthesis/EventSimulators.h"

#include "synthesis/GestureScrollSimulator.h"
#include "synthesis/MouseSimulator.h"
#include "synthesis/TouchSimulator.h"

namespace touchlane {

void resetEventSimulators() {
    MouseSimulator::resetProcessWideState();
    GestureScrollSimulator::resetProcessWideState();
    TouchSimulator::resetProcessWideState();
}

}  // namespace touchlane
