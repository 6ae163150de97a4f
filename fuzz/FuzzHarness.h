#pragma once

// Drivers shared by the fuzz targets and by the test that replays their seed and
// regression inputs in the normal build. Each takes arbitrary bytes and must
// neither crash nor hang nor leak, whatever they hold.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <sstream>
#include <string>

#include "input/ParseUsbData.h"
#include "replay/DirectiveSource.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"
#include "replay/ReportEncoder.h"

namespace touchlane::fuzz {

// Reads every contact the parser handed out, so a model holding freed or missing
// contacts shows up here rather than in some later stage.
inline void consume(const std::shared_ptr<BaseModel>& model) {
    auto frame = std::dynamic_pointer_cast<MultiTouchModel>(model);
    if (!frame || !frame->touchDataArray) return;
    unsigned sum = frame->count;
    for (const auto& point : *frame->touchDataArray) {
        if (!point) std::abort();
        sum += point->x + point->y + point->index;
    }
    volatile unsigned sink = sum;
    (void)sink;
}

// Splits the input into a stream of reports, as the read loop would hand them
// over one after another, so that frames spanning several packets get assembled,
// interrupted and restarted. Each report starts with one selector byte:
//   0x00-0x7F  a report of one of the device's lengths (8, 14, 58, 62: the low bits)
//   0x80-0xFE  a report of any length up to 64 (selector - 0x80, modulo 65)
//   0xFF       the device is closed: the parser's state is reset
// followed by that many bytes (fewer at the end of the input).
inline void feedReportStream(ParseUsbData& parser, std::span<const uint8_t> input) {
    static constexpr size_t kDeviceLengths[] = {8, 14, 58, 62};
    parser.resetParserState();
    while (!input.empty()) {
        const uint8_t selector = input.front();
        input = input.subspan(1);
        if (selector == 0xFF) {
            parser.resetParserState();
            continue;
        }
        size_t length = selector < 0x80 ? kDeviceLengths[selector & 3] : (selector - 0x80u) % 65;
        length = std::min(length, input.size());
        consume(parser.parseData(input.first(length)));
        input = input.subspan(length);
    }
}

// Reads the input as a trace or an evemu recording, whichever it looks like, and
// plays its reports, frames and pen samples through the parser, as the replay
// tool does.
inline void feedTrace(ParseUsbData& parser, std::span<const uint8_t> input) {
    parser.resetParserState();
    std::istringstream text(std::string(input.begin(), input.end()));
    auto source = openDirectiveSource(text);
    TraceDirective directive;
    while (source->next(directive) == DirectiveSource::Status::directive) {
        for (const auto& report : reportsOf(directive)) consume(parser.parseData(report));
    }
}

// Plays the input as a trace through the whole pipeline in virtual time, as the
// replay tool does: parser, router, recognizers, handlers and simulators, the
// events and log lines formatted and dropped.
inline void feedPipeline(std::span<const uint8_t> input) {
    std::istringstream text(std::string(input.begin(), input.end()));
    ReplayOptions options;
    options.makeSink = makeReplayRouter;
    replayTrace(text, options);
}

}  // namespace touchlane::fuzz
