#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/desktop/DrmDisplayLayout.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

// A sysfs-like DRM folder of connectors with a status and a list of modes.
class FakeDrmFolder {
public:
    FakeDrmFolder() {
        std::string pattern = (fs::temp_directory_path() / "touchlane-drm-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
    }
    ~FakeDrmFolder() { fs::remove_all(root_); }
    void connector(const std::string& name, const std::string& status, const std::string& modes) {
        fs::create_directories(root_ / name);
        std::ofstream(root_ / name / "status") << status << "\n";
        std::ofstream(root_ / name / "modes") << modes;
    }
    std::string path() const { return root_.string(); }

private:
    fs::path root_;
};

TEST(DrmModeLine, ParsesSizesAndRejectsEverythingElse) {
    struct Case {
        const char* line;
        std::optional<std::pair<double, double>> size;
    };
    const std::vector<Case> cases{
        {"1920x1080", std::pair{1920.0, 1080.0}}, {"1920x1080i", std::pair{1920.0, 1080.0}},
        {"640x480", std::pair{640.0, 480.0}},    {"", std::nullopt},
        {"x1080", std::nullopt},                 {"1920x", std::nullopt},
        {"1920 x 1080", std::nullopt},           {"0x0", std::nullopt},
        {"99999999x1", std::nullopt},            {"-5x4", std::nullopt},
    };
    for (const Case& c : cases) {
        auto mode = parseDrmModeLine(c.line);
        ASSERT_EQ(mode.has_value(), c.size.has_value()) << c.line;
        if (mode) {
            EXPECT_EQ(std::pair(mode->width, mode->height), *c.size) << c.line;
        }
    }
}

TEST(DrmDisplayLayout, FirstConnectedConnectorByNameGivesTheBoundsElseTheDefault) {
    FakeDrmFolder drm;
    drm.connector("card0", "", "");  // the card itself has no status
    drm.connector("card0-DP-1", "disconnected", "3840x2160\n");
    drm.connector("card0-HDMI-A-2", "connected", "1280x720\n");
    drm.connector("card0-HDMI-A-1", "connected", "2560x1440\n1920x1080\n");
    drm.connector("card0-eDP-1", "connected", "");  // lists no mode

    EXPECT_EQ(firstConnectedDrmMode(drm.path()), (DrmConnectorMode{"card0-HDMI-A-1", 2560, 1440}));
    DrmDisplayLayout layout(drm.path(), false);
    EXPECT_EQ(layout.layout(), (DisplayLayout{{0, 0, 2560, 1440}, {0, 0, 2560, 1440}}));

    // A change of resolution shows at the next reading.
    drm.connector("card0-HDMI-A-1", "connected", "1920x1080\n");
    layout.refresh();
    EXPECT_EQ(layout.layout().mainDisplay, (Rect{0, 0, 1920, 1080}));
    drm.connector("card0-HDMI-A-1", "disconnected", "");
    layout.refresh();
    EXPECT_EQ(layout.layout().mainDisplay, (Rect{0, 0, 1280, 720}));

    EXPECT_EQ(firstConnectedDrmMode(drm.path() + "/missing"), std::nullopt);
    EXPECT_EQ(DrmDisplayLayout(drm.path() + "/missing", false).layout().mainDisplay, kDefaultDisplayBounds);
}

TEST(DrmDisplayLayoutThread, ReadsStayConsistentWhileTheFolderIsReread) {
    FakeDrmFolder drm;
    drm.connector("card0-HDMI-A-1", "connected", "1920x1080\n");
    DrmDisplayLayout layout(drm.path());
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done) {
            Rect bounds = layout.layout().mainDisplay;
            EXPECT_TRUE(bounds.width == 1920 || bounds.width == 1280) << bounds.width;
        }
    });
    for (int i = 0; i < 20; ++i) {
        drm.connector("card0-HDMI-A-1", "connected", i % 2 ? "1920x1080\n" : "1280x720\n");
        layout.refresh();
    }
    done = true;
    reader.join();
}

}  // namespace
}  // namespace touchlane
