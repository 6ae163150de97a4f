#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "replay/EvemuSlots.h"
#include "replay/TraceReader.h"

namespace touchlane {

// Reads a recording of a Linux touchscreen in the text form of the evemu tools:
// a device description (`N:` name, `I:` ids, `P:` properties, `B:` event bits,
// `A: CODE MIN MAX FUZZ FLAT [RES]` axis ranges) and then one event a line,
// `E: SECONDS.MICROSECONDS TYPE CODE VALUE`, type and code in hexadecimal. Each
// SYN_REPORT becomes one frame directive at its time after the first event, so
// a recording plays like a trace. A touchscreen says nothing while its contacts
// stay put, where our frame reports them every few ms: a contact held still is
// reported again every kHeldFrameRepeatMs, so that long presses and the router's
// lost-lift timeout see what the touch frame would send. Blank lines and '#'
// comments are skipped; a malformed line stops the reading with a message
// naming its number.
class EvemuReader {
public:
    using Status = TraceReader::Status;
    static constexpr double kHeldFrameRepeatMs = 10.0;
    // Repeats stop after this much silence: enough for a long press, and a hostile
    // recording with a gap of years still plays in bounded time. A contact silent
    // for longer is lifted by the router's lost-lift timeout, as on the frame.
    static constexpr double kHeldFrameRepeatLimitMs = 1000.0;

    explicit EvemuReader(std::istream& input);

    Status next(TraceDirective& directive);
    // The next frame as the recording has it, without repeats.
    Status nextRecorded(TraceDirective& directive);
    const std::string& errorMessage() const { return error_; }

private:
    // One line; sets `directive` when it completes a frame, false on an error.
    bool readLine(std::string_view line, std::optional<TraceDirective>& directive);
    bool readAxis(std::string_view rest);
    bool readEvent(std::string_view rest, std::optional<TraceDirective>& directive);
    bool fail(std::string why);

    std::istream& input_;
    size_t lineNumber_ = 0;
    std::string error_;
    EvemuSlots slots_;
    bool sawEvent_ = false;
    int64_t firstEventNs_ = 0;
    int64_t lastEventNs_ = 0;
    // After SYN_DROPPED the kernel lost events: what follows up to the next
    // SYN_REPORT is incomplete and is skipped.
    bool dropping_ = false;
    // The touching contacts of the last frame handed out, and when; the recorded
    // frame that follows waits while repeats of the held one fill the gap.
    std::optional<TraceDirective> held_;
    double heldSinceMs_ = 0;
    std::optional<TraceDirective> waiting_;
    bool recordingEnded_ = false;
};

// Whether a trace's first line that is neither blank nor a comment belongs to an
// evemu recording rather than a trace.
bool isEvemuLine(std::string_view line);

}  // namespace touchlane
