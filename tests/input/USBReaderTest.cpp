#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "input/ReportBuilders.h"
#include "input/USBReader.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"

namespace touchlane {
namespace {

using test::FakeHidApi;
using test::FakeHidInterface;
using test::FakeTouchDataSink;
using test::hidInfo;

constexpr uint16_t kVendor = 0x1FF7, kProduct = 0x0F01;

FakeHidInterface hidInterface(HidDeviceInfo info) {
    FakeHidInterface result;
    result.info = std::move(info);
    return result;
}

// The read loop runs on a manual queue: it runs when the test lets the scheduler
// run, and ends when the scripted reports are used up (a read error).
class USBReaderTest : public ::testing::Test {
protected:
    void SetUp() override { reader = makeReader(); }

    std::unique_ptr<USBReader> makeReader() {
        auto made = USBReader::create(hid, [this] {
            routers.push_back(std::make_shared<FakeTouchDataSink>());
            return routers.back();
        });
        if (made) made->setTouchDataPath("");
        return made;
    }
    FakeHidInterface& addTouchInterface() {
        interfaces.push_back(hidInterface(hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")));
        return interfaces.back();
    }
    bool open() {
        for (const auto& added : interfaces) hid->addInterface(added);
        interfaces.clear();
        return reader->openDeviceWithVendorID(kVendor, kProduct);
    }

    VirtualTime time;
    LogRecorder log;
    std::shared_ptr<FakeHidApi> hid = std::make_shared<FakeHidApi>();
    std::vector<FakeHidInterface> interfaces;
    std::vector<std::shared_ptr<FakeTouchDataSink>> routers;
    std::unique_ptr<USBReader> reader;
};

TEST_F(USBReaderTest, SelectsTheTouchInterfaceByPassesInOrder) {
    struct Case {
        std::vector<HidDeviceInfo> enumeration;
        std::vector<std::string> refusing;  // paths that fail to open
        std::optional<std::string> opened;
        std::string logged;
    };
    const Case cases[] = {
        {{hidInfo(0, 0x01, 0x02, "mouse"), hidInfo(1, 0x0D, 0x04, "digitizer")}, {}, "digitizer",
         "Opened touch HID [digitizer_usage_page]: interface:1 usage_page:0x000d usage:0x0004 path:digitizer"},
        {{hidInfo(0, 0xFF00, 0x01, "vendor")}, {}, "vendor",
         "Opened touch HID [interface_0_non_mouse]: interface:0 usage_page:0xff00 usage:0x0001 path:vendor"},
        {{hidInfo(0, 0x01, 0x02, "mouse"), hidInfo(2, 0xFF00, 0x01, "other")}, {}, "other",
         "Opened touch HID [first_non_mouse]: interface:2 usage_page:0xff00 usage:0x0001 path:other"},
        {{hidInfo(0, 0xFF00, 0x01, "vendor"), hidInfo(1, 0x0D, 0x04, "digitizer")}, {"vendor"}, "digitizer",
         "Failed to open HID [interface_0_non_mouse] path:vendor error:(no message)"},
        {{hidInfo(0, 0x01, 0x02, "mouse")}, {}, std::nullopt,
         "Unable to open any touch candidate HID for VID:0x1ff7 PID:0x0f01"},
        {{}, {}, std::nullopt, "No HID devices found for VID:0x1ff7 PID:0x0f01"},
    };
    for (const auto& c : cases) {
        hid = std::make_shared<FakeHidApi>();
        reader = makeReader();
        for (const auto& info : c.enumeration) {
            interfaces.push_back(hidInterface(info));
            interfaces.back().opens = std::find(c.refusing.begin(), c.refusing.end(), info.path) == c.refusing.end();
        }
        log.clear();
        EXPECT_EQ(open(), c.opened.has_value()) << c.logged;
        EXPECT_EQ(hid->openedPaths(), c.opened ? std::vector<std::string>{*c.opened} : std::vector<std::string>{});
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
        EXPECT_EQ(log.count("HID Interface found - "), c.enumeration.size());
        if (!c.enumeration.empty() && c.enumeration[0].path == "mouse") {
            EXPECT_TRUE(
                log.contains("HID Interface found - interface_number:0, usage_page:0x0001, usage:0x0002, path:mouse"));
        }
    }
}

TEST_F(USBReaderTest, LibraryErrorTextIsConvertedOrReplaced) {
    struct Case {
        std::optional<std::wstring> error;
        std::string shown;
    };
    const Case cases[] = {
        {std::nullopt, "(no message)"},
        {L"Permission denied \u00e9", "Permission denied \u00e9"},
        {std::wstring(1, static_cast<wchar_t>(0xD800)), "(decode failed)"},
    };
    auto& refusing = addTouchInterface();
    refusing.opens = false;
    for (const auto& added : interfaces) hid->addInterface(added);
    for (const auto& c : cases) {
        hid->setLastError(c.error);
        log.clear();
        EXPECT_FALSE(reader->openDeviceWithVendorID(kVendor, kProduct));
        EXPECT_TRUE(log.contains("path:/dev/hidraw0 error:" + c.shown)) << c.shown;
    }
}

TEST_F(USBReaderTest, OpenSwitchesToMultitouchModeLogsTheDeviceAndClearsTheDataFile) {
    auto file = std::filesystem::temp_directory_path() / ("touchlane-data-" + std::to_string(getpid()));
    std::ofstream(file) << "old";
    reader->setTouchDataPath(file.string());
    addTouchInterface().manufacturer = L"Ma\u00dfe";
    ASSERT_TRUE(open());
    EXPECT_EQ(hid->featureReports(), (std::vector<std::vector<uint8_t>>{{0x04, 0x02, 0x00}}));
    EXPECT_TRUE(reader->isContinueReading());
    EXPECT_FALSE(std::filesystem::exists(file));
    for (const char* line : {"Manufacturer: Ma\u00dfe\n", "Product: Frame\n", "Serial Number: 0001\n",
                             "hid_send_feature_report result = 3", "Set Config command sent successfully"}) {
        EXPECT_EQ(log.count(line), 1u) << line;
    }
}

TEST_F(USBReaderTest, RejectedFeatureReportClosesTheDeviceAndFailsTheOpen) {
    for (int result : {-1, 0}) {
        hid = std::make_shared<FakeHidApi>();
        reader = makeReader();
        addTouchInterface().featureReportResult = result;
        log.clear();
        EXPECT_FALSE(open());
        EXPECT_EQ(hid->openDeviceCount, 0);
        EXPECT_FALSE(reader->isContinueReading());
        EXPECT_TRUE(log.contains("Set touch model failed!"));
        EXPECT_EQ(log.contains("Failed to send Set Config command"), result < 0);
    }
    EXPECT_EQ(reader->setMultitouchMode(), -1);
}

TEST_F(USBReaderTest, TimeOutsNeverReachTheParser) {
    auto reports = addTouchInterface().reports;
    reports->pushTimeout();
    reports->pushTimeout();
    ASSERT_TRUE(open());
    time.runUntilIdle();
    EXPECT_EQ(reports->timeoutsAsked(), (std::vector<int>{1000, 1000, 1000}));
    EXPECT_FALSE(reader->parser());
    EXPECT_TRUE(routers.empty());
    EXPECT_FALSE(log.contains("Unknown data length"));
}

TEST_F(USBReaderTest, EachOpenedDeviceGetsAFreshParserAndRouter) {
    auto reports = addTouchInterface().reports;
    const auto frame = test::multiTouchReport(test::contacts({0, 1}), 2);
    reports->push(frame);
    reports->push(std::vector<uint8_t>(8, 0));  // a mouse report: nothing to route
    ASSERT_TRUE(open());
    time.runUntilIdle();
    ASSERT_EQ(routers.size(), 1u);
    EXPECT_EQ(routers[0]->models().size(), 1u);
    auto firstParser = reader->parser();
    ASSERT_TRUE(firstParser);

    reader->closeDevice();
    EXPECT_EQ(routers[0]->resetCount(), 1);
    EXPECT_FALSE(reader->parser());
    EXPECT_FALSE(reader->touchRouter());
    EXPECT_TRUE(log.contains("-[USBReader closeDevice]"));
    EXPECT_TRUE(log.contains("Parser state reset"));
    EXPECT_EQ(hid->openDeviceCount, 0);

    reports->push(frame);
    ASSERT_TRUE(reader->openDeviceWithVendorID(kVendor, kProduct));
    time.runUntilIdle();
    ASSERT_EQ(routers.size(), 2u);
    EXPECT_EQ(routers[1]->models().size(), 1u);
    EXPECT_NE(reader->parser(), firstParser);
    EXPECT_EQ(reports->readsWhileClosed, 0);
}

TEST_F(USBReaderTest, CreationFollowsTheLibraryInitialisation) {
    auto refusing = std::make_shared<FakeHidApi>();
    refusing->initResult = false;
    EXPECT_FALSE(USBReader::create(refusing, nullptr));
    EXPECT_TRUE(log.contains("Failed to initialize hidapi"));
    reader.reset();
    EXPECT_EQ(hid->exitCount, 1);
}

}  // namespace
}  // namespace touchlane
