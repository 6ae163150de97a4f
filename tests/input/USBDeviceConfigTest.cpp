#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

struct Probe {
    uint16_t vendorID, productID;
    bool accepted;
};

void expectProbes(const USBDeviceConfig& config, const std::vector<Probe>& probes, const std::string& name) {
    for (const auto& probe : probes) {
        EXPECT_EQ(config.isValidDeviceWithVendorID(probe.vendorID, probe.productID), probe.accepted)
            << name << ": " << std::hex << probe.vendorID << "/" << probe.productID;
    }
}

std::string plistWithEntries(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
           "<key>supportedDevices</key><array>" +
           entries + "</array></dict></plist>";
}

class USBDeviceConfigTest : public ::testing::Test {
protected:
    void writePlist(const std::string& text) { std::ofstream(folder / "SupportDevice.plist") << text; }

    ScratchFolder scratch;
    fs::path folder = scratch.path();
    LogRecorder log;
};

const std::vector<Probe> kDefaultProbes = {
    {0x1FF7, 0x0000, true}, {0x1FF7, 0xFFFF, true}, {0x2FE9, 0x0000, false}, {0x2FE9, 0x0001, true},
    {0x2FE9, 0x7FFF, true}, {0x2FE9, 0x8000, false}, {0x2FE9, 0xA000, true}, {0x2FE9, 0xAFFF, true},
    {0x2FE9, 0xB000, false}, {0x1234, 0x0001, false},
};

TEST_F(USBDeviceConfigTest, FallsBackToTheDefaultWithOneLineForEachKindOfBrokenFile) {
    struct Case {
        std::optional<std::string> file;  // none: no file at all
        const char* logged;
    };
    const Case cases[] = {
        {std::nullopt, "SupportDevice.plist not found, using default configuration"},
        {"not a property list", "Failed to load SupportDevice.plist, using default configuration"},
        {"<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>",
         "Failed to load SupportDevice.plist, using default configuration"},
        {"<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>",
         "Invalid SupportDevice.plist format, using default configuration"},
        {"<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>other</key><true/></dict></plist>",
         "Invalid SupportDevice.plist format, using default configuration"},
        {plistWithEntries("<dict><key>vendorID</key><integer>1</integer></dict><string>x</string>"),
         "Invalid SupportDevice.plist format, using default configuration"},
    };
    for (const auto& c : cases) {
        fs::remove(folder / "SupportDevice.plist");
        if (c.file) writePlist(*c.file);
        log.clear();
        USBDeviceConfig config(folder.string());
        EXPECT_EQ(log.messages(), std::vector<std::string>{c.logged});
        EXPECT_EQ(log.entries().at(0).style, LogStyle::logger);
        EXPECT_EQ(config.supportedDevices(), USBDeviceConfig::defaultConfiguration());
        expectProbes(config, kDefaultProbes, c.logged);
    }
}

TEST_F(USBDeviceConfigTest, ReadsEntriesAndSkipsMalformedPartsSilently) {
    writePlist(plistWithEntries(
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
    USBDeviceConfig config(folder.string());
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Loaded 4 supported device configurations"});
    expectProbes(config,
                 {{0x1234, 0x0005, true}, {0x1234, 0x0006, false}, {0x1234, 0x0015, true}, {0x0001, 0x0007, false},
                  {0x0001, 0x0050, false}, {0x0001, 0x0064, true}, {0x0009, 0xBEEF, true}, {0x000A, 0x0001, false},
                  {0x1FF7, 0x0001, false}},
                 "entries");
}

TEST_F(USBDeviceConfigTest, EmptyListAcceptsNothingUntilReloaded) {
    writePlist(plistWithEntries(""));
    USBDeviceConfig config(folder.string());
    EXPECT_TRUE(log.contains("Loaded 0 supported device configurations"));
    EXPECT_FALSE(config.isValidDeviceWithVendorID(0x1FF7, 1));
    fs::remove(folder / "SupportDevice.plist");
    config.reloadConfig();
    EXPECT_TRUE(config.isValidDeviceWithVendorID(0x1FF7, 1));
}

TEST_F(USBDeviceConfigTest, ShippedFileHoldsTheDefaultEntries) {
    USBDeviceConfig config(Paths::resourcesDirectory());
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Loaded 3 supported device configurations"});
    EXPECT_EQ(config.supportedDevices(), USBDeviceConfig::defaultConfiguration());
}

}  // namespace
}  // namespace touchlane
