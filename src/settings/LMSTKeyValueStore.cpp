#include "settings/LMSTKeyValueStore.h"

#include <cerrno>
#include <filesystem>
#include <vector>

#include "logging/StandardErrorLog.h"
#include "platform/BundleInfo.h"
#include "platform/Paths.h"
#include "settings/AtomicFile.h"
#include "settings/PropertyListCoding.h"

namespace touchlane {

namespace fs = std::filesystem;

namespace {

// The user's broken file is kept under this suffix before it is first replaced.
constexpr const char* kKeptAsideSuffix = ".corrupt";
// A few keys take a few hundred bytes. Anything much larger is no file of ours,
// and a bound here also bounds how deep a hostile file can nest.
constexpr size_t kMaximumSettingsFileBytes = 64 * 1024;

}  // namespace

std::shared_ptr<LMSTKeyValueStore> LMSTKeyValueStore::shared() {
    // Never destroyed: callers on other threads may still use it while the process exits.
    static auto* instance = new std::shared_ptr<LMSTKeyValueStore>(std::make_shared<LMSTKeyValueStore>());
    return *instance;
}

std::string LMSTKeyValueStore::defaultPlistPath() {
    return (fs::path(Paths::configHome()) / BundleInfo::name() / (BundleInfo::identifier() + ".plist")).string();
}

LMSTKeyValueStore::LMSTKeyValueStore() : LMSTKeyValueStore(defaultPlistPath()) {}

LMSTKeyValueStore::LMSTKeyValueStore(std::string filePath) : path_(std::move(filePath)) {
    stderrLog("plistPath: {}", plistPath());
    removeStaleTemporaryFiles(path_);
    dataBuffer_ = loadAllParamDict();
}

std::string LMSTKeyValueStore::plistPath() {
    // A folder that cannot be made shows up as a failed write.
    Paths::createPrivateDirectories(fs::path(path_).parent_path().string());
    return path_;
}

PropertyListDictionary LMSTKeyValueStore::loadAllParamDict() {
    std::lock_guard guard(lock_);
    FileReadResult file = readWholeFile(path_, kMaximumSettingsFileBytes);
    if (!file.contents) {
        if (file.errorNumber != ENOENT) fileNeedsKeepingAside_ = true;
        return {};
    }
    DecodedPropertyList decoded = decodePropertyList(*file.contents);
    if (decoded.status != DecodedPropertyList::Status::ok) fileNeedsKeepingAside_ = true;
    return std::move(decoded.dictionary);
}

bool LMSTKeyValueStore::keepUnreadableFileAside() {
    if (!fileNeedsKeepingAside_) return true;
    std::string error;
    auto copyPath = keepFileAside(path_, path_ + kKeptAsideSuffix, error);
    if (!copyPath) {
        stderrLog("Could not keep unreadable settings file {}: {}", path_, error);
        return false;
    }
    fileNeedsKeepingAside_ = false;
    if (!copyPath->empty()) stderrLog("Unreadable settings file kept as {}", *copyPath);
    return true;
}

void LMSTKeyValueStore::writeAll() {
    std::string path = plistPath();
    // Replacing a file we could not read would silently destroy the user's settings;
    // until a copy is safe the change lives in memory only.
    if (!keepUnreadableFileAside()) return;
    std::string error;
    if (!replaceFileAtomically(path, encodeXmlPropertyList(dataBuffer_), error)) {
        stderrLog("Could not write settings file {}: {}", path, error);
    }
}

void LMSTKeyValueStore::setParamValue(PropertyListValue value, const std::string& key) {
    std::lock_guard guard(lock_);
    dataBuffer_.insert_or_assign(key, value);
    writeAll();
    execCallbackWithKey(key, value);
}

std::optional<PropertyListValue> LMSTKeyValueStore::getParamWithKey(const std::string& key) {
    std::lock_guard guard(lock_);
    auto found = dataBuffer_.find(key);
    if (found == dataBuffer_.end()) return std::nullopt;
    return found->second;
}

void LMSTKeyValueStore::removeParamWithKey(const std::string& key) {
    std::lock_guard guard(lock_);
    dataBuffer_.erase(key);
    writeAll();
    execCallbackWithKey(key, std::nullopt);
}

void LMSTKeyValueStore::removeAll() {
    std::lock_guard guard(lock_);
    dataBuffer_.clear();
    writeAll();
    std::vector<std::string> keys;
    for (const auto& entry : observerBuffer_) keys.push_back(entry.first);
    for (const auto& key : keys) execCallbackWithKey(key, std::nullopt);
}

void LMSTKeyValueStore::observeChanges(const std::string& key, Observer callback) {
    if (!callback) return;
    std::lock_guard guard(lock_);
    observerBuffer_.insert_or_assign(key, std::make_shared<const Observer>(std::move(callback)));
}

void LMSTKeyValueStore::execCallbackWithKey(const std::string& key, const std::optional<PropertyListValue>& value) {
    std::lock_guard guard(lock_);
    auto found = observerBuffer_.find(key);
    if (found == observerBuffer_.end()) return;
    // Held here so an observer that replaces itself does not destroy the running call.
    std::shared_ptr<const Observer> observer = found->second;
    if ((*observer)(value)) return;
    // Only this observer asked to go; one it registered in its place stays.
    found = observerBuffer_.find(key);
    if (found != observerBuffer_.end() && found->second == observer) observerBuffer_.erase(found);
}

}  // namespace touchlane
