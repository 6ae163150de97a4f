#include "input/ParseUsbData.h"

#include <algorithm>

#include "input/HidReportFormats.h"
#include "logging/StandardErrorLog.h"

namespace touchlane {

namespace {

using Step = MultiPacketFrameAssembler::Step;

// A contact slot of either multi-touch format; pressure only where the format has it.
std::shared_ptr<TouchPointModel> readSlot(ReportBytes slot, bool hasPressure) {
    auto point = std::make_shared<TouchPointModel>();
    point->touchState = TouchState{readUInt8(slot, touch_slot::kState)};
    point->index = readUInt8(slot, touch_slot::kIndex);
    point->x = readUInt16LE(slot, touch_slot::kX);
    point->y = readUInt16LE(slot, touch_slot::kY);
    point->width = readUInt16LE(slot, touch_slot::kWidth);
    point->height = readUInt16LE(slot, touch_slot::kHeight);
    if (hasPressure) point->pressure = readUInt16LE(slot, touch_slot::kPressure);
    return point;
}

// The G1 format reads every slot whatever the count byte says and skips empty ones.
TouchPointList parseG1TouchData(ReportBytes report) {
    using namespace g1_report;
    TouchPointList points;
    for (size_t slot = 0; slot < kSlotCount; ++slot) {
        auto point = readSlot(report.subspan(kFirstSlot + slot * kSlotSize, kSlotSize), false);
        if (point->index == touch_slot::kEmptyIndex) continue;
        stderrLog("TouchPoint[{}]: ID={}, State=0x{:02X}, X={}, Y={}, W={}, H={}", slot, point->index,
                  rawValue(point->touchState), point->x, point->y, point->width, point->height);
        points.push_back(std::move(point));
    }
    return points;
}

void logFrame(const MultiTouchModel& frame) {
    if (!frame.touchDataArray) return;
    for (const auto& point : *frame.touchDataArray) {
        stderrLog("touchCount: {}, index: {}, (x: {}, y: {}, width: {}, height: {}), touchState: {}", frame.count,
                  point->index, point->x, point->y, point->width, point->height, rawValue(point->touchState));
    }
}

}  // namespace

ParseUsbData::ParseUsbData() : parseTouchQueue_(makeSerialQueue("com.qrve.parse.data")) {}

std::shared_ptr<BaseModel> ParseUsbData::parseData(ReportBytes report) {
    switch (report.size()) {
        case mouse_report::kLength:
            // Mouse reports are dropped silently: the pointer is driven by the touch reports.
            return nullptr;
        case pen_report::kLength: {
            auto pen = handlePenData(report);
            stderrLog("reportID: {}, (x: {}, y: {}, width: {}, height: {}), state: {}", pen->reportID, pen->x, pen->y,
                      pen->width, pen->height, static_cast<int64_t>(pen->state));
            return pen;
        }
        case multitouch_report::kLength:
        case g1_report::kLength: {
            auto frame = report.size() == multitouch_report::kLength ? handleMultiTouchData(report)
                                                                      : handleMultiTouchG1Data(report);
            if (frame) logFrame(*frame);
            return frame;
        }
        default:
            stderrLog("Unknown data length: {}", report.size());
            return nullptr;
    }
}

void ParseUsbData::resetParserState() {
    assembler_.reset();
    stderrLog("Parser state reset");
}

std::shared_ptr<PenModel> ParseUsbData::handlePenData(ReportBytes report) {
    using namespace pen_report;
    if (report.size() < kLength) return nullptr;
    auto pen = std::make_shared<PenModel>();
    pen->reportID = report[kReportID];
    const uint8_t status = report[kStatus];
    pen->state = static_cast<PenState>(status & kTipBit);
    pen->barrel = status & kBarrelBit;
    pen->invert = status & kInvertBit;
    pen->eraser = status & kEraserBit;
    pen->inRange = status & kInRangeBit;
    pen->x = readUInt16LE(report, kX);
    pen->y = readUInt16LE(report, kY);
    pen->width = readUInt16LE(report, kWidth);
    pen->height = readUInt16LE(report, kHeight);
    pen->pressure = readUInt16LE(report, kPressure);
    stderrLog("PenState: {}, InRange: {}, (x = {}, y = {}, width = {}, height = {})",
              static_cast<int64_t>(pen->state), pen->inRange ? 1 : 0, pen->x, pen->y, pen->width, pen->height);
    return pen;
}

std::shared_ptr<MouseModel> ParseUsbData::handleMouseData(ReportBytes report) {
    using namespace mouse_report;
    if (report.size() < kLength) return nullptr;
    auto mouse = std::make_shared<MouseModel>();
    mouse->reportID = report[kReportID];
    mouse->mouseKey = static_cast<MouseKey>(report[kMouseKey]);
    mouse->x = readUInt16LE(report, kX);
    mouse->y = readUInt16LE(report, kY);
    return mouse;
}

TouchPointList ParseUsbData::parseTouchData(ReportBytes report) {
    using namespace multitouch_report;
    TouchPointList points;
    if (report.empty()) return points;
    const uint8_t countByte = report.back();
    const size_t wanted = (countByte >= 1 && countByte <= kSlotCount) ? countByte : kSlotCount;
    // Slots lie between the report ID and the count byte; a shorter report holds fewer.
    const size_t slotBytes = report.size() > kFirstSlot + 1 ? report.size() - kFirstSlot - 1 : 0;
    const size_t available = std::min(wanted, slotBytes / kSlotSize);
    uint8_t previousIndex = 0;
    for (size_t slot = 0; slot < available; ++slot) {
        auto point = readSlot(report.subspan(kFirstSlot + slot * kSlotSize, kSlotSize), true);
        // The device fills slots in rising identifier order; anything else ends the list.
        if (point->index == touch_slot::kEmptyIndex || point->index < previousIndex) break;
        previousIndex = point->index;
        points.push_back(std::move(point));
    }
    return points;
}

std::shared_ptr<MultiTouchModel> ParseUsbData::handleMultiTouchData(ReportBytes report) {
    using namespace multitouch_report;
    if (report.size() != kLength) return nullptr;
    auto outcome = assembler_.accept(report.back(), kSlotCount, parseTouchData(report));
    if (outcome.step == Step::completed) stderrLog("Complete data parsed");
    return outcome.frame;
}

std::shared_ptr<MultiTouchModel> ParseUsbData::handleMultiTouchG1Data(ReportBytes report) {
    using namespace g1_report;
    if (report.size() != kLength) return nullptr;
    if (report[0] != kReportID) {
        stderrLog("Invalid report ID: 0x{:02X}, expected 0x02", report[0]);
        return nullptr;
    }
    auto points = parseG1TouchData(report);
    const size_t pointCount = points.size();
    const uint8_t countByte = report.back();
    auto outcome = assembler_.accept(countByte, kSlotCount, std::move(points));
    if (outcome.step == Step::started) {
        stderrLog("Waiting for subsequent packets, current points: {}, total points: {}", pointCount, countByte);
    } else if (outcome.step == Step::completed) {
        stderrLog("Complete data parsed, total touch points: {}", outcome.frame->touchDataArray->size());
    }
    return outcome.frame;
}

}  // namespace touchlane
