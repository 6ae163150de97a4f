#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

struct Probe {
    uint16_t vendorID, productID;
    bool accepted;
};

void expectProbes(const USBDeviceConfig& config, const std::vector<Probe>& probes) {
    for (const auto& probe : probes) {
        EXPECT_EQ(config.isValidDeviceWithVendorID(probe.vendorID, probe.productID), probe.accepted)
            << std::hex << probe.vendorID << "/" << probe.productID;
    }
}

std::string plist(const std::string& root) { return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + root + "</plist>"; }
std::string withEntries(const std::string& entries) {
    return plist("<dict><key>supportedDevices</key><array>" + entries + "</array></dict>");
}

class USBDeviceConfigTest : public ::testing::Test {
protected:
    USBDeviceConfig load(const std::optional<std::string>& file) {
        if (file) std::ofstream(std::filesystem::path(scratch.path()) / "SupportDevice.plist") << *file;
        log.clear();
        return USBDeviceConfig(scratch.path());
    }

    ScratchFolder scratch;
    LogRecorder log;
};

TEST_F(USBDeviceConfigTest, FallsBackToTheDefaultWithOneLineForEachKindOfBrokenFile) {
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {std::nullopt, "SupportDevice.plist not found, using default configuration"},
        {"not a property list", "Failed to load SupportDevice.plist, using default configuration"},
        {plist("<array/>"), "Failed to load SupportDevice.plist, using default configuration"},
        {plist("<dict><key>other</key><true/></dict>"), "Invalid SupportDevice.plist format, using default configuration"},
        {withEntries("<dict><key>vendorID</key><integer>1</integer></dict><string>x</string>"),
         "Invalid SupportDevice.plist format, using default configuration"},
    };
    for (const auto& [file, logged] : cases) {
        SCOPED_TRACE(logged);
        auto config = load(file);
        EXPECT_EQ(log.messages(), std::vector<std::string>{logged});
        expectProbes(config, {{0x1FF7, 0x0000, true}, {0x1FF7, 0xFFFF, true}, {0x2FE9, 0x0000, false},
                              {0x2FE9, 0x0001, true}, {0x2FE9, 0x7FFF, true}, {0x2FE9, 0x8000, false},
                              {0x2FE9, 0xA000, true}, {0x2FE9, 0xAFFF, true}, {0x2FE9, 0xB000, false},
                              {0x1234, 0x0001, false}});
    }
    EXPECT_EQ(USBDeviceConfig(Paths::resourcesDirectory()).supportedDevices(), USBDeviceConfig::defaultConfiguration());
}

TEST_F(USBDeviceConfigTest, ReadsEntriesAndSkipsMalformedPartsSilently) {
    auto config = load(withEntries(
        // exact identifiers only: 0x0006 refused by this entry, accepted by a later one
        "<dict><key>vendorID</key><integer>4660</integer>"
        "<key>exactProductIDs</key><array><integer>5</integer></array></dict>"
        // exact identifiers and a range
        "<dict><key>vendorID</key><integer>4660</integer>"
        "<key>exactProductIDs</key><array><integer>5</integer></array>"
        "<key>productIDRanges</key><array><dict><key>min</key><integer>16</integer>"
        "<key>max</key><integer>32</integer></dict></array></dict>"
        // 65537 is taken as 0x0001; a string among the exact identifiers drops them all;
        // a range without max is skipped, the next range counts
        "<dict><key>vendorID</key><integer>65537</integer>"
        "<key>exactProductIDs</key><array><integer>7</integer><string>8</string></array>"
        "<key>productIDRanges</key><array><dict><key>min</key><integer>1</integer></dict>"
        "<dict><key>min</key><integer>100</integer><key>max</key><integer>200</integer></dict></array></dict>"
        // only a vendor: every product
        "<dict><key>vendorID</key><integer>9</integer></dict>"
        // skipped: empty, and a vendor that is not a number
        "<dict/><dict><key>vendorID</key><string>10</string></dict>"));
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Loaded 4 supported device configurations"});
    expectProbes(config, {{0x1234, 0x0005, true}, {0x1234, 0x0006, false}, {0x1234, 0x0015, true},
                          {0x0001, 0x0007, false}, {0x0001, 0x0050, false}, {0x0001, 0x0064, true},
                          {0x0009, 0xBEEF, true}, {0x000A, 0x0001, false}, {0x1FF7, 0x0001, false}});
}

}  // namespace
}  // namespace touchlane
