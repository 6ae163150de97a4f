#pragma once

#include <cstdint>
#include <memory>

#include "input/MultiPacketFrame.h"
#include "input/ReportBytes.h"
#include "input/TouchModels.h"
#include "platform/DispatchQueue.h"

namespace touchlane {

// Turns the touch device's HID input reports into models. The format is chosen
// by the report's length alone; multi-touch frames that span several packets
// are handed out only once complete. Not thread-safe: call it from one serial
// queue at a time (the reader's read queue).
class ParseUsbData {
public:
    ParseUsbData();

    // A complete MultiTouchModel frame, a PenModel, or nothing. Safe on any bytes
    // of any length.
    std::shared_ptr<BaseModel> parseData(ReportBytes report);
    // Drops a frame being assembled (the device was closed).
    void resetParserState();

    // The per-format handlers. Each returns nothing for a report shorter than its
    // format; the multi-touch handlers want their exact length.
    std::shared_ptr<PenModel> handlePenData(ReportBytes report);
    std::shared_ptr<MultiTouchModel> handleMultiTouchData(ReportBytes report);
    std::shared_ptr<MultiTouchModel> handleMultiTouchG1Data(ReportBytes report);
    std::shared_ptr<MouseModel> handleMouseData(ReportBytes report);

    // The contacts of a four-slot multi-touch report whose last byte is the
    // contact count, in slot order, up to the first empty or out-of-order slot.
    static TouchPointList parseTouchData(ReportBytes report);

    // The frame being assembled, if any (its count is the announced total).
    std::shared_ptr<const MultiTouchModel> oncompletedModel() const { return assembler_.partialFrame(); }
    const std::shared_ptr<DispatchQueue>& parseTouchQueue() const { return parseTouchQueue_; }

private:
    MultiPacketFrameAssembler assembler_;
    // Kept for callers that want to serialise work with the parser; nothing is
    // scheduled on it by the parser itself.
    std::shared_ptr<DispatchQueue> parseTouchQueue_;
};

}  // namespace touchlane
