#pragma once

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "synthesis/RecordingWindowSystem.h"
#include "support/LogRecorder.h"

namespace touchlane {

// Virtual time, a recording window system (1920 x 1080) and captured log lines for
// one test.
struct SimulatorTestBed {
    VirtualTime time;
    RecordingWindowSystem windowSystem;
    WindowSystemOverride windowSystemOverride{windowSystem};
    LogRecorder log;
};

}  // namespace touchlane
