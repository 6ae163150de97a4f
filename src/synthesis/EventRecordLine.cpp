#include "synthesis/EventRecordLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>

namespace touchlane {

namespace {

std::string toChars(double value, std::chars_format format) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    if (error != std::errc{}) return "null";
    return std::string(buffer, end);
}

// Field numbers are keys of JSON objects, so they sort as text ("11" < "110" < "12").
template <typename Value, typename Write>
void appendFieldObject(std::string& out, const std::map<uint32_t, Value>& fields, Write write) {
    std::vector<std::pair<std::string, Value>> sorted;
    sorted.reserve(fields.size());
    for (const auto& [field, value] : fields) sorted.emplace_back(std::to_string(field), value);
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    out += '{';
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0) out += ',';
        out += '"';
        out += sorted[i].first;
        out += "\":";
        write(out, sorted[i].second);
    }
    out += '}';
}

void appendKey(std::string& out, std::string_view key) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += key;
    out += "\":";
}

}  // namespace

std::string formatRoundTripDouble(double value) {
    if (!std::isfinite(value)) return "null";
    // Plain decimals for everyday magnitudes, an exponent beyond them: the same
    // text a JSON library in most scripting languages writes for the value.
    std::string scientific = toChars(value, std::chars_format::scientific);
    int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
    if (exponent < -4 || exponent >= 16) return scientific;
    std::string fixed = toChars(value, std::chars_format::fixed);
    if (fixed.find('.') == std::string::npos) fixed += ".0";
    return fixed;
}

std::string eventRecordLine(const PostedEvent& event) {
    const EventRecord& record = event.record;
    const bool isMouse = record.constructor == EventConstructor::mouse;
    const bool isScroll = record.constructor == EventConstructor::scrollWheel;
    auto appendInt = [](std::string& out, int64_t value) { out += std::to_string(value); };
    auto appendDouble = [](std::string& out, double value) { out += formatRoundTripDouble(value); };

    std::string out = "{";
    if (isMouse) {
        appendKey(out, "button");
        appendInt(out, record.mouseButton);
    }
    appendKey(out, "double");
    appendFieldObject(out, record.doubleFields, appendDouble);
    appendKey(out, "int");
    appendFieldObject(out, record.integerFields, appendInt);
    if (isMouse) {
        appendKey(out, "location");
        out += fmt::format("[{},{}]", formatRoundTripDouble(record.location.x),
                           formatRoundTripDouble(record.location.y));
    }
    if (isScroll) {
        appendKey(out, "scroll");
        out += fmt::format(R"({{"count":{},"units":{},"wheel1":{},"wheel2":{}}})", record.scroll.wheelCount,
                           record.scroll.units, record.scroll.wheel1, record.scroll.wheel2);
    }
    appendKey(out, "source");
    out += record.hasSource ? "true" : "false";
    appendKey(out, "t");
    appendDouble(out, event.mediaTimeMs);
    appendKey(out, "tap");
    appendInt(out, static_cast<int>(event.tap));
    if (record.timestamp) {
        appendKey(out, "timestamp");
        out += std::to_string(*record.timestamp);
    }
    appendKey(out, "type");
    appendInt(out, record.type);
    out += '}';
    return out;
}

}  // namespace touchlane
