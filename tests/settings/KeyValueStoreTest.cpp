#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "logging/LogHook.h"
#include "settings/AtomicFile.h"
#include "settings/PropertyListCoding.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using Seen = std::vector<std::optional<PropertyListValue>>;

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
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(store->getParamWithKey("usbConnectionStatus"), std::nullopt);

    store->setParamValue(true, "usbConnectionStatus");
    store->setParamValue(PropertyListArray{"a", 2}, "list");
    store->removeParamWithKey("list");
    EXPECT_EQ(onDisk(), (PropertyListDictionary{{"usbConnectionStatus", true}}));
    EXPECT_EQ(open()->getParamWithKey("usbConnectionStatus"), PropertyListValue(true));

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
    Seen kept, dropped, replaced, keyless, successor;
    auto recorder = [](Seen& seen, bool keep) {
        return [&seen, keep](const std::optional<PropertyListValue>& value) {
            seen.push_back(value);
            return keep;
        };
    };
    store->observeChanges("kept", recorder(kept, true));
    store->observeChanges("dropped", recorder(dropped, false));
    store->observeChanges("replaced", recorder(replaced, true));
    store->observeChanges("replaced", [&](const std::optional<PropertyListValue>&) {
        // Observers may call back in; this one hands over to a successor.
        store->observeChanges("replaced", recorder(successor, true));
        return false;
    });
    store->observeChanges("keyless", recorder(keyless, true));
    for (int i = 0; i < 2; ++i) {
        for (const char* key : {"kept", "dropped", "replaced"}) store->setParamValue(i, key);
    }
    store->removeParamWithKey("kept");
    store->removeAll();  // reaches observers of keys that never had a value
    EXPECT_EQ(kept, (Seen{0, 1, std::nullopt, std::nullopt}));
    EXPECT_EQ(dropped, (Seen{0}));
    EXPECT_TRUE(replaced.empty());
    EXPECT_EQ(successor, (Seen{1, std::nullopt}));
    EXPECT_EQ(keyless, (Seen{std::nullopt}));
}

TEST_F(KeyValueStore, AnUnreadableFileIsKeptAsCorruptBeforeTheFirstWriteReplacesIt) {
    const std::string broken = "<?xml version=\"1.0\"?><plist><dict><key>usbConnectionStatus</key>";
    fs::create_directories(folder);
    std::ofstream(path) << broken;
    auto store = open();
    EXPECT_TRUE(store->loadAllParamDict().empty());
    EXPECT_FALSE(fs::exists(path + ".corrupt"));  // reading alone changes nothing

    store->setParamValue(1, "a");
    store->setParamValue(2, "b");
    EXPECT_EQ(readWholeFile(path + ".corrupt").contents, broken);
    EXPECT_EQ(log.count("Unreadable settings file kept as " + path + ".corrupt"), 1u);
    EXPECT_EQ(onDisk(), (PropertyListDictionary{{"a", 1}, {"b", 2}}));

    fs::remove(path + ".corrupt");
    open()->setParamValue(3, "c");
    EXPECT_FALSE(fs::exists(path + ".corrupt"));  // a healthy file is not copied
}

}  // namespace
}  // namespace touchlane
