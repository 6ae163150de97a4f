#include "input/EvemuRecordWriter.h"

#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <fmt/format.h>

namespace touchlane {

namespace {

// Highest code of each event type, which sets the length of its bit mask.
unsigned maxCodeOf(unsigned type) {
    switch (type) {
        case EV_SYN: return SYN_MAX;
        case EV_KEY: return KEY_MAX;
        case EV_REL: return REL_MAX;
        case EV_ABS: return ABS_MAX;
        case EV_MSC: return MSC_MAX;
        case EV_SW: return SW_MAX;
        case EV_LED: return LED_MAX;
        case EV_SND: return SND_MAX;
        case EV_REP: return REP_MAX;
        case EV_FF: return FF_MAX;
        default: return 0;
    }
}

// Bits as bytes, eight to a line, each line led by `prefix`.
std::string maskLines(const std::string& prefix, const std::set<unsigned>& bits, unsigned maxBit) {
    std::vector<uint8_t> bytes(maxBit / 8 + 1, 0);
    for (unsigned bit : bits)
        if (bit <= maxBit) bytes[bit / 8] |= uint8_t(1u << (bit % 8));
    bytes.resize((bytes.size() + 7) / 8 * 8, 0);
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 8) {
        text += prefix;
        for (size_t j = i; j < i + 8; ++j) text += fmt::format(" {:02x}", bytes[j]);
        text += '\n';
    }
    return text;
}

}  // namespace

EvemuDeviceDescription EvemuDeviceDescription::of(const libevdev* device) {
    EvemuDeviceDescription d;
    d.name = libevdev_get_name(device) ? libevdev_get_name(device) : "";
    d.bustype = uint16_t(libevdev_get_id_bustype(device));
    d.vendor = uint16_t(libevdev_get_id_vendor(device));
    d.product = uint16_t(libevdev_get_id_product(device));
    d.version = uint16_t(libevdev_get_id_version(device));
    for (unsigned prop = 0; prop <= INPUT_PROP_MAX; ++prop)
        if (libevdev_has_property(device, prop)) d.properties.insert(prop);
    for (unsigned type = 0; type <= EV_MAX; ++type) {
        if (!libevdev_has_event_type(device, type)) continue;
        auto& codes = d.codes[type];
        for (unsigned code = 0; code <= maxCodeOf(type); ++code)
            if (libevdev_has_event_code(device, type, code)) codes.insert(code);
    }
    for (unsigned code : d.codes[EV_ABS]) {
        if (const input_absinfo* info = libevdev_get_abs_info(device, code))
            d.axes[code] = {info->minimum, info->maximum, info->fuzz, info->flat, info->resolution};
    }
    return d;
}

void EvemuRecordWriter::writeHeader(const EvemuDeviceDescription& d) {
    out_ << "# EVEMU 1.3\n";
    out_ << "N: " << d.name << '\n';
    out_ << fmt::format("I: {:04x} {:04x} {:04x} {:04x}\n", d.bustype, d.vendor, d.product, d.version);
    out_ << maskLines("P:", d.properties, INPUT_PROP_MAX);
    // Every type's mask, empty or not, as players of the format expect.
    for (unsigned type : {EV_SYN, EV_KEY, EV_REL, EV_ABS, EV_MSC, EV_SW, EV_LED, EV_SND, EV_REP, EV_FF}) {
        const auto found = d.codes.find(type);
        out_ << maskLines(fmt::format("B: {:02x}", type), found == d.codes.end() ? std::set<unsigned>{} : found->second,
                          maxCodeOf(type));
    }
    for (const auto& [code, axis] : d.axes) {
        out_ << fmt::format("A: {:02x} {} {} {} {} {}\n", code, axis.minimum, axis.maximum, axis.fuzz, axis.flat,
                            axis.resolution);
    }
}

void EvemuRecordWriter::writeEvent(int64_t seconds, int64_t microseconds, uint16_t type, uint16_t code,
                                   int32_t value) {
    out_ << fmt::format("E: {}.{:06} {:04x} {:04x} {}\n", seconds, microseconds, type, code, value);
    // A whole report at a time reaches the file, so a recording cut short ends
    // on a complete frame as often as it can.
    if (type == EV_SYN) out_.flush();
}

}  // namespace touchlane
