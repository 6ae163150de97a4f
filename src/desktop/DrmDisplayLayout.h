#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "desktop/DisplayLayout.h"

namespace touchlane {

struct DrmConnectorMode {
    std::string connector;  // e.g. "card0-HDMI-A-1"
    double width = 0;
    double height = 0;
    friend bool operator==(const DrmConnectorMode&, const DrmConnectorMode&) = default;
};

// "1920x1080" (an interlace or other suffix allowed) as its size; none when the
// line is not a mode.
std::optional<DrmConnectorMode> parseDrmModeLine(const std::string& line);

// The mode listed first by the first connected connector (by name) under a
// sysfs-like DRM folder; none when there is no such connector or it lists no mode.
std::optional<DrmConnectorMode> firstConnectedDrmMode(const std::string& drmFolder);

// The display a mode describes, at the origin; 1920 x 1080 without a mode.
Rect drmDisplayBounds(const std::optional<DrmConnectorMode>& mode);

// The layout of a desktop without an X display: one display the size of the first
// connected DRM connector's mode, else 1920 x 1080. A background thread reads the
// folder again twice a second so that a change of resolution is followed.
class DrmDisplayLayout final : public DisplayLayoutSource {
public:
    explicit DrmDisplayLayout(std::string drmFolder = "/sys/class/drm", bool followChanges = true);
    ~DrmDisplayLayout() override;
    DrmDisplayLayout(const DrmDisplayLayout&) = delete;
    DrmDisplayLayout& operator=(const DrmDisplayLayout&) = delete;

    DisplayLayout layout() const override;
    std::optional<Point> cursorLocation() const override { return std::nullopt; }

    // Reads the folder now. Returns the mode found, if any.
    std::optional<DrmConnectorMode> refresh();
    // The mode of the latest read.
    std::optional<DrmConnectorMode> mode() const;

private:
    void follow();

    const std::string folder_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    DisplayLayout layout_{kDefaultDisplayBounds, kDefaultDisplayBounds};
    std::optional<DrmConnectorMode> mode_;
    std::thread follower_;
};

}  // namespace touchlane
