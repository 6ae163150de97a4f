#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "logging/LogHook.h"
#include "platform/Paths.h"
#include "settings/DataController.h"
#include "settings/LMSTKeyValueStore.h"
#include "support/LogRecorder.h"

namespace touchlane {

// A folder of its own under the temporary folder, removed with everything in it
// when the scope ends.
class ScratchFolder {
public:
    ScratchFolder() : path_((std::filesystem::path(Paths::temporaryDirectory()) / "touchlane-test-XXXXXX").string()) {
        if (!::mkdtemp(path_.data())) throw std::runtime_error("cannot make a scratch folder in " + path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Sets (or, with none, removes) an environment variable for the scope.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = ::getenv(name)) old_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~EnvironmentOverride() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Settings in a scratch folder: a store and a controller of their own, installed as
// DataController::dataController() for the scope. Make it after a VirtualTime so
// that the controller's queue runs in virtual time.
class SettingsSandbox {
public:
    SettingsSandbox() {
        LogRecorder quiet;  // the store announces its path on standard error
        store_ = std::make_shared<LMSTKeyValueStore>(plistPath_);
        controller_ = std::make_shared<DataController>(store_);
        override_ = std::make_unique<DataControllerOverride>(controller_);
    }

    const std::string& plistPath() const { return plistPath_; }
    const std::shared_ptr<LMSTKeyValueStore>& store() const { return store_; }
    const std::shared_ptr<DataController>& controller() const { return controller_; }

private:
    ScratchFolder folder_;
    std::string plistPath_ = (std::filesystem::path(folder_.path()) / "settings" / "test.plist").string();
    std::shared_ptr<LMSTKeyValueStore> store_;
    std::shared_ptr<DataController> controller_;
    std::unique_ptr<DataControllerOverride> override_;
};

}  // namespace touchlane
