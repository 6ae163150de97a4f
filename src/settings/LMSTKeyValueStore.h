#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "settings/PropertyListValue.h"

namespace touchlane {

// The persistent settings dictionary: string keys to property-list values, mirrored
// to one XML property-list file that every change rewrites whole and atomically,
// with at most one change observer per key.
//
// One recursive lock per instance is held for each whole operation, file write and
// observer call included, so observers run on the caller's thread with the lock
// held and may call back into the store.
class LMSTKeyValueStore {
public:
    // Receives the key's new value (none on removal); returns false to be removed.
    using Observer = std::function<bool(const std::optional<PropertyListValue>& newValue)>;

    // The process-wide store on the default file, created on first use.
    static std::shared_ptr<LMSTKeyValueStore> shared();
    // $XDG_CONFIG_HOME/<bundle name>/<bundle identifier>.plist (the temporary folder
    // stands in for the configuration folder when no home can be found).
    static std::string defaultPlistPath();

    LMSTKeyValueStore();
    // A store on another file (tests, tools).
    explicit LMSTKeyValueStore(std::string filePath);
    LMSTKeyValueStore(const LMSTKeyValueStore&) = delete;
    LMSTKeyValueStore& operator=(const LMSTKeyValueStore&) = delete;

    // Reads the file; empty when it is missing or unreadable.
    PropertyListDictionary loadAllParamDict();
    // The file's path, creating its folder when missing.
    std::string plistPath();

    void setParamValue(PropertyListValue value, const std::string& key);
    std::optional<PropertyListValue> getParamWithKey(const std::string& key);
    void removeParamWithKey(const std::string& key);
    // Empties the store and tells every observer, also those of keys without a value.
    void removeAll();
    // Makes the callback the key's only observer; an empty callback is ignored.
    void observeChanges(const std::string& key, Observer callback);
    void execCallbackWithKey(const std::string& key, const std::optional<PropertyListValue>& value);

private:
    void writeAll();
    bool keepUnreadableFileAside();

    std::recursive_mutex lock_;
    const std::string path_;
    PropertyListDictionary dataBuffer_;
    std::map<std::string, std::shared_ptr<const Observer>> observerBuffer_;
    // Set when the file on disk could not be read whole; cleared once a copy is kept.
    bool fileNeedsKeepingAside_ = false;
};

}  // namespace touchlane
