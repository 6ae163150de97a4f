#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "replay/TraceDirective.h"

namespace touchlane {

// Reads a trace line by line. Blank lines and lines starting with '#' are
// skipped; a malformed line stops the reading with a message naming its number.
class TraceReader {
public:
    explicit TraceReader(std::istream& input);

    enum class Status { directive, end, error };
    // The next directive, the end of the trace, or an error (see errorMessage()).
    Status next(TraceDirective& directive);

    const std::string& errorMessage() const { return error_; }
    size_t lineNumber() const { return lineNumber_; }

private:
    std::istream& input_;
    size_t lineNumber_ = 0;
    double lastTimeMs_ = 0;
    bool sawTime_ = false;
    std::string error_;
};

// Parses one non-blank, non-comment line; on failure returns none and sets why.
std::optional<TraceDirective> parseTraceLine(std::string_view line, std::string& why);

}  // namespace touchlane
