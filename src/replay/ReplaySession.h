#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "input/TouchDataSink.h"
#include "platform/DisplayMapping.h"
#include "replay/TraceDirective.h"
#include "synthesis/EventRecordLine.h"
#include "synthesis/WindowSystem.h"

namespace touchlane {

// Makes the touch sink that receives the parsed reports of one replay: the
// router in the tool, a fake in tests. `debug` asks for its debug logging.
using ReplaySinkFactory = std::function<std::shared_ptr<TouchDataSink>(bool debug)>;

struct ReplayOptions {
    // Where the event record lines go, one per posted event.
    std::ostream* events = nullptr;
    // Sees every posted event as it is posted (tests read them this way).
    std::function<void(const PostedEvent&)> onEvent;
    // Where every log line goes, in order; none discards them.
    std::ostream* log = nullptr;
    bool debug = false;
    ReplaySinkFactory makeSink;
    // A real desktop to post to as well (its bounds then replace the trace's
    // `display` lines); none keeps the events in the output only.
    WindowSystem* desktop = nullptr;
    // Play at the pace of the trace on the real clock and thread-backed queues,
    // instead of in virtual time.
    bool realTime = false;
    // How the frame is turned on its display, for the whole replay.
    DisplayOrientation orientation;
    // The monitor the frame maps onto until a `choose` line says otherwise;
    // empty for the primary one.
    std::string chosenDisplay;
    // Called after each timed directive has been played (benchmarks time them).
    std::function<void(const TraceDirective&)> afterDirective;
};

struct ReplayOutcome {
    bool ok = true;
    std::string error;       // "line N: why" when a trace line is malformed
    size_t directives = 0;   // directives played before the end or the error
    size_t reports = 0;      // HID reports fed to the parser
    double endTimeMs = 0;    // virtual time at the end
};

// Plays a trace (or an evemu recording of a Linux touchscreen, told apart by its
// content) through the report parser and the touch sink, with a window system
// that writes every posted event as a record line. In virtual time (the
// default) the same trace always gives the same output.
ReplayOutcome replayTrace(std::istream& trace, const ReplayOptions& options);

// How long after the last directive the replay keeps running, so that deferred
// clicks still fire.
inline constexpr double kReplayTailMs = 2000.0;

}  // namespace touchlane
