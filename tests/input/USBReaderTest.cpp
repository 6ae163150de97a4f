#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "input/ReportBuilders.h"
#include "input/USBReader.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

using namespace test;

constexpr uint16_t kVendor = 0x1FF7, kProduct = 0x0F01;

// The read loop runs on a manual queue: it runs when the test lets the scheduler
// run, and ends when the scripted reports are used up (a read error).
class USBReaderTest : public ::testing::Test {
protected:
    // A fresh library and reader whose device has these interfaces.
    bool open(const std::vector<FakeHidInterface>& interfaces, std::optional<std::wstring> error = std::nullopt) {
        hid = std::make_shared<FakeHidApi>();
        hid->setLastError(error);
        for (const auto& added : interfaces) hid->addInterface(added);
        reader = USBReader::create(hid, [this] { return routers.emplace_back(std::make_shared<FakeTouchDataSink>()); });
        log.clear();
        return reader->openDeviceWithVendorID(kVendor, kProduct);
    }

    VirtualTime time;
    LogRecorder log;
    FakeHidInterface touch{hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")};
    std::shared_ptr<FakeHidApi> hid;
    std::vector<std::shared_ptr<FakeTouchDataSink>> routers;
    std::unique_ptr<USBReader> reader;
};

TEST_F(USBReaderTest, SelectsTheTouchInterfaceByPassesInOrderAndLogsWhyAnOpenFailed) {
    struct Case {
        std::vector<HidDeviceInfo> enumeration;
        std::optional<std::string> opened;
        std::string logged;
        std::optional<std::wstring> error = {};  // the library's text when "vendor" refuses to open
    };
    const auto mouse = hidInfo(0, 0x01, 0x02, "mouse"), vendor = hidInfo(0, 0xFF00, 0x01, "vendor"),
               digitizer = hidInfo(1, 0x0D, 0x04, "digitizer");
    const Case cases[] = {
        {{mouse, digitizer}, "digitizer",
         "Opened touch HID [digitizer_usage_page]: interface:1 usage_page:0x000d usage:0x0004 path:digitizer"},
        {{hidInfo(0, 0xFF00, 0x01, "other")}, "other",
         "Opened touch HID [interface_0_non_mouse]: interface:0 usage_page:0xff00 usage:0x0001 path:other"},
        {{mouse, hidInfo(2, 0xFF00, 0x01, "other")}, "other",
         "Opened touch HID [first_non_mouse]: interface:2 usage_page:0xff00 usage:0x0001 path:other"},
        {{vendor, digitizer}, "digitizer", "Failed to open HID [interface_0_non_mouse] path:vendor error:(no message)"},
        {{vendor}, std::nullopt, "path:vendor error:Permission denied \u00e9", L"Permission denied \u00e9"},
        {{vendor}, std::nullopt, "path:vendor error:(decode failed)", std::wstring(1, wchar_t(0xD800))},
        {{mouse}, std::nullopt, "Unable to open any touch candidate HID for VID:0x1ff7 PID:0x0f01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.logged);
        std::vector<FakeHidInterface> interfaces;
        for (const auto& info : c.enumeration) interfaces.emplace_back(info).opens = info.path != "vendor";
        EXPECT_EQ(open(interfaces, c.error), c.opened.has_value());
        EXPECT_EQ(hid->openedPaths(), c.opened ? std::vector<std::string>{*c.opened} : std::vector<std::string>{});
        EXPECT_TRUE(log.contains(c.logged));
    }
}

// A device that refuses the multi-touch mode report (or takes none of its bytes)
// is closed again; a device that takes it is read. Opening never touches the
// user's files, not even one named like a data file of the device.
TEST_F(USBReaderTest, OpenSwitchesToMultitouchModeOrFailsAndClosesTheDevice) {
    ScratchFolder home;
    EnvironmentOverride homeVariable("HOME", home.path());
    const auto userFile = std::filesystem::path(home.path()) / "Documents" / "TouchData.data";
    std::filesystem::create_directories(userFile.parent_path());
    std::ofstream(userFile) << "the user's";
    for (int result : {-1, 0, 3}) {
        SCOPED_TRACE(result);
        touch.featureReportResult = result;
        EXPECT_EQ(open({touch}), result > 0);
        EXPECT_EQ(hid->featureReports(), (std::vector<std::vector<uint8_t>>{{0x04, 0x02, 0x00}}));
        EXPECT_EQ(hid->openDeviceCount, result > 0 ? 1 : 0);
        EXPECT_EQ(log.contains("Set touch model failed!"), result <= 0);
    }
    EXPECT_TRUE(std::filesystem::exists(userFile));
}

// The device chooses its name strings; the log shows their control characters
// escaped, so a newline cannot start a forged line.
TEST_F(USBReaderTest, LogsTheDeviceStringsWithControlCharactersEscaped) {
    touch.manufacturer = L"Maker\x1b[2J";
    touch.product = L"Frame\n[2026-12-06 10:00:00:000000] Device disconnected\u0085";
    touch.serialNumber = L"0001\r\\";
    ASSERT_TRUE(open({touch}));
    EXPECT_TRUE(log.contains("Manufacturer: Maker\\x1b[2J\n"));
    EXPECT_TRUE(log.contains("Product: Frame\\n[2026-12-06 10:00:00:000000] Device disconnected\\u0085\n"));
    EXPECT_TRUE(log.contains("Serial Number: 0001\\r\\\\\n"));
    for (const auto& message : log.messages()) EXPECT_EQ(message.find('\n'), message.find_last_of('\n')) << message;
}

TEST_F(USBReaderTest, TimeOutsNeverReachTheParserAndEachOpenGetsAFreshParserAndRouter) {
    touch.reports->pushTimeout();
    touch.reports->pushTimeout();
    ASSERT_TRUE(open({touch}));
    time.runUntilIdle();
    EXPECT_EQ(touch.reports->timeoutsAsked(), (std::vector<int>{1000, 1000, 1000}));
    EXPECT_FALSE(reader->parser());

    std::shared_ptr<ParseUsbData> previous;
    for (size_t opens = 1; opens <= 2; ++opens) {
        touch.reports->push(multiTouchReport(contacts({0, 1}), 2));
        touch.reports->push(std::vector<uint8_t>(8, 0));  // a mouse report: nothing to route
        ASSERT_TRUE(reader->openDeviceWithVendorID(kVendor, kProduct));
        time.runUntilIdle();
        ASSERT_EQ(routers.size(), opens);
        EXPECT_EQ(routers.back()->models().size(), 1u);
        ASSERT_TRUE(reader->parser());
        EXPECT_NE(reader->parser(), previous);
        previous = reader->parser();
        reader->closeDevice();
        EXPECT_EQ(routers.back()->resetCount(), 1);
        EXPECT_FALSE(reader->parser() || reader->touchRouter());
        EXPECT_EQ(hid->openDeviceCount, 0);
    }
    EXPECT_EQ(touch.reports->readsWhileClosed, 0);
}

}  // namespace
}  // namespace touchlane
