#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/SingleInstanceLock.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// A user without a home folder (no HOME, no password entry), no XDG folders set,
// and a temporary folder that other local users share: the files go to a folder
// of this user's own, made 0700, or nowhere, said plainly, when another user
// prepared that name.
TEST(SafePlaces, WithoutAHomeFolderFilesGoToAPrivateFolderOrNowhere) {
    ScratchFolder shared;
    HomeDirectoryOverride noHome(std::nullopt);
    EnvironmentOverride tmp("TMPDIR", shared.path());
    EnvironmentOverride config("XDG_CONFIG_HOME", std::nullopt), state("XDG_STATE_HOME", std::nullopt),
        runtime("XDG_RUNTIME_DIR", std::nullopt);
    const std::string own = shared.path() + "/touchlane-" + std::to_string(::getuid());
    const std::string elsewhere = shared.path() + "/elsewhere";
    const struct {
        const char* name;
        std::function<void()> prepare;
        bool safe;
    } cases[] = {
        {"nothing there yet", [] {}, true},
        {"made earlier, too open", [&] { fs::create_directory(own), fs::permissions(own, fs::perms::all); }, true},
        {"a file planted there", [&] { std::ofstream(own) << "x"; }, false},
        {"a link planted there", [&] { fs::create_directory(elsewhere), fs::create_directory_symlink(elsewhere, own); },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(own), fs::remove_all(elsewhere);
        c.prepare();
        EXPECT_EQ(Paths::whyNoSafePlace().has_value(), !c.safe);
        EXPECT_EQ(Paths::stateHome(), c.safe ? own + "/state" : "");
        EXPECT_EQ(Paths::configHome(), c.safe ? own + "/config" : "");
        EXPECT_EQ(SingleInstanceLock::defaultLockPath(), c.safe ? own + "/touchlane.lock" : "");
        if (c.safe) {
            EXPECT_EQ(modeOf(own), 0700u);
        }
    }
    EXPECT_TRUE(fs::is_empty(elsewhere));

    // A runtime folder is used only when it is this user's alone.
    ScratchFolder runtimeFolder;
    EnvironmentOverride runtimeSet("XDG_RUNTIME_DIR", runtimeFolder.path());
    for (auto [mode, used] : {std::pair{fs::perms::owner_all, true}, std::pair{fs::perms::all, false}}) {
        fs::permissions(runtimeFolder.path(), mode);
        fs::remove_all(own);
        EXPECT_EQ(SingleInstanceLock::defaultLockPath(),
                  (used ? runtimeFolder.path() : own) + "/touchlane.lock");
    }
}

TEST(SafePlaces, FoldersTheProgramMakesAreTheUsersAlone) {
    ScratchFolder scratch;
    const std::string deep = scratch.path() + "/a/b/logs";
    ASSERT_TRUE(Paths::createPrivateDirectories(deep));
    for (const auto& folder : {scratch.path() + "/a", scratch.path() + "/a/b", deep}) {
        EXPECT_EQ(modeOf(folder), 0700u) << folder;
    }
}

}  // namespace
}  // namespace touchlane
