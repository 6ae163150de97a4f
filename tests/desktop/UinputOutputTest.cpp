#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/desktop/UinputWindowSystem.h"
#include "synthesis/EventSimulators.h"
#include "synthesis/MouseSimulator.h"

namespace touchlane {
namespace {

class FixedLayout final : public DisplayLayoutSource {
public:
    DisplayLayout layout() const override { return {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}}; }
    std::optional<Point> cursorLocation() const override { return std::nullopt; }
};

std::unique_ptr<DisplayLayoutSource> fixedLayout() { return std::make_unique<FixedLayout>(); }

TEST(UinputOutput, SaysWhyWhenTheNodeCannotBeUsed) {
    std::string whyNot;
    EXPECT_EQ(UinputWindowSystem::open("/nonexistent/uinput", fixedLayout, whyNot), nullptr);
    EXPECT_EQ(whyNot, "/nonexistent/uinput cannot be opened for writing (No such file or directory)");

    // A plain file opens for writing but cannot make devices.
    const auto file = std::filesystem::temp_directory_path() / ("touchlane-uinput-" + std::to_string(getpid()));
    std::ofstream(file).put('\n');
    EXPECT_EQ(UinputWindowSystem::open(file.string(), fixedLayout, whyNot), nullptr);
    std::filesystem::remove(file);
    EXPECT_EQ(whyNot, file.string() + " cannot create Touchlane virtual pointer (Inappropriate ioctl for device)");
}

TEST(UinputOutput, CreatesThePointerAndKeyboardDevicesAndPostsToThem) {
    if (access("/dev/uinput", W_OK) != 0) {
        GTEST_SKIP() << "/dev/uinput cannot be opened for writing here (" << std::strerror(errno)
                     << "): load the uinput module and install the udev rules to run the device test";
    }
    std::string whyNot;
    auto output = UinputWindowSystem::open("/dev/uinput", fixedLayout, whyNot);
    ASSERT_NE(output, nullptr) << whyNot;
    EXPECT_EQ(output->pointerDeviceNode().rfind("/dev/input/event", 0), 0u);
    EXPECT_EQ(output->keyboardDeviceNode().rfind("/dev/input/event", 0), 0u);
    EXPECT_EQ(output->mainDisplayBounds(), (Rect{0, 0, 1920, 1080}));

    resetEventSimulators();
    WindowSystemOverride installed(*output);
    MouseSimulator::doMouseClick({960, 540}, 1);
    EXPECT_EQ(output->cursorLocation(), (Point{960, 540})) << "without a display to ask, the last posted point";
    resetEventSimulators();
}

}  // namespace
}  // namespace touchlane
