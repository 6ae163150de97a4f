#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/DispatchQueue.h"
#include "platform/ScopedOverride.h"
#include "settings/DataKey.h"
#include "settings/LMSTKeyValueStore.h"
#include "settings/PropertyListValue.h"
#include "settings/SupportedDatabaseType.h"

namespace touchlane {

// The settings facade: an in-memory map of setting keys to values, optionally
// persisted through the key-value store, with one change callback per key.
//
// All state lives on one serial queue. Writes and callback registration are queued
// and return at once; reads and removals wait for the queue, so a read issued after
// a write from the same thread sees that write. Callbacks run on the queue; one that
// touches user-interface state must hop to the main thread itself.
class DataController {
public:
    // Receives the new value (none when none was written or the key was removed) and
    // the previous value; returns false to be removed after this call.
    using ChangeHandler = std::function<bool(const std::optional<PropertyListValue>& newValue,
                                             const std::optional<PropertyListValue>& previousValue)>;

    // The process-wide controller on the shared store, created on first use, unless
    // a DataControllerOverride is alive.
    static std::shared_ptr<DataController> dataController();

    explicit DataController(std::shared_ptr<LMSTKeyValueStore> store);
    ~DataController();
    DataController(const DataController&) = delete;
    DataController& operator=(const DataController&) = delete;

    // Writing none only reports (none, previous) to the key's callback. A value
    // holding a date or data is not a storable setting here and is ignored.
    void objc_writeWithKey(const std::string& key, std::optional<PropertyListValue> value, bool shouldCacheLocally);
    std::optional<PropertyListValue> objc_readWithKey(const std::string& key,
                                                      std::optional<PropertyListValue> defaultValue);
    void removeWithKey(const std::string& key);
    // Replaces any earlier callback of the key; an empty handler is ignored.
    void changedWithKey(const std::string& key, ChangeHandler handler);

    // Typed interface: any value of the type is written as given; a read gives none
    // when the key is absent or holds a value of another type.
    template <SupportedDatabaseType T>
    void write(const std::string& key, const std::optional<T>& value, bool shouldCacheLocally) {
        std::optional<PropertyListValue> stored;
        if (value) stored = DatabaseValue<T>::toValue(*value);
        enqueueWrite(key, std::move(stored), shouldCacheLocally);
    }
    template <SupportedDatabaseType T>
    void write(const std::string& key, const T& value, bool shouldCacheLocally) {
        write(key, std::optional<T>(value), shouldCacheLocally);
    }
    template <SupportedDatabaseType T>
    std::optional<T> read(const std::string& key) {
        auto stored = objc_readWithKey(key, std::nullopt);
        return stored ? DatabaseValue<T>::fromValue(*stored) : std::nullopt;
    }

    template <SupportedDatabaseType T>
    void write(DataKey key, const std::optional<T>& value, bool shouldCacheLocally) {
        write(rawValue(key), value, shouldCacheLocally);
    }
    template <SupportedDatabaseType T>
    void write(DataKey key, const T& value, bool shouldCacheLocally) {
        write(rawValue(key), std::optional<T>(value), shouldCacheLocally);
    }
    template <SupportedDatabaseType T>
    std::optional<T> read(DataKey key) {
        return read<T>(rawValue(key));
    }

private:
    void enqueueWrite(const std::string& key, std::optional<PropertyListValue> value, bool shouldCacheLocally);
    void applyWrite(const std::string& key, const std::optional<PropertyListValue>& value, bool shouldCacheLocally);
    void notify(const std::string& key, const std::optional<PropertyListValue>& newValue,
                const std::optional<PropertyListValue>& previousValue);

    std::shared_ptr<LMSTKeyValueStore> store_;
    std::map<std::string, PropertyListValue> keyValues_;
    std::map<std::string, std::shared_ptr<const ChangeHandler>> changedCallbacks_;
    std::shared_ptr<DispatchQueue> securityQueue_;
};

// Settings the object-level write accepts: strings, numbers, and arrays and
// dictionaries made of them.
bool isStorableSetting(const PropertyListValue& value);

// Makes DataController::dataController() return the given controller for a scope.
class DataControllerOverride : ScopedOverride<std::shared_ptr<DataController>> {
public:
    explicit DataControllerOverride(std::shared_ptr<DataController> controller);
};

}  // namespace touchlane
