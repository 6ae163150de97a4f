#include "replay/ReportEncoder.h"

#include <algorithm>

namespace touchlane {

namespace {

struct PacketLayout {
    size_t length;
    size_t slotCount;
    size_t slotSize;
    uint8_t reportId;
    bool hasPressure;
};

constexpr PacketLayout kStandard{58, 4, 14, kStandardTouchReportId, true};
constexpr PacketLayout kG1{62, 6, 10, kG1TouchReportId, false};

void put16(Report& report, size_t offset, uint16_t value) {
    report[offset] = static_cast<uint8_t>(value & 0xFF);
    report[offset + 1] = static_cast<uint8_t>(value >> 8);
}

Report packet(const PacketLayout& layout, const TraceContact* contacts, size_t count, uint8_t countByte) {
    Report report(layout.length, 0);
    report[0] = layout.reportId;
    for (size_t slot = 0; slot < layout.slotCount; ++slot) {
        size_t offset = 1 + slot * layout.slotSize;
        if (slot >= count) {
            report[offset + 1] = 0xFF;
            continue;
        }
        const TraceContact& contact = contacts[slot];
        report[offset] = contact.state;
        report[offset + 1] = contact.id;
        put16(report, offset + 2, contact.x);
        put16(report, offset + 4, contact.y);
        put16(report, offset + 6, contact.width);
        put16(report, offset + 8, contact.height);
        if (layout.hasPressure) put16(report, offset + 10, contact.pressure);
    }
    report[layout.length - 1] = countByte;
    return report;
}

}  // namespace

std::vector<Report> encodeFrame(const FrameDirective& frame) {
    const PacketLayout& layout = frame.format == FrameFormat::g1 ? kG1 : kStandard;
    std::vector<TraceContact> contacts = frame.contacts;
    // The device lists contacts by identifier; a lower identifier after a higher one
    // would end the packet early.
    std::stable_sort(contacts.begin(), contacts.end(),
                     [](const TraceContact& a, const TraceContact& b) { return a.id < b.id; });
    std::vector<Report> reports;
    if (contacts.size() <= layout.slotCount) {
        reports.push_back(packet(layout, contacts.data(), contacts.size(), static_cast<uint8_t>(contacts.size())));
        return reports;
    }
    for (size_t first = 0; first < contacts.size(); first += layout.slotCount) {
        size_t count = std::min(layout.slotCount, contacts.size() - first);
        uint8_t countByte = first == 0 ? static_cast<uint8_t>(contacts.size()) : 0;
        reports.push_back(packet(layout, contacts.data() + first, count, countByte));
    }
    return reports;
}

Report encodePen(const PenDirective& pen) {
    Report report(14, 0);
    report[0] = kPenReportId;
    report[1] = static_cast<uint8_t>((pen.flags & ~1u) | (pen.state & 1u));
    put16(report, 2, pen.x);
    put16(report, 4, pen.y);
    return report;
}

std::vector<Report> reportsOf(const TraceDirective& directive) {
    if (auto* report = std::get_if<ReportDirective>(&directive.body)) return {report->bytes};
    if (auto* frame = std::get_if<FrameDirective>(&directive.body)) return encodeFrame(*frame);
    if (auto* pen = std::get_if<PenDirective>(&directive.body)) return {encodePen(*pen)};
    return {};
}

}  // namespace touchlane
