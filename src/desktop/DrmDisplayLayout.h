#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <vector>

#include "desktop/DisplayChooser.h"
#include "desktop/DisplayLayout.h"

namespace touchlane {

struct DrmConnectorMode {
    std::string connector;  // e.g. "card0-HDMI-A-1"
    double width = 0;
    double height = 0;
    std::string monitorName;  // from the connector's EDID; empty when unknown
    friend bool operator==(const DrmConnectorMode&, const DrmConnectorMode&) = default;
};

// "1920x1080" (an interlace or other suffix allowed) as its size; none when the
// line is not a mode.
std::optional<DrmConnectorMode> parseDrmModeLine(const std::string& line);

// The first listed (preferred) mode of every connected connector under a
// sysfs-like DRM folder, by connector name; connectors without a mode are left out.
std::vector<DrmConnectorMode> connectedDrmModes(const std::string& drmFolder);
// The first of them; none when there is none.
std::optional<DrmConnectorMode> firstConnectedDrmMode(const std::string& drmFolder);

// The monitors those modes make. DRM does not say where the compositor places
// them, so they are assumed side by side, left to right by connector name, tops
// aligned, the first one primary.
std::vector<DisplayOutputInfo> drmOutputs(const std::vector<DrmConnectorMode>& modes);

// The display a mode describes, at the origin; 1920 x 1080 without a mode.
Rect drmDisplayBounds(const std::optional<DrmConnectorMode>& mode);

// The layout of a desktop without an X display: the connected DRM connectors side
// by side (see drmOutputs), the frame on the chosen one, else the first; 1920 x
// 1080 without any. A background thread reads the folder again twice a second so
// that a change of resolution or of connectors is followed.
class DrmDisplayLayout final : public DisplayLayoutSource {
public:
    explicit DrmDisplayLayout(std::string drmFolder = "/sys/class/drm", bool followChanges = true);
    ~DrmDisplayLayout() override;
    DrmDisplayLayout(const DrmDisplayLayout&) = delete;
    DrmDisplayLayout& operator=(const DrmDisplayLayout&) = delete;

    DisplayLayout layout() const override;
    Rect mainDisplay() const override;
    Rect extent() const override;
    std::optional<Point> cursorLocation() const override { return std::nullopt; }
    void chooseDisplay(const DisplayChoice& choice) override;

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
    DisplayLayout layout_{kDefaultDisplayBounds, kDefaultDisplayBounds, {}};
    std::optional<DrmConnectorMode> mode_;
    DisplayChooser chooser_;
    std::thread follower_;
};

}  // namespace touchlane
