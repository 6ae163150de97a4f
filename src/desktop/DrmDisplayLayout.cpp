#include "desktop/DrmDisplayLayout.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <vector>

namespace touchlane {

namespace {

constexpr auto kRefreshInterval = std::chrono::milliseconds(500);
constexpr int kLargestModeSide = 65535;

std::optional<int> leadingNumber(const std::string& text, size_t& position) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data() + position, text.data() + text.size(), value);
    if (error != std::errc{} || value <= 0 || value > kLargestModeSide) return std::nullopt;
    position = static_cast<size_t>(end - text.data());
    return value;
}

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::optional<DrmConnectorMode> parseDrmModeLine(const std::string& line) {
    size_t position = 0;
    auto width = leadingNumber(line, position);
    if (!width || position >= line.size() || line[position] != 'x') return std::nullopt;
    ++position;
    auto height = leadingNumber(line, position);
    if (!height) return std::nullopt;
    return DrmConnectorMode{"", double(*width), double(*height), ""};
}

std::vector<DrmConnectorMode> connectedDrmModes(const std::string& drmFolder) {
    std::error_code error;
    std::vector<std::filesystem::path> connectors;
    for (const auto& entry : std::filesystem::directory_iterator(drmFolder, error)) {
        connectors.push_back(entry.path());
    }
    std::sort(connectors.begin(), connectors.end());
    std::vector<DrmConnectorMode> modes;
    for (const auto& connector : connectors) {
        if (firstLine(connector / "status") != "connected") continue;
        if (auto mode = parseDrmModeLine(firstLine(connector / "modes"))) {
            mode->connector = connector.filename().string();
            std::ifstream edid(connector / "edid", std::ios::binary);
            mode->monitorName = edidMonitorName({std::istreambuf_iterator<char>(edid), {}});
            modes.push_back(std::move(*mode));
        }
    }
    return modes;
}

std::optional<DrmConnectorMode> firstConnectedDrmMode(const std::string& drmFolder) {
    auto modes = connectedDrmModes(drmFolder);
    if (modes.empty()) return std::nullopt;
    return modes.front();
}

std::vector<DisplayOutputInfo> drmOutputs(const std::vector<DrmConnectorMode>& modes) {
    std::vector<DisplayOutputInfo> outputs;
    double left = 0;
    for (const auto& mode : modes) {
        // "card0-HDMI-A-1" is "HDMI-A-1", the name compositors use.
        const size_t dash = mode.connector.find('-');
        std::string name = dash == std::string::npos ? mode.connector : mode.connector.substr(dash + 1);
        outputs.push_back({std::move(name), mode.monitorName, Rect{left, 0, mode.width, mode.height}, outputs.empty()});
        left += mode.width;
    }
    return outputs;
}

DrmDisplayLayout::DrmDisplayLayout(std::string drmFolder, bool followChanges) : folder_(std::move(drmFolder)) {
    refresh();
    if (followChanges) follower_ = std::thread([this] { follow(); });
}

DrmDisplayLayout::~DrmDisplayLayout() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (follower_.joinable()) follower_.join();
}

DisplayLayout DrmDisplayLayout::layout() const {
    std::lock_guard lock(mutex_);
    return layout_;
}

Rect DrmDisplayLayout::mainDisplay() const {
    std::lock_guard lock(mutex_);
    return layout_.mainDisplay;
}

Rect DrmDisplayLayout::extent() const {
    std::lock_guard lock(mutex_);
    return layout_.extent;
}

Rect drmDisplayBounds(const std::optional<DrmConnectorMode>& mode) {
    return mode ? Rect{0, 0, mode->width, mode->height} : kDefaultDisplayBounds;
}

std::optional<DrmConnectorMode> DrmDisplayLayout::refresh() {
    const auto modes = connectedDrmModes(folder_);
    std::optional<DrmConnectorMode> mode;
    if (!modes.empty()) mode = modes.front();
    DisplayLayout fresh;
    fresh.outputs = drmOutputs(modes);
    fresh.extent = unionOfOutputs(fresh.outputs, drmDisplayBounds(mode));
    // Under the lock, so that a choice made meanwhile is not overwritten.
    std::lock_guard lock(mutex_);
    fresh.mainDisplay = chooser_.mainDisplay(fresh.outputs, fresh.extent);
    layout_ = std::move(fresh);
    mode_ = mode;
    return mode;
}

void DrmDisplayLayout::chooseDisplay(const DisplayChoice& choice) {
    chooser_.choose(choice);
    std::lock_guard lock(mutex_);
    layout_.mainDisplay = chooser_.mainDisplay(layout_.outputs, layout_.extent);
}

std::optional<DrmConnectorMode> DrmDisplayLayout::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

void DrmDisplayLayout::follow() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kRefreshInterval, [this] { return stopping_; })) {
        lock.unlock();
        refresh();
        lock.lock();
    }
}

}  // namespace touchlane
