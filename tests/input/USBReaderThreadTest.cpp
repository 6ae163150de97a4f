#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "input/ReportBuilders.h"
#include "input/USBReader.h"
#include "logging/LogHook.h"
#include "platform/ThreadQueue.h"
#include "support/FakeHidApi.h"
#include "support/FakeTouchDataSink.h"
#include "support/WaitUntil.h"

namespace touchlane {
namespace {

using namespace std::chrono_literals;
using test::FakeHidApi;
using test::FakeTouchDataSink;

// The reader on its real read thread, as in the program.
class USBReaderThread : public ::testing::Test {
protected:
    void SetUp() override {
        test::FakeHidInterface touch;
        touch.info = test::hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0");
        reports = touch.reports;
        reports->setWaitsForReports(true);
        hid->addInterface(touch);
        reader = USBReader::create(hid, [this] { return sink; });
        reader->setTouchDataPath("");
    }

    LogRecorder log;
    std::shared_ptr<FakeHidApi> hid = std::make_shared<FakeHidApi>();
    std::shared_ptr<test::FakeReportStream> reports;
    std::shared_ptr<FakeTouchDataSink> sink = std::make_shared<FakeTouchDataSink>();
    std::unique_ptr<USBReader> reader;
};

TEST_F(USBReaderThread, ReportsReachTheRouterInOrderFromTheReadQueue) {
    std::atomic<bool> onReadQueue{true};
    sink->onModel = [&](const std::shared_ptr<BaseModel>&) {
        if (!reader->readQueue()->isCurrent()) onReadQueue = false;
    };
    ASSERT_TRUE(reader->openDeviceWithVendorID(0x1FF7, 0x0F01));
    for (uint8_t i = 1; i <= 20; ++i) reports->push(test::multiTouchReport({{7, 0, i, i}}, 1));
    ASSERT_TRUE(test::waitUntil([&] { return sink->models().size() == 20; }));
    for (size_t i = 0; i < 20; ++i) {
        auto frame = std::dynamic_pointer_cast<MultiTouchModel>(sink->models()[i]);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->touchDataArray->at(0)->x, i + 1);
    }
    EXPECT_TRUE(onReadQueue);
    reader->closeDevice();
    EXPECT_EQ(sink->resetCount(), 1);
    EXPECT_EQ(reports->readsWhileClosed, 0);
}

TEST_F(USBReaderThread, DeviceVanishingWhileAFrameIsRoutedEndsTheLoopAndClosesCleanly) {
    // The router works on its own queue; it is still busy with the frame when the
    // device disappears.
    ThreadQueue routerQueue("test.router");
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<int> routed{0};
    sink->onModel = [&](const std::shared_ptr<BaseModel>& model) {
        routerQueue.async([model, released, &routed] {
            released.wait();
            if (std::dynamic_pointer_cast<MultiTouchModel>(model)->count == 1) ++routed;
        });
    };
    ASSERT_TRUE(reader->openDeviceWithVendorID(0x1FF7, 0x0F01));
    reports->push(test::multiTouchReport(test::contacts({0}), 1));
    reports->pushError();
    ASSERT_TRUE(test::waitUntil([&] { return reports->readCount >= 2; }));

    const auto start = std::chrono::steady_clock::now();
    reader->closeDevice();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    release.set_value();
    routerQueue.sync([] {});
    EXPECT_EQ(routed, 1);
    EXPECT_EQ(reports->readCount, 2);
    EXPECT_EQ(reports->readsWhileClosed, 0);
    EXPECT_EQ(hid->openDeviceCount, 0);
    EXPECT_EQ(sink->modelsAfterReset(), 0);
}

}  // namespace
}  // namespace touchlane
