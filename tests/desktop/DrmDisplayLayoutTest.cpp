#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/desktop/DrmDisplayLayout.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

TEST(DrmModeLine, ParsesSizesAndRejectsEverythingElse) {
    EXPECT_EQ(parseDrmModeLine("1920x1080"), (DrmConnectorMode{"", 1920, 1080}));
    EXPECT_EQ(parseDrmModeLine("1920x1080i"), (DrmConnectorMode{"", 1920, 1080}));
    for (const char* bad : {"", "x1080", "1920x", "1920 x 1080", "0x0", "99999999x1", "-5x4"}) {
        EXPECT_EQ(parseDrmModeLine(bad), std::nullopt) << bad;
    }
}

TEST(DrmDisplayLayout, FirstConnectedConnectorByNameGivesTheBoundsElseTheDefault) {
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
