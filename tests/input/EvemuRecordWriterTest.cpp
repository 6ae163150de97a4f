#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "input/EvemuRecordWriter.h"
#include "support/EvemuRecording.h"

namespace touchlane {
namespace {

const std::filesystem::path kRecordings = std::filesystem::path(__FILE__).parent_path() / "../data/realdata";

// The device lines (name, identity, bits, axes) of an evemu file, comments left out.
std::string deviceLines(std::istream& in) {
    std::string lines;
    for (std::string line; std::getline(in, line);)
        if (line.size() > 2 && line[1] == ':' && line[0] != 'E') lines += line + "\n";
    return lines;
}

TEST(EvemuRecordWriter, WritesTheDeviceAsTheRecordingsOfRealScreensHaveItAndEventsThatReadBack) {
    EvemuDeviceDescription wacom;
    wacom.name = "Wacom ISDv4 E6 Finger";
    wacom.bustype = 0x03, wacom.vendor = 0x56a, wacom.product = 0xe6, wacom.version = 0x139;
    wacom.properties = {INPUT_PROP_DIRECT};
    wacom.codes[EV_SYN] = {SYN_REPORT, SYN_CONFIG, SYN_DROPPED};
    wacom.codes[EV_KEY] = {BTN_TOUCH};
    wacom.codes[EV_ABS] = {ABS_X, ABS_Y, ABS_MT_SLOT, ABS_MT_POSITION_X, ABS_MT_POSITION_Y, ABS_MT_TOOL_TYPE,
                           ABS_MT_TRACKING_ID};
    wacom.axes = {{ABS_X, {0, 2776, 4, 0, 0}},          {ABS_Y, {0, 1569, 4, 0, 0}},
                  {ABS_MT_SLOT, {0, 1, 0, 0, 0}},       {ABS_MT_POSITION_X, {0, 2776, 0, 0, 0}},
                  {ABS_MT_POSITION_Y, {0, 1569, 0, 0, 0}}, {ABS_MT_TOOL_TYPE, {0, 1, 0, 0, 0}},
                  {ABS_MT_TRACKING_ID, {0, 65535, 0, 0, 0}}};

    std::ostringstream out;
    EvemuRecordWriter writer(out);
    writer.writeHeader(wacom);
    writer.writeEvent(1330495944, 185030, EV_ABS, ABS_MT_TRACKING_ID, 1);
    writer.writeEvent(1330495944, 185033, EV_ABS, ABS_MT_POSITION_X, 1332);
    writer.writeEvent(1330495944, 217020, EV_ABS, ABS_MT_TRACKING_ID, -1);
    writer.writeEvent(1330495944, 217035, EV_SYN, SYN_REPORT, 0);
    EXPECT_FALSE(writer.failed());
    std::istringstream written(out.str());
    std::ifstream real(kRecordings / "Wacom ISDv4 E6 Finger.desc");
    EXPECT_EQ(deviceLines(written), deviceLines(real));

    const auto back = parseEvemuRecording(out.str());
    ASSERT_TRUE(back.ok);
    ASSERT_EQ(back.events.size(), 4u);
    EXPECT_EQ(back.events[2].value, -1);
    EXPECT_NEAR(back.events[3].timeMs, 32.005, 1e-6);
}

}  // namespace
}  // namespace touchlane
