#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

// A missing or broken file gets one log line and the built-in devices, which the
// shipped file lists as well.
TEST(USBDeviceConfig, BrokenFileFallsBackToTheDefaultWithOneLogLine) {
    ScratchFolder scratch;
    LogRecorder log;
    USBDeviceConfig missing(scratch.path());
    std::ofstream(std::filesystem::path(scratch.path()) / "SupportDevice.plist") << "not a property list";
    USBDeviceConfig broken(scratch.path());
    EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                  "SupportDevice.plist not found, using default configuration",
                                  "Failed to load SupportDevice.plist, using default configuration"}));
    for (const auto* config : {&missing, &broken}) EXPECT_EQ(config->supportedDevices(), USBDeviceConfig::defaultConfiguration());
    EXPECT_EQ(USBDeviceConfig(Paths::resourcesDirectory()).supportedDevices(), USBDeviceConfig::defaultConfiguration());
}

}  // namespace
}  // namespace touchlane
