#include "settings/DataController.h"

#include <algorithm>

namespace touchlane {

namespace {

constexpr const char* kQueueLabel = "com.qrve.datacontroller";

OverrideSlot<std::shared_ptr<DataController>> overrideController;

}  // namespace

bool isStorableSetting(const PropertyListValue& value) {
    if (value.stringValue() || value.isNumber()) return true;
    if (auto array = value.arrayValue()) return std::all_of(array->begin(), array->end(), isStorableSetting);
    if (auto dictionary = value.dictionaryValue()) {
        return std::all_of(dictionary->begin(), dictionary->end(),
                           [](const auto& entry) { return isStorableSetting(entry.second); });
    }
    return false;
}

std::shared_ptr<DataController> DataController::dataController() {
    if (auto controller = overrideController.current()) return controller;
    // Never destroyed: the device monitor may still publish while the process exits.
    static auto* instance =
        new std::shared_ptr<DataController>(std::make_shared<DataController>(LMSTKeyValueStore::shared()));
    return *instance;
}

DataController::DataController(std::shared_ptr<LMSTKeyValueStore> store)
    : store_(std::move(store)), securityQueue_(makeSerialQueue(kQueueLabel)) {
    // Both are string-keyed dictionaries, so the store's contents always fit.
    for (auto& [key, value] : store_->loadAllParamDict()) keyValues_.insert_or_assign(key, std::move(value));
}

DataController::~DataController() {
    // Queued writes refer to this object; let them finish first.
    securityQueue_->sync([] {});
}

void DataController::objc_writeWithKey(const std::string& key, std::optional<PropertyListValue> value,
                                       bool shouldCacheLocally) {
    if (value && !isStorableSetting(*value)) return;
    enqueueWrite(key, std::move(value), shouldCacheLocally);
}

void DataController::enqueueWrite(const std::string& key, std::optional<PropertyListValue> value,
                                  bool shouldCacheLocally) {
    securityQueue_->async([this, key, value = std::move(value), shouldCacheLocally] {
        applyWrite(key, value, shouldCacheLocally);
    });
}

void DataController::applyWrite(const std::string& key, const std::optional<PropertyListValue>& value,
                                bool shouldCacheLocally) {
    std::optional<PropertyListValue> previous;
    if (auto found = keyValues_.find(key); found != keyValues_.end()) previous = found->second;
    if (!value) {
        notify(key, std::nullopt, previous);
        return;
    }
    if (!previous || !(*previous == *value)) notify(key, value, previous);
    keyValues_.insert_or_assign(key, *value);
    if (shouldCacheLocally) store_->setParamValue(*value, key);
}

std::optional<PropertyListValue> DataController::objc_readWithKey(const std::string& key,
                                                                  std::optional<PropertyListValue> defaultValue) {
    std::optional<PropertyListValue> result;
    securityQueue_->sync([&] {
        auto found = keyValues_.find(key);
        result = found != keyValues_.end() ? std::optional(found->second) : std::move(defaultValue);
    });
    return result;
}

void DataController::removeWithKey(const std::string& key) {
    securityQueue_->sync([&] {
        auto found = keyValues_.find(key);
        if (found == keyValues_.end()) return;
        PropertyListValue previous = found->second;
        notify(key, std::nullopt, previous);
        keyValues_.erase(key);
        store_->removeParamWithKey(key);
    });
}

void DataController::changedWithKey(const std::string& key, ChangeHandler handler) {
    if (!handler) return;
    auto shared = std::make_shared<const ChangeHandler>(std::move(handler));
    securityQueue_->async([this, key, shared] { changedCallbacks_.insert_or_assign(key, shared); });
}

void DataController::notify(const std::string& key, const std::optional<PropertyListValue>& newValue,
                            const std::optional<PropertyListValue>& previousValue) {
    auto found = changedCallbacks_.find(key);
    if (found == changedCallbacks_.end()) return;
    std::shared_ptr<const ChangeHandler> handler = found->second;
    if ((*handler)(newValue, previousValue)) return;
    found = changedCallbacks_.find(key);
    if (found != changedCallbacks_.end() && found->second == handler) changedCallbacks_.erase(found);
}

DataControllerOverride::DataControllerOverride(std::shared_ptr<DataController> controller)
    : ScopedOverride(overrideController, std::move(controller)) {}

}  // namespace touchlane
