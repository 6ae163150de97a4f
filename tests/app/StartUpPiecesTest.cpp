#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "AppTestSupport.h"
#include "app/CommandLine.h"
#include "app/DisplayPlatform.h"
#include "app/SingleInstanceLock.h"
#include "platform/BundleInfo.h"

namespace touchlane {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, HelpAndVersionAnswerAndAnythingElseIsRejected) {
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        std::string rejected;
    };
    const Case cases[] = {
        {{}, Action::run, ""},
        {{"--help"}, Action::printHelp, ""},
        {{"-h"}, Action::printHelp, ""},
        {{"--version"}, Action::printVersion, ""},
        {{"-V"}, Action::printVersion, ""},
        {{"--version", "--bogus"}, Action::printVersion, ""},
        {{"--bogus"}, Action::reject, "--bogus"},
        {{"-platform", "offscreen"}, Action::reject, "-platform"},
    };
    for (const auto& c : cases) {
        const CommandLine line = CommandLine::parse(c.arguments);
        EXPECT_EQ(line.action, c.action) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(line.rejected, c.rejected);
    }
    EXPECT_EQ(CommandLine::versionText(),
              "Touchlane " + BundleInfo::shortVersion() + "." + BundleInfo::buildNumber() + "\n");
    EXPECT_NE(CommandLine::helpText("touchlane").find("Usage: touchlane"), std::string::npos);
}

TEST(SingleInstanceLock, OnlyOneHolderAtATime) {
    test::TemporaryHome home;
    const std::string path = SingleInstanceLock::defaultLockPath();
    EXPECT_EQ(path, home.runtimeDirectory() + "/touchlane.lock");
    {
        SingleInstanceLock first(path);
        EXPECT_EQ(first.state(), SingleInstanceLock::State::acquired);
        SingleInstanceLock second(path);
        EXPECT_EQ(second.state(), SingleInstanceLock::State::heldElsewhere);
    }
    SingleInstanceLock afterTheFirstEnded(path);
    EXPECT_EQ(afterTheFirstEnded.state(), SingleInstanceLock::State::acquired);

    SingleInstanceLock nowhere(home.path() + "/missing/touchlane.lock");
    EXPECT_EQ(nowhere.state(), SingleInstanceLock::State::unavailable);
    EXPECT_FALSE(nowhere.error().empty());
}

TEST(SingleInstanceLock, WithoutARuntimeFolderTheLockIsPerUserInTheTemporaryFolder) {
    test::TemporaryHome home;
    test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    test::ScopedEnv temporary("TMPDIR", home.path());
    EXPECT_EQ(SingleInstanceLock::defaultLockPath(), home.path() + "/touchlane-" + std::to_string(getuid()) + ".lock");
}

// A compositor stand-in: a listening socket in the runtime folder.
class FakeCompositor {
public:
    explicit FakeCompositor(const std::string& path, bool listening) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        if (listening) {
            listen(fd_, 4);
        } else {
            close(fd_);
            fd_ = -1;
        }
    }
    ~FakeCompositor() {
        if (fd_ >= 0) close(fd_);
    }

private:
    int fd_ = -1;
};

TEST(DisplayPlatform, OffscreenOnlyWhenNoDisplayCanBeReached) {
    test::TemporaryHome home;
    const std::string runtime = home.runtimeDirectory();
    FakeCompositor compositor(runtime + "/wayland-test", true);
    FakeCompositor gone(runtime + "/wayland-gone", false);
    using Environment = DisplayPlatform::Environment;
    struct Case {
        const char* name;
        Environment environment;
        std::optional<std::string> qtPlatforms;
        bool offscreenOnly;
    };
    const Case cases[] = {
        {"the user's choice stands", {"xcb", std::nullopt, std::nullopt, std::nullopt}, std::nullopt, false},
        {"no display at all", {}, "offscreen", true},
        {"an X display nobody serves", {std::nullopt, ":987654", std::nullopt, std::nullopt}, "offscreen", true},
        {"a compositor", {std::nullopt, std::nullopt, "wayland-test", runtime}, "wayland;offscreen", false},
        {"a compositor by absolute path", {std::nullopt, std::nullopt, runtime + "/wayland-test", std::nullopt},
         "wayland;offscreen", false},
        {"a compositor's stale socket", {std::nullopt, std::nullopt, "wayland-gone", runtime}, "offscreen", true},
        {"a compositor without a runtime folder", {std::nullopt, std::nullopt, "wayland-test", std::nullopt},
         "offscreen", true},
    };
    for (const auto& c : cases) {
        const auto choice = DisplayPlatform::choose(c.environment);
        EXPECT_EQ(choice.qtPlatforms, c.qtPlatforms) << c.name;
        EXPECT_EQ(choice.offscreenOnly, c.offscreenOnly) << c.name;
    }
}

}  // namespace
}  // namespace touchlane
