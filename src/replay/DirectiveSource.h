#pragma once

#include <istream>
#include <memory>
#include <string>

#include "replay/TraceReader.h"

namespace touchlane {

// The directives of a replay, whatever the input's form: a trace, or a kernel
// recording of a Linux touchscreen (evemu text), told apart by the first line
// that is neither blank nor a comment rather than by a file name.
class DirectiveSource {
public:
    using Status = TraceReader::Status;
    virtual ~DirectiveSource() = default;
    virtual Status next(TraceDirective& directive) = 0;
    // "line N: why" after an error.
    virtual const std::string& errorMessage() const = 0;
};

// Reads ahead to the first significant line of `input` to choose the reader.
std::unique_ptr<DirectiveSource> openDirectiveSource(std::istream& input);

}  // namespace touchlane
