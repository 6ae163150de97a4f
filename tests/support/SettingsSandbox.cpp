#include "support/SettingsSandbox.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "logging/LogHook.h"
#include "platform/Paths.h"

namespace touchlane {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::path(Paths::temporaryDirectory()) / "touchlane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + pattern);
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

SettingsSandbox::SettingsSandbox()
    : plistPath_((fs::path(folder_.path()) / "settings" / "test.plist").string()) {
    LogRecorder quiet;  // the store announces its path on standard error
    store_ = std::make_shared<LMSTKeyValueStore>(plistPath_);
    controller_ = std::make_shared<DataController>(store_);
    override_ = std::make_unique<DataControllerOverride>(controller_);
}

}  // namespace touchlane
