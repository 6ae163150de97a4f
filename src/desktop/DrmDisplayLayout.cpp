#include "desktop/DrmDisplayLayout.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
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
    return DrmConnectorMode{"", double(*width), double(*height)};
}

std::optional<DrmConnectorMode> firstConnectedDrmMode(const std::string& drmFolder) {
    std::error_code error;
    std::vector<std::filesystem::path> connectors;
    for (const auto& entry : std::filesystem::directory_iterator(drmFolder, error)) {
        connectors.push_back(entry.path());
    }
    std::sort(connectors.begin(), connectors.end());
    for (const auto& connector : connectors) {
        if (firstLine(connector / "status") != "connected") continue;
        if (auto mode = parseDrmModeLine(firstLine(connector / "modes"))) {
            mode->connector = connector.filename().string();
            return mode;
        }
    }
    return std::nullopt;
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

Rect drmDisplayBounds(const std::optional<DrmConnectorMode>& mode) {
    return mode ? Rect{0, 0, mode->width, mode->height} : kDefaultDisplayBounds;
}

std::optional<DrmConnectorMode> DrmDisplayLayout::refresh() {
    auto mode = firstConnectedDrmMode(folder_);
    const Rect bounds = drmDisplayBounds(mode);
    std::lock_guard lock(mutex_);
    layout_ = {bounds, bounds};
    mode_ = mode;
    return mode;
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
