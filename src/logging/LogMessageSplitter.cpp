#include "logging/LogMessageSplitter.h"

#include "logging/Utf8.h"

namespace touchlane {

std::string logMessageMarker(const std::string& processName, int processId) {
    return " " + processName + "[" + std::to_string(processId);
}

std::vector<std::string> messagesByLogString(std::string_view text, std::string_view marker) {
    std::vector<std::string> messages;
    size_t start = 0;
    for (size_t newline = text.find('\n'); newline != std::string_view::npos; newline = text.find('\n', start)) {
        std::string_view line = text.substr(start, newline + 1 - start);
        start = newline + 1;
        if (messages.empty() || line.find(marker) != std::string_view::npos) {
            messages.emplace_back(line);
        } else {
            messages.back() += line;
        }
    }
    return messages;
}

LogMessageSplitter::LogMessageSplitter(std::string marker) : marker_(std::move(marker)) {}

std::vector<std::string> LogMessageSplitter::take(std::string_view burst) {
    pending_.append(burst);
    size_t lastNewline = pending_.rfind('\n');
    size_t completeLength = lastNewline == std::string::npos ? 0 : lastNewline + 1;
    std::string complete = pending_.substr(0, completeLength);
    pending_.erase(0, completeLength);
    while (pending_.size() > kMaxPendingBytes) {
        size_t cut = utf8BoundaryAtOrBefore(pending_, kMaxPendingBytes);
        complete.append(pending_, 0, cut);
        complete += '\n';
        pending_.erase(0, cut);
    }

    std::string valid;
    valid.reserve(complete.size());
    size_t start = 0;
    for (size_t newline = complete.find('\n'); newline != std::string::npos; newline = complete.find('\n', start)) {
        std::string_view line(complete.data() + start, newline + 1 - start);
        if (isValidUtf8(line)) valid += line;
        start = newline + 1;
    }
    return messagesByLogString(valid, marker_);
}

}  // namespace touchlane
