#pragma once

#include <signal.h>

#include <optional>
#include <ostream>
#include <string>

// Records a kernel touchscreen (the given event node, or the first multi-touch
// screen found) in the evemu format until a stop signal, the duration or the
// device going away. Returns the exit status.
int recordTouchscreen(const std::string& devnode, std::ostream& out, const std::string& outputName,
                      const std::optional<double>& durationSeconds, const sigset_t& stopSignals);
