#pragma once

#include <memory>
#include <string>

#include "settings/DataController.h"
#include "settings/LMSTKeyValueStore.h"

namespace touchlane {

// A folder of its own under the temporary folder, removed with everything in it
// when the scope ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Settings in a scratch folder: a store and a controller of their own, installed as
// DataController::dataController() for the scope. Make it after a VirtualTime so
// that the controller's queue runs in virtual time.
class SettingsSandbox {
public:
    SettingsSandbox();

    const std::string& plistPath() const { return plistPath_; }
    const std::shared_ptr<LMSTKeyValueStore>& store() const { return store_; }
    const std::shared_ptr<DataController>& controller() const { return controller_; }

private:
    ScratchFolder folder_;
    std::string plistPath_;
    std::shared_ptr<LMSTKeyValueStore> store_;
    std::shared_ptr<DataController> controller_;
    std::unique_ptr<DataControllerOverride> override_;
};

}  // namespace touchlane
