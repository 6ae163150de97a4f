#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "logging/LogHook.h"
#include "platform/desktop/DesktopOutput.h"
#include "platform/desktop/DrmDisplayLayout.h"
#include "platform/desktop/UinputWindowSystem.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/LogOnlyWindowSystem.h"
#include "synthesis/MouseSimulator.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

// Uinput is tried first, then X11; nothing is opened after the output chosen.
TEST(DesktopOutput, TakesTheFirstOutputThatOpensAndSaysWhyOnce) {
    std::string opened;
    auto opener = [&opened](const char* name, bool opens, std::string note) {
        return [&opened, name, opens, note] {
            opened += name;
            return OutputAttempt{opens ? std::make_unique<StaticWindowSystem>() : nullptr, note};
        };
    };
    LogRecorder log;
    DesktopOutput output =
        openDesktopOutput({opener("u", false, "no uinput"), opener("x", true, ":1"), opener("l", true, "1920 x 1080")});
    EXPECT_EQ(output.kind, DesktopOutputKind::x11);
    EXPECT_NE(output.windowSystem, nullptr);
    EXPECT_EQ(opened, "ux");
    EXPECT_EQ(log.messages(), std::vector<std::string>{"Event output: X11 (XTest) on display :1, since no uinput"});
}

TEST(DesktopOutput, AHeadlessMachinePicksLogOnlyAndSaysWhy) {
    if (access("/dev/uinput", F_OK) == 0) GTEST_SKIP() << "this machine has /dev/uinput; the headless case needs none";
    std::optional<std::string> display;
    if (const char* value = getenv("DISPLAY")) display = value;
    unsetenv("DISPLAY");
    LogRecorder log;
    DesktopOutput output = openDesktopOutput();
    if (display) setenv("DISPLAY", display->c_str(), 1);

    EXPECT_NE(dynamic_cast<LogOnlyWindowSystem*>(output.windowSystem.get()), nullptr);
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_EQ(log.messages()[0].rfind("Event output: log only, since /dev/uinput cannot be opened for writing "
                                      "(No such file or directory) and DISPLAY is not set; display bounds ",
                                      0),
              0u)
        << log.messages()[0];
}

// No connector to read: the default bounds, and no cursor location to ask for.
std::unique_ptr<DisplayLayoutSource> defaultLayout() { return std::make_unique<DrmDisplayLayout>("/nonexistent", false); }

// A plain file opens for writing but cannot make devices.
TEST(UinputOutput, SaysWhyWhenTheNodeCannotMakeDevices) {
    const auto file = fs::temp_directory_path() / ("touchlane-uinput-" + std::to_string(getpid()));
    std::ofstream(file).put('\n');
    std::string whyNot;
    EXPECT_EQ(UinputWindowSystem::open(file.string(), defaultLayout, whyNot), nullptr);
    fs::remove(file);
    EXPECT_EQ(whyNot, file.string() + " cannot create Touchlane virtual pointer (Inappropriate ioctl for device)");
}

TEST(UinputOutput, CreatesThePointerAndKeyboardDevicesAndPostsToThem) {
    if (access("/dev/uinput", W_OK) != 0) {
        GTEST_SKIP() << "/dev/uinput cannot be opened for writing here (" << std::strerror(errno)
                     << "): load the uinput module and install the udev rules to run the device test";
    }
    std::string whyNot;
    auto output = UinputWindowSystem::open("/dev/uinput", defaultLayout, whyNot);
    ASSERT_NE(output, nullptr) << whyNot;
    EXPECT_EQ(output->pointerDeviceNode().rfind("/dev/input/event", 0), 0u);
    EXPECT_EQ(output->keyboardDeviceNode().rfind("/dev/input/event", 0), 0u);
    EXPECT_EQ(output->mainDisplayBounds(), kDefaultDisplayBounds);

    resetEventSimulators();
    WindowSystemOverride installed(*output);
    MouseSimulator::doMouseClick({960, 540}, 1);
    EXPECT_EQ(output->cursorLocation(), (Point{960, 540})) << "without a display to ask, the last posted point";
    resetEventSimulators();
}

TEST(DrmDisplayLayout, FirstConnectedConnectorByNameGivesTheBoundsElseTheDefault) {
    EXPECT_EQ(parseDrmModeLine("1920x1080i"), (DrmConnectorMode{"", 1920, 1080}));
    for (const char* bad : {"", "x1080", "1920x", "1920 x 1080", "0x0", "99999999x1", "-5x4"}) {
        EXPECT_EQ(parseDrmModeLine(bad), std::nullopt) << bad;
    }

    std::string pattern = (fs::temp_directory_path() / "touchlane-drm-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    auto connector = [&root](const std::string& name, const std::string& status, const std::string& modes) {
        fs::create_directories(root / name);
        std::ofstream(root / name / "status") << status << "\n";
        std::ofstream(root / name / "modes") << modes;
    };
    connector("card0", "", "");
    connector("card0-DP-1", "disconnected", "3840x2160\n");
    connector("card0-HDMI-A-2", "connected", "1280x720\n");
    connector("card0-HDMI-A-1", "connected", "2560x1440\n1920x1080\n");
    connector("card0-eDP-1", "connected", "");  // lists no mode

    DrmDisplayLayout layout(root.string(), false);
    EXPECT_EQ(layout.layout(), (DisplayLayout{{0, 0, 2560, 1440}, {0, 0, 2560, 1440}}));
    connector("card0-HDMI-A-1", "disconnected", "");
    EXPECT_EQ(layout.refresh(), (DrmConnectorMode{"card0-HDMI-A-2", 1280, 720})) << "a change shows at the next read";
    EXPECT_EQ(layout.layout().mainDisplay, (Rect{0, 0, 1280, 720}));
    fs::remove_all(root);
    EXPECT_EQ(layout.refresh(), std::nullopt);
    EXPECT_EQ(layout.layout().mainDisplay, kDefaultDisplayBounds);
}

TEST(DrmDisplayLayoutThread, TheFollowerStopsAtOnceWhileReadsGoOn) {
    DrmDisplayLayout layout("/nonexistent");
    for (int i = 0; i < 100; ++i) EXPECT_EQ(layout.layout().mainDisplay, kDefaultDisplayBounds);
}

}  // namespace
}  // namespace touchlane
