#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace touchlane {

// " <process name>[<pid>": the mark of a system-log line of this process, which
// starts a new message in captured output.
std::string logMessageMarker(const std::string& processName, int processId);

// Splits text into messages: every piece up to and including a newline is a
// line; a line containing the marker starts a new message, any other line is
// appended to the message before it (or starts the first one). Text after the
// last newline belongs to no message.
std::vector<std::string> messagesByLogString(std::string_view text, std::string_view marker);

// Turns the bursts read from a pipe into messages. A burst ends wherever the
// writer's output happened to be cut, so the text after a burst's last newline is
// kept and completed by the following bursts; only complete lines are delivered.
// A complete line that is not valid UTF-8 is left out (the log file holds UTF-8
// text), without affecting the lines around it. A line that grows past
// kMaxPendingBytes without a newline is delivered in pieces of at most that size,
// so a writer that never ends its line cannot make the buffer grow without bound.
class LogMessageSplitter {
public:
    static constexpr size_t kMaxPendingBytes = 64 * 1024;

    explicit LogMessageSplitter(std::string marker = {});
    void setMarker(std::string marker) { marker_ = std::move(marker); }
    const std::string& marker() const { return marker_; }

    // The messages completed by this burst, in order.
    std::vector<std::string> take(std::string_view burst);
    // Output still waiting for its newline.
    const std::string& pending() const { return pending_; }

private:
    std::string marker_;
    std::string pending_;
};

}  // namespace touchlane
