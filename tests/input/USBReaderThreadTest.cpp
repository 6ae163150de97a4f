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

// The reader on its real read thread, as in the program. The router works on a
// queue of its own and is still busy with a frame when the device disappears.
TEST(USBReaderThread, DeviceVanishingWhileAFrameIsRoutedEndsTheLoopAndClosesCleanly) {
    LogRecorder log;
    auto hid = std::make_shared<test::FakeHidApi>();
    test::FakeHidInterface touch{test::hidInfo(0, 0xFF00, 0x01, "/dev/hidraw0")};
    auto reports = touch.reports;
    reports->setWaitsForReports(true);
    hid->addInterface(touch);
    auto sink = std::make_shared<test::FakeTouchDataSink>();
    auto reader = USBReader::create(hid, [&] { return sink; });
    reader->setTouchDataPath("");

    ThreadQueue routerQueue("test.router");
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<int> routed{0};
    std::atomic<bool> onReadQueue{false};
    sink->onModel = [&](const std::shared_ptr<BaseModel>& model) {
        onReadQueue = reader->readQueue()->isCurrent();
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
    EXPECT_TRUE(onReadQueue);
    EXPECT_EQ(reports->readCount, 2);
    EXPECT_EQ(reports->readsWhileClosed, 0);
    EXPECT_EQ(hid->openDeviceCount, 0);
    EXPECT_EQ(sink->resetCount(), 1);
    EXPECT_EQ(sink->modelsAfterReset(), 0);
}

}  // namespace
}  // namespace touchlane
