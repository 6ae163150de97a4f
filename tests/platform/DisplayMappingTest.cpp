#include <gtest/gtest.h>

#include <set>

#include "platform/DisplayBounds.h"
#include "platform/DisplayMapping.h"

namespace touchlane {
namespace {

using R = DisplayRotation;
constexpr uint16_t M = 32767;

TEST(DisplayOrientation, EveryOrientationKeepsTheRangeAndLosesNoPosition) {
    for (uint8_t bits = 0; bits < 16; ++bits) {
        const auto orientation = DisplayOrientation::unpacked(bits);
        EXPECT_EQ(orientation.packed(), bits);
        EXPECT_EQ(rotationFromDegrees(rotationDegrees(orientation.rotation)), orientation.rotation);
        std::set<std::pair<uint16_t, uint16_t>> seen;
        for (uint16_t x : {uint16_t(0), uint16_t(1), uint16_t(16383), uint16_t(M), uint16_t(65535)}) {
            for (uint16_t y : {uint16_t(0), uint16_t(2), uint16_t(M)}) {
                uint16_t u = x, v = y;
                orientation.orient(u, v);
                EXPECT_LE(u, M);
                EXPECT_LE(v, M);
                if (x <= M) seen.insert({u, v});
            }
        }
        EXPECT_EQ(seen.size(), 12u) << "distinct positions stay distinct, bits " << int(bits);
        uint16_t w = 300, h = 100;
        orientation.orientSize(w, h);
        EXPECT_EQ(w, orientation.swapsAxes() ? 100 : 300);
    }
    EXPECT_EQ(rotationFromDegrees(45), std::nullopt);
}

TEST(DisplayChoice, FindsTheMonitorByEdidNameFirstThenByOutput) {
    const std::vector<DisplayOutputInfo> outputs = {
        {"eDP-1", "", {0, 0, 1920, 1200}, true},
        {"HDMI-1", "DELL U2720Q", {1920, 0, 3840, 2160}, false},
        {"DP-2", "DELL U2720Q", {5760, 0, 3840, 2160}, false},
    };
    struct Case {
        DisplayChoice choice;
        std::optional<size_t> found;
    };
    const Case cases[] = {
        {{"DP-2", "DELL U2720Q"}, 2},     // both match
        {{"DP-1", "DELL U2720Q"}, 1},     // the monitor moved to another connector
        {{"HDMI-1", "LG 27UL500"}, 1},    // another monitor on the chosen connector
        {{"HDMI-1", ""}, 1},
        {{"DP-9", "Unknown"}, std::nullopt},
        {{"", ""}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(findChosenOutput(outputs, c.choice), c.found) << c.choice.outputName;
    EXPECT_EQ(primaryOutput(outputs), 0u);
    EXPECT_EQ(unionOfOutputs(outputs, {}), (Rect{0, 0, 9600, 2160}));
}

TEST(DisplayChoice, EdidMonitorNameIsReadFromItsDescriptor) {
    std::vector<uint8_t> edid(128, 0);
    const uint8_t descriptor[] = {0, 0, 0, 0xFC, 0, 'D', 'E', 'L', 'L', ' ', 'U', '2', '7', '2', '0', 'Q', 0x0A, ' '};
    std::copy(std::begin(descriptor), std::end(descriptor), edid.begin() + 54 + 2 * 18);
    edid[54] = 0x3A;  // the first descriptor is a timing, not a name
    EXPECT_EQ(edidMonitorName(edid), "DELL U2720Q");
    edid.resize(100);
    EXPECT_EQ(edidMonitorName(edid), "") << "a cut-off block";
    EXPECT_EQ(edidMonitorName(std::vector<uint8_t>(256, 0xFF)), "");
}

}  // namespace
}  // namespace touchlane
