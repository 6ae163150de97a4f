#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <libevdev/libevdev.h>

#include "platform/desktop/EvdevEvents.h"
#include "platform/desktop/UinputWindowSystem.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/MouseSimulator.h"

namespace touchlane {
namespace {

// A fixed layout, counting how often it was asked for.
class FixedLayout final : public DisplayLayoutSource {
public:
    DisplayLayout layout() const override { return {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}}; }
    std::optional<Point> cursorLocation() const override { return std::nullopt; }
};

struct LayoutFactory {
    int calls = 0;
    UinputWindowSystem::LayoutFactory function() {
        return [this] {
            ++calls;
            return std::make_unique<FixedLayout>();
        };
    }
};

TEST(UinputOutput, SaysWhyWhenTheNodeCannotBeUsed) {
    LayoutFactory layout;
    std::string whyNot;
    EXPECT_EQ(UinputWindowSystem::open("/nonexistent/uinput", layout.function(), whyNot), nullptr);
    EXPECT_EQ(whyNot, "/nonexistent/uinput cannot be opened for writing (No such file or directory)");

    // A plain file opens for writing but cannot make devices.
    const auto file = std::filesystem::temp_directory_path() / ("touchlane-uinput-" + std::to_string(getpid()));
    std::ofstream(file).put('\n');
    EXPECT_EQ(UinputWindowSystem::open(file.string(), layout.function(), whyNot), nullptr);
    std::filesystem::remove(file);
    EXPECT_EQ(whyNot, file.string() + " cannot create Touchlane virtual pointer (Inappropriate ioctl for device)");
    EXPECT_EQ(layout.calls, 0) << "no layout is set up for an output that does not open";
}

// Reads back what a device node delivers.
struct EvdevReader {
    int fd = -1;
    libevdev* device = nullptr;
    explicit EvdevReader(const std::string& node) {
        fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) libevdev_new_from_fd(fd, &device);
    }
    ~EvdevReader() {
        if (device) libevdev_free(device);
        if (fd >= 0) close(fd);
    }
    std::vector<std::tuple<unsigned, unsigned, int>> events() {
        std::vector<std::tuple<unsigned, unsigned, int>> read;
        input_event event;
        while (libevdev_next_event(device, LIBEVDEV_READ_FLAG_NORMAL, &event) == LIBEVDEV_READ_STATUS_SUCCESS) {
            read.emplace_back(event.type, event.code, event.value);
        }
        return read;
    }
};

TEST(UinputOutput, CreatesAnAbsolutePointerAndAKeyboardThatDeliverThePosts) {
    if (access("/dev/uinput", W_OK) != 0) {
        GTEST_SKIP() << "/dev/uinput cannot be opened for writing here (" << std::strerror(errno)
                     << "): load the uinput module and install the udev rules to run the device test";
    }
    LayoutFactory layout;
    std::string whyNot;
    auto output = UinputWindowSystem::open("/dev/uinput", layout.function(), whyNot);
    ASSERT_NE(output, nullptr) << whyNot;
    EXPECT_EQ(output->mainDisplayBounds(), (Rect{0, 0, 1920, 1080}));

    EvdevReader pointer(output->pointerDeviceNode());
    ASSERT_NE(pointer.device, nullptr) << output->pointerDeviceNode();
    EXPECT_STREQ(libevdev_get_name(pointer.device), "Touchlane virtual pointer");
    EXPECT_EQ(libevdev_get_abs_maximum(pointer.device, ABS_X), kAbsoluteAxisMaximum);
    for (unsigned code : {REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
        EXPECT_TRUE(libevdev_has_event_code(pointer.device, EV_REL, code)) << code;
    }
    EvdevReader keyboard(output->keyboardDeviceNode());
    ASSERT_NE(keyboard.device, nullptr);
    EXPECT_TRUE(libevdev_has_event_code(keyboard.device, EV_KEY, KEY_LEFTMETA));

    resetEventSimulators();
    WindowSystemOverride installed(*output);
    MouseSimulator::doMouseLeftDown({960, 540});
    using E = std::vector<std::tuple<unsigned, unsigned, int>>;
    EXPECT_EQ(pointer.events(), (E{{EV_ABS, ABS_X, absoluteAxisValue(960, 0, 1920)},
                                   {EV_ABS, ABS_Y, absoluteAxisValue(540, 0, 1080)},
                                   {EV_SYN, SYN_REPORT, 0},
                                   {EV_KEY, BTN_LEFT, 1},
                                   {EV_SYN, SYN_REPORT, 0}}));
    MouseSimulator::doMouseLeftUp({960, 540}, true);
    EXPECT_EQ(output->cursorLocation(), (Point{960, 540}));
    resetEventSimulators();
}

}  // namespace
}  // namespace touchlane
