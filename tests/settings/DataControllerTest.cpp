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

TEST_F(DataControllerTest, CallbacksSeeEachRealChangeOnceWithThePreviousValue) {
    Calls calls, once;
    record(usb, calls);
    record("once", once, false);
    controller.objc_writeWithKey(usb, 1, true);
    EXPECT_TRUE(calls.empty());  // nothing runs until the queue does
    controller.objc_writeWithKey(usb, 1, true);
    controller.write(DataKey::usbConnectionStatus, true, true);  // the same number
    controller.objc_writeWithKey(usb, std::nullopt, true);       // reported, but the value stays
    controller.objc_writeWithKey(usb, 0, true);
    controller.objc_writeWithKey("once", "a", false);
    controller.objc_writeWithKey("once", "b", false);
    EXPECT_EQ(controller.read<bool>(DataKey::usbConnectionStatus), false);  // a read sees earlier writes
    controller.removeWithKey(usb);
    controller.removeWithKey(usb);  // absent: nobody is called
    EXPECT_EQ(calls, (Calls{{1, std::nullopt}, {std::nullopt, 1}, {0, 1}, {std::nullopt, 0}}));
    EXPECT_EQ(once, (Calls{{"a", std::nullopt}}));
    EXPECT_EQ(restart()->objc_readWithKey(usb, "default"), PropertyListValue("default"));
}

TEST_F(DataControllerTest, WithoutPersistOnlyMemoryChangesAndUnstorableValuesAreDropped) {
    controller.objc_writeWithKey(usb, 1, true);
    controller.objc_writeWithKey(usb, 0, false);
    EXPECT_EQ(controller.read<int>(usb), 0);
    EXPECT_EQ(settings.store()->getParamWithKey(usb), PropertyListValue(1));
    EXPECT_EQ(restart()->read<int>(usb), 1);

    EXPECT_EQ(controller.objc_readWithKey("absent", 7), PropertyListValue(7));
    controller.write<std::string>("k", "text", false);
    EXPECT_EQ(controller.read<bool>("k"), std::nullopt);  // another type reads as none
    const PropertyListDate date{std::chrono::seconds(1700000000)};
    for (const PropertyListValue& value : {PropertyListValue(date), PropertyListValue(PropertyListArray{"a", date})}) {
        controller.objc_writeWithKey("k", value, true);
    }
    EXPECT_EQ(controller.read<std::string>("k"), "text");
    const PropertyListDictionary storable{{"a", PropertyListArray{1, "b", 2.5, true}}};
    controller.objc_writeWithKey("nested", storable, false);
    EXPECT_EQ(controller.read<PropertyListDictionary>("nested"), storable);
    controller.write(std::string("k"), PropertyListValue(date), true);  // the typed interface takes it
    EXPECT_EQ(restart()->read<PropertyListValue>("k"), PropertyListValue(date));
}

}  // namespace
}  // namespace touchlane
