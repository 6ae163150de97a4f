#include <gmock/gmock.h>

#include <linux/input-event-codes.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "logging/LogHook.h"
#include "desktop/DesktopOutput.h"
#include "desktop/DrmDisplayLayout.h"
#include "desktop/EvdevEvents.h"
#include "desktop/UinputWindowSystem.h"
#include "desktop/XTestSteps.h"
#include "synthesis/LogOnlyWindowSystem.h"
#include "synthesis/MouseSimulator.h"
#include "support/LogRecorder.h"

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
    EXPECT_THAT(log.messages(), ::testing::ElementsAre(::testing::StartsWith(
                                    "Event output: log only, since /dev/uinput cannot be opened for writing "
                                    "(No such file or directory) and DISPLAY is not set; display bounds ")));
}

// No connector to read: the default bounds, and no cursor location to ask for.
std::unique_ptr<DisplayLayoutSource> defaultLayout() { return std::make_unique<DrmDisplayLayout>("/nonexistent", false); }

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

    WindowSystemOverride installed(*output);
    MouseSimulator::doMouseClick({960, 540}, 1);
    EXPECT_EQ(output->cursorLocation(), (Point{960, 540})) << "without a display to ask, the last posted point";
}

TEST(DrmDisplayLayout, FirstConnectedConnectorByNameGivesTheBoundsElseTheDefault) {
    EXPECT_EQ(parseDrmModeLine("1920x1080i"), (DrmConnectorMode{"", 1920, 1080, ""}));
    for (const char* bad : {"", "x1080", "1920x", "1920 x 1080", "0x0", "99999999x1", "-5x4"})
        EXPECT_EQ(parseDrmModeLine(bad), std::nullopt) << bad;

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

    DrmDisplayLayout layout(root.string(), false);
    EXPECT_EQ(layout.layout().mainDisplay, (Rect{0, 0, 2560, 1440}));
    // Connectors are assumed side by side by name; the frame goes onto the chosen one.
    EXPECT_EQ(layout.extent(), (Rect{0, 0, 3840, 1440}));
    ASSERT_EQ(layout.layout().outputs.size(), 2u);
    EXPECT_EQ(layout.layout().outputs[1].name, "HDMI-A-2");
    layout.chooseDisplay({"HDMI-A-2", ""});
    EXPECT_EQ(layout.mainDisplay(), (Rect{2560, 0, 1280, 720})) << "a choice applies at once";
    layout.chooseDisplay({});
    connector("card0-HDMI-A-1", "disconnected", "");
    EXPECT_EQ(layout.refresh(), (DrmConnectorMode{"card0-HDMI-A-2", 1280, 720, ""})) << "a change shows at the next read";
    EXPECT_EQ(layout.layout().mainDisplay, (Rect{0, 0, 1280, 720}));
    fs::remove_all(root);
    EXPECT_EQ(layout.refresh(), std::nullopt);
    EXPECT_EQ(layout.layout().mainDisplay, kDefaultDisplayBounds);
}

TEST(DrmDisplayLayoutThread, TheFollowerStopsAtOnceWhileReadsGoOn) {
    DrmDisplayLayout layout("/nonexistent");
    for (int i = 0; i < 100; ++i) EXPECT_EQ(layout.layout().mainDisplay, kDefaultDisplayBounds);
}

// A choice made while another thread reads the connectors is never lost to that read.
TEST(DrmDisplayLayoutThread, ChoicesMadeDuringRereadsStand) {
    std::string pattern = (fs::temp_directory_path() / "touchlane-drm-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    for (const auto& [name, mode] : {std::pair{"card0-DP-1", "1920x1080\n"}, std::pair{"card0-DP-2", "1280x720\n"}}) {
        fs::create_directories(root / name);
        std::ofstream(root / name / "status") << "connected\n";
        std::ofstream(root / name / "modes") << mode;
    }
    DrmDisplayLayout layout(root.string(), false);
    std::atomic<bool> done{false};
    std::thread rereads([&] {
        while (!done) layout.refresh();
    });
    for (int i = 0; i < 200; ++i) {
        const bool second = i % 2 == 0;
        layout.chooseDisplay({second ? "DP-2" : "DP-1", ""});
        ASSERT_EQ(layout.mainDisplay(), second ? (Rect{1920, 0, 1280, 720}) : (Rect{0, 0, 1920, 1080})) << i;
    }
    done = true;
    rereads.join();
    fs::remove_all(root);
}

TEST(WheelDetents, WholeDetentsCarryTheRemainderAndAReversalDropsIt) {
    WheelDetentAccumulator wheel;
    const std::vector<std::pair<int32_t, int32_t>> unitsToDetents{
        {60, 0}, {60, 1}, {300, 2}, {-30, 0}, {-90, -1}, {-240, -2}, {119, 0}, {-1, 0}, {-119, -1},
    };
    for (auto [units, detents] : unitsToDetents) EXPECT_EQ(wheel.add(units), detents) << units;
}

// libinput's scaling of an absolute axis onto a screen of `size` pixels.
int landedPixel(int32_t value, double size) { return int(std::floor(value * size / (kAbsoluteAxisMaximum + 1.0))); }

TEST(EvdevEvents, AbsoluteAxisLandsOnThePointsPixel) {
    for (double size : {800.0, 1366.0, 1920.0, 3840.0, 7680.0}) {
        for (int pixel = 0; pixel < int(size); ++pixel) {
            ASSERT_EQ(landedPixel(absoluteAxisValue(pixel + 0.7, 0, size), size), pixel) << size;
        }
    }
    EXPECT_EQ(landedPixel(absoluteAxisValue(1930, 1920, 1280), 1280), 10) << "the axis starts at the extent's origin";
    EXPECT_EQ((std::vector{absoluteAxisValue(-50, 0, 1920), absoluteAxisValue(1e9, 0, 1920),
                           absoluteAxisValue(std::nan(""), 0, 1920)}), (std::vector{0, kAbsoluteAxisMaximum, 0}));
}

TEST(EvdevEvents, EachActionIsOneReportOnItsDevice) {
    constexpr auto P = VirtualDevice::pointer;
    constexpr auto K = VirtualDevice::keyboard;
    using E = std::vector<EvdevEvent>;
    WheelDetentState wheel;
    auto events = [&](const DesktopAction& action) { return evdevEventsForAction(action, {0, 0, 1920, 1080}, wheel); };

    EXPECT_EQ(events(PointerMotion{{0, 540}}),
              (E{{P, EV_ABS, ABS_X, 17}, {P, EV_ABS, ABS_Y, 32798}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(ButtonPress{PointerButton::right}), (E{{P, EV_KEY, BTN_RIGHT, 1}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(KeyRelease{DesktopKey::super}), (E{{K, EV_KEY, KEY_LEFTMETA, 0}, {K, EV_SYN, SYN_REPORT, 0}}));
    // The fine axes always move; the detent axes only when a detent completes.
    EXPECT_EQ(events(WheelMotion{90, -60}),
              (E{{P, EV_REL, REL_WHEEL_HI_RES, 90}, {P, EV_REL, REL_HWHEEL_HI_RES, -60}, {P, EV_SYN, SYN_REPORT, 0}}));
    EXPECT_EQ(events(WheelMotion{30, -60}), (E{{P, EV_REL, REL_WHEEL_HI_RES, 30}, {P, EV_REL, REL_WHEEL, 1},
                                               {P, EV_REL, REL_HWHEEL_HI_RES, -60}, {P, EV_REL, REL_HWHEEL, -1},
                                               {P, EV_SYN, SYN_REPORT, 0}}));
}

TEST(XTestSteps, AHugeWheelMotionIsCappedInClicks) {
    WheelDetentState wheel;
    auto steps = xtestStepsForAction(WheelMotion{-INT32_MAX, 0}, wheel);
    EXPECT_EQ(steps.size(), size_t{2 * kMaxWheelClicksPerAction});
    EXPECT_EQ(steps.front(), (XTestStep{XTestStep::Kind::buttonPress, 0, 0, 5}));
}

}  // namespace
}  // namespace touchlane
