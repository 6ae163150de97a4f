#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/AutostartEntry.h"
#include "app/LaunchLogInUtilities.h"
#include "logging/LogHook.h"

namespace touchlane {
namespace {

using test::fileExists;
using test::readText;
using test::writeText;

class LaunchAtLogin : public ::testing::Test {
protected:
    test::TemporaryHome home;
    LogRecorder log;
    const std::string entry = LaunchLogInUtilities::autostartEntryPath();
};

TEST_F(LaunchAtLogin, TheEntryLivesInTheUsersAutostartFolder) {
    EXPECT_EQ(entry, home.configHome() + "/autostart/touchlane.desktop");
}

TEST_F(LaunchAtLogin, ToggleWritesAnEntryForTheAgentThenRemovesIt) {
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());

    LaunchLogInUtilities::toggleLaunchAtStartup();
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(readText(entry), *AutostartEntry::fileText(LaunchLogInUtilities::agentExecutablePath()));
    EXPECT_EQ(LaunchLogInUtilities::agentExecutablePath().substr(LaunchLogInUtilities::agentExecutablePath().size() - 10),
              "/touchlane");

    LaunchLogInUtilities::toggleLaunchAtStartup();
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_FALSE(fileExists(entry));
    EXPECT_TRUE(log.messages().empty());
}

TEST_F(LaunchAtLogin, AHiddenEntryCountsAsOffAndIsReplacedWhenTurnedOn) {
    writeText(entry, "[Desktop Entry]\nType=Application\nExec=/old/touchlane\nHidden=true\n");
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    LaunchLogInUtilities::toggleLaunchAtStartup();
    EXPECT_TRUE(LaunchLogInUtilities::isLaunchAtStartup());
    EXPECT_EQ(readText(entry).find("/old/touchlane"), std::string::npos);
}

TEST_F(LaunchAtLogin, AFailureIsLoggedAndChangesNothing) {
    // A file where the autostart folder should be.
    writeText(home.configHome() + "/autostart", "not a folder");
    LaunchLogInUtilities::toggleLaunchAtStartup();
    EXPECT_FALSE(LaunchLogInUtilities::isLaunchAtStartup());
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_EQ(log.messages()[0].rfind("LaunchLogInUtilities SMAppService failed: ", 0), 0u) << log.messages()[0];
    EXPECT_EQ(log.entries()[0].style, LogStyle::standardError);
}

}  // namespace
}  // namespace touchlane
