#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

using Value = std::optional<PropertyListValue>;
using Calls = std::vector<std::pair<Value, Value>>;

class DataControllerTest : public ::testing::Test {
protected:
    // A callback recording (new, previous), staying registered while `keep` says so.
    void record(const std::string& key, Calls& calls, bool keep = true) {
        controller.changedWithKey(key, [&calls, keep](const Value& newValue, const Value& previous) {
            calls.emplace_back(newValue, previous);
            return keep;
        });
    }
    // The controller of the program's next start, once the queued writes are done.
    std::shared_ptr<DataController> restart() {
        time.runUntilIdle();
        LogRecorder quiet;
        return std::make_shared<DataController>(std::make_shared<LMSTKeyValueStore>(settings.plistPath()));
    }

    VirtualTime time;
    SettingsSandbox settings;
    DataController& controller = *settings.controller();
    const std::string usb = DataKeyConstants::usbConnectionStatus();
};

TEST_F(DataControllerTest, WritesAreQueuedAndCallbacksSeeEachRealChangeOnce) {
    EXPECT_EQ(DataController::dataController(), settings.controller());
    EXPECT_EQ(rawValue(DataKey::launchAtLoginUserDidDisable), "launchAtLoginUserDidDisable");
    Calls calls, once, first;
    record(usb, first);
    record(usb, calls);  // replaces the first
    record("once", once, false);
    controller.objc_writeWithKey(usb, 1, true);
    EXPECT_TRUE(calls.empty());  // nothing runs until the queue does
    controller.objc_writeWithKey(usb, 1, true);
    controller.write(DataKey::usbConnectionStatus, true, true);  // the same number
    controller.objc_writeWithKey(usb, 0, true);
    controller.objc_writeWithKey("once", "a", false);
    controller.objc_writeWithKey("once", "b", false);
    EXPECT_EQ(controller.read<bool>(DataKey::usbConnectionStatus), false);  // a read sees earlier writes
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(calls, (Calls{{1, std::nullopt}, {0, true}}));
    EXPECT_EQ(once, (Calls{{"a", std::nullopt}}));
}

TEST_F(DataControllerTest, WritingNoneOnlyReportsAndWithoutPersistOnlyMemoryChanges) {
    Calls calls;
    controller.objc_writeWithKey(usb, 1, true);
    record(usb, calls);
    controller.objc_writeWithKey(usb, std::nullopt, true);
    controller.objc_writeWithKey(usb, 0, false);
    EXPECT_EQ(controller.read<int>(usb), 0);
    EXPECT_EQ(calls, (Calls{{std::nullopt, 1}, {0, 1}}));
    EXPECT_EQ(settings.store()->getParamWithKey(usb), PropertyListValue(1));
    EXPECT_EQ(restart()->read<int>(usb), 1);
}

TEST_F(DataControllerTest, ReadsGiveTheDefaultOrNoneAndUnstorableWritesAreDropped) {
    EXPECT_EQ(controller.objc_readWithKey("absent", 7), PropertyListValue(7));
    controller.write<std::string>("k", "text", false);
    EXPECT_EQ(controller.read<bool>("k"), std::nullopt);
    const PropertyListDate date{std::chrono::seconds(1700000000)};
    for (const PropertyListValue& value : {PropertyListValue(date), PropertyListValue(PropertyListData{1}),
                                           PropertyListValue(PropertyListDictionary{{"a", PropertyListArray{date}}})}) {
        controller.objc_writeWithKey("k", value, true);
    }
    EXPECT_TRUE(isStorableSetting(PropertyListDictionary{{"a", PropertyListArray{1, "b", 2.5, true}}}));
    EXPECT_EQ(controller.read<std::string>("k"), "text");
    controller.write(std::string("k"), PropertyListValue(date), true);  // the typed interface takes it
    EXPECT_EQ(restart()->read<PropertyListValue>("k"), PropertyListValue(date));
}

TEST_F(DataControllerTest, RemovingReportsNoneAndForgetsTheKeyEverywhere) {
    Calls calls;
    controller.objc_writeWithKey("k", "v", true);
    record("k", calls);
    controller.removeWithKey("k");
    controller.removeWithKey("k");  // absent: nobody is called
    EXPECT_EQ(calls, (Calls{{std::nullopt, "v"}}));
    EXPECT_EQ(restart()->objc_readWithKey("k", "default"), PropertyListValue("default"));
}

}  // namespace
}  // namespace touchlane
