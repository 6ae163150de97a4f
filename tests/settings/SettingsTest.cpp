#include <gtest/gtest.h>

#include <fmt/format.h>
#include <plist/plist.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/stat.h>
#include <thread>
#include <vector>

#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "settings/AtomicFile.h"
#include "settings/PropertyListCoding.h"
#include "settings/SupportedDatabaseType.h"
#include "support/ChildProcess.h"
#include "support/SettingsSandbox.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using Value = std::optional<PropertyListValue>;

// An observer or change callback that records what it is given and stays
// registered while `keep` says so.
template <typename Seen>
auto recordInto(Seen& seen, bool keep = true) {
    return [&seen, keep](const auto&... values) { return seen.emplace_back(values...), keep; };
}

TEST(PropertyListValue, NumbersCompareAndReadByExactValueEverythingElseByKindAndContent) {
    const struct {
        PropertyListValue a, b;
        bool equal;
    } cases[] = {
        {int64_t{1}, true, true}, {3, 3.0, true}, {3, 3.5, false}, {"1", 1, false},
        {int64_t{9007199254740993}, 9007199254740992.0, false},  // no rounding through double
        {PropertyListArray{1, "x"}, PropertyListArray{true, "x"}, true},
        {PropertyListDictionary{{"k", 1}}, PropertyListDictionary{{"j", 1}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << describe(c.a) << " vs " << describe(c.b);
        EXPECT_EQ(c.b == c.a, c.equal) << describe(c.b) << " vs " << describe(c.a);
    }
    EXPECT_EQ(DatabaseValue<int>::fromValue(true), 1);
    EXPECT_EQ(DatabaseValue<int>::fromValue(2.5), std::nullopt);
    EXPECT_EQ(DatabaseValue<int>::fromValue(int64_t{1} << 40), std::nullopt);
}

TEST(PropertyListCoding, EveryKindSurvivesXmlAndBinaryKeepingItsKind) {
    const PropertyListDictionary everyKind{
        {"string", "a<&>\"é"}, {"integer", int64_t{-9000000000}}, {"real", 0.1}, {"boolean", false},
        {"date", PropertyListDate(std::chrono::sys_days{std::chrono::year{2024} / 2 / 29} + std::chrono::hours(13))},
        {"data", PropertyListData{0, 1, 255}},
        {"nested", PropertyListArray{1, PropertyListDictionary{{"x", true}}, PropertyListArray{}}},
    };
    std::string xml = encodeXmlPropertyList(everyKind);
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    char* binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    for (const auto& bytes : {xml, std::string(binary, length)}) {
        DecodedPropertyList decoded = decodePropertyList(bytes);
        ASSERT_EQ(decoded.status, DecodedPropertyList::Status::ok);
        EXPECT_EQ(decoded.dictionary, everyKind);
        for (const auto& [key, value] : everyKind) EXPECT_EQ(decoded.dictionary.at(key).kind(), value.kind()) << key;
    }
    plist_to_bin_free(binary);
    plist_free(root);
}

class KeyValueStore : public ::testing::Test {
protected:
    std::shared_ptr<LMSTKeyValueStore> open() { return std::make_shared<LMSTKeyValueStore>(path); }
    PropertyListDictionary onDisk() { return decodePropertyList(readWholeFile(path).contents.value_or("")).dictionary; }

    ScratchFolder scratch;
    std::string folder = scratch.path() + "/Touchlane", path = folder + "/settings.plist";
    LogRecorder log;
};

TEST_F(KeyValueStore, FirstStartWithoutAFileThenEveryChangeRewritesItOrIsLoggedAndKeptInMemory) {
    auto store = open();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(store->getParamWithKey("usbConnectionStatus"), std::nullopt);

    store->setParamValue(true, "usbConnectionStatus");
    store->setParamValue(PropertyListArray{"a", 2}, "list");
    store->removeParamWithKey("list");
    EXPECT_EQ(onDisk(), (PropertyListDictionary{{"usbConnectionStatus", true}}));

    fs::rename(folder, folder + ".away");
    std::ofstream(folder) << "a file where the folder should be";
    store->setParamValue(2, "usbConnectionStatus");
    fs::remove(folder);
    fs::rename(folder + ".away", folder);
    EXPECT_EQ(log.count("Could not write settings file " + path), 1u);
    EXPECT_EQ(store->getParamWithKey("usbConnectionStatus"), PropertyListValue(2));
    EXPECT_EQ(open()->getParamWithKey("usbConnectionStatus"), PropertyListValue(true));
    store->removeAll();
    EXPECT_TRUE(onDisk().empty());
}

TEST_F(KeyValueStore, ObserversKeepOrDropThemselvesAndTheLastRegisteredWins) {
    auto store = open();
    std::vector<Value> kept, dropped, replaced, keyless, successor;
    store->observeChanges("kept", recordInto(kept));
    store->observeChanges("dropped", recordInto(dropped, false));
    store->observeChanges("replaced", recordInto(replaced));
    store->observeChanges("replaced", [&](const Value&) {
        // Observers may call back in; this one hands over to a successor.
        store->observeChanges("replaced", recordInto(successor));
        return false;
    });
    store->observeChanges("keyless", recordInto(keyless));
    for (int i = 0; i < 2; ++i) {
        for (const char* key : {"kept", "dropped", "replaced"}) store->setParamValue(i, key);
    }
    store->removeParamWithKey("kept");
    store->removeAll();  // reaches observers of keys that never had a value
    EXPECT_EQ(kept, (std::vector<Value>{0, 1, std::nullopt, std::nullopt}));
    EXPECT_EQ(dropped, (std::vector<Value>{0}));
    EXPECT_TRUE(replaced.empty());
    EXPECT_EQ(successor, (std::vector<Value>{1, std::nullopt}));
    EXPECT_EQ(keyless, (std::vector<Value>{std::nullopt}));
}

std::string nestedArrays(int depth) {
    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>";
    for (int i = 0; i < depth; ++i) xml += "<array>";
    for (int i = 0; i < depth; ++i) xml += "</array>";
    return xml + "</dict></plist>";
}

// Unreadable files, some of which crashed or hung every start: each is refused,
// kept aside under a name of its own (earlier copies stay) by the first write and
// not before, and that write puts a sound file in its place. A healthy file is
// never copied aside: the crash test finds no .corrupt file. In a child, so that
// a hang shows up as the watchdog's signal.
TEST_F(KeyValueStore, HostileFilesAreKeptAsNumberedCorruptCopiesAndNeverCrashOrHang) {
    const std::string cutOff = "<?xml version=\"1.0\"?><plist><dict><key>usbConnectionStatus</key>";
    const struct {
        const char* name;
        std::function<void()> plant;
    } cases[] = {
        {"cut off", [&] { std::ofstream(path) << cutOff; }},
        {"nested 20,000 deep", [&] { std::ofstream(path) << nestedArrays(20000); }},
        {"nested 2,000 deep, within the size", [&] { std::ofstream(path) << nestedArrays(2000); }},
        {"a FIFO", [&] { ::mkfifo(path.c_str(), 0600); }},
        {"a link to an endless device", [&] { fs::create_symlink("/dev/zero", path); }},
    };
    fs::create_directories(folder);
    const int status = test::runInChild([&] {
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            cases[i].plant();
            LogRecorder log;
            auto store = std::make_shared<LMSTKeyValueStore>(path);
            const std::string copy = path + ".corrupt" + (i == 0 ? "" : fmt::format(".{}", i + 1));
            if (!store->loadAllParamDict().empty()) return 10 + i;
            if (fs::exists(fs::symlink_status(copy))) return 50 + i;  // reading alone changes nothing
            store->setParamValue(i, "a");
            store->setParamValue(i, "b");
            if (!fs::exists(fs::symlink_status(copy))) return 20 + i;
            if (log.count("Unreadable settings file kept as " + copy) != 1) return 30 + i;
            if (decodePropertyList(readWholeFile(path).contents.value_or("")).dictionary !=
                PropertyListDictionary{{"a", i}, {"b", i}}) {
                return 40 + i;
            }
            fs::remove(path);
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readWholeFile(path + ".corrupt").contents, cutOff);
    EXPECT_EQ(readWholeFile(path + ".corrupt.2").contents, nestedArrays(20000));
    EXPECT_TRUE(fs::is_fifo(path + ".corrupt.4"));
}

class DataControllerTest : public ::testing::Test {
protected:
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
    using Calls = std::vector<std::pair<Value, Value>>;
    Calls calls, once;
    controller.changedWithKey(usb, recordInto(calls));
    controller.changedWithKey("once", recordInto(once, false));
    controller.objc_writeWithKey(usb, 1, true);
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
    EXPECT_EQ(restart()->read<int>(usb), 1);

    const PropertyListDictionary storable{{"a", PropertyListArray{1, "b", 2.5, true}}};
    controller.objc_writeWithKey("k", storable, false);
    const PropertyListDate date{std::chrono::seconds(1700000000)};
    for (const PropertyListValue& value : {PropertyListValue(date), PropertyListValue(PropertyListArray{"a", date})}) {
        controller.objc_writeWithKey("k", value, true);
    }
    EXPECT_EQ(controller.read<PropertyListDictionary>("k"), storable);
}

// Several threads share the controller on its real queue, as the device monitor,
// the tray item and start-up do; the sanitizers check that nothing races.
TEST(DataControllerConcurrent, WritersReadersAndCallbacksOnManyThreads) {
    SettingsSandbox settings;
    DataController& controller = *settings.controller();
    std::atomic<int> changes{0};
    controller.changedWithKey("shared", [&](const auto&, const auto&) { return ++changes > 0; });
    constexpr int kThreads = 4, kWrites = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string own = "thread" + std::to_string(t);
            for (int i = 0; i < kWrites; ++i) {
                controller.objc_writeWithKey(own, i, i % 10 == 0);
                controller.objc_writeWithKey("shared", t * 1000 + i, false);  // every one a change
                EXPECT_EQ(controller.read<int>(own), i);  // a thread sees its own latest write
                if (i == kWrites / 2) controller.removeWithKey(own);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(controller.read<int>("thread0"), kWrites - 1);  // also waits for the queue
    EXPECT_EQ(changes.load(), kThreads * kWrites);
}

}  // namespace
}  // namespace touchlane
