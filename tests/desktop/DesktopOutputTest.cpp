#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "logging/LogHook.h"
#include "platform/desktop/DesktopOutput.h"
#include "synthesis/LogOnlyWindowSystem.h"

namespace touchlane {
namespace {

// An opener that succeeds or fails with a note, and counts its calls.
struct FakeOpener {
    bool opens = false;
    std::string note;
    int calls = 0;
    std::function<OutputAttempt()> function() {
        return [this] {
            ++calls;
            return OutputAttempt{opens ? std::make_unique<StaticWindowSystem>() : nullptr, note};
        };
    }
};

TEST(DesktopOutput, TakesTheFirstOutputThatOpensAndLogsWhyOnce) {
    struct Case {
        bool uinputOpens;
        bool x11Opens;
        DesktopOutputKind kind;
        std::string line;
        int x11Calls;
        int logOnlyCalls;
    };
    const std::vector<Case> cases{
        {true, true, DesktopOutputKind::uinput,
         "Event output: uinput, since /dev/uinput can be opened for writing; bounds from X", 0, 0},
        {false, true, DesktopOutputKind::x11,
         "Event output: X11 (XTest) on display :1, since /dev/uinput cannot be opened for writing (EACCES)", 1, 0},
        {false, false, DesktopOutputKind::logOnly,
         "Event output: log only, since /dev/uinput cannot be opened for writing (EACCES) and DISPLAY is not set; "
         "display bounds 1920 x 1080 assumed",
         1, 1},
    };
    for (const Case& c : cases) {
        FakeOpener uinput{c.uinputOpens, c.uinputOpens ? "/dev/uinput can be opened for writing; bounds from X"
                                                       : "/dev/uinput cannot be opened for writing (EACCES)"};
        FakeOpener x11{c.x11Opens, c.x11Opens ? ":1" : "DISPLAY is not set"};
        FakeOpener logOnly{true, "display bounds 1920 x 1080 assumed"};
        LogRecorder log;
        DesktopOutput output = openDesktopOutput({uinput.function(), x11.function(), logOnly.function()});
        EXPECT_EQ(output.kind, c.kind);
        EXPECT_NE(output.windowSystem, nullptr);
        EXPECT_EQ(log.messages(), std::vector<std::string>{c.line});
        EXPECT_EQ(uinput.calls, 1);
        EXPECT_EQ(x11.calls, c.x11Calls);
        EXPECT_EQ(logOnly.calls, c.logOnlyCalls);
    }
}

TEST(DesktopOutput, HeadlessMachinePicksLogOnlyAndSaysWhy) {
    if (access("/dev/uinput", F_OK) == 0) GTEST_SKIP() << "this machine has /dev/uinput; the headless case needs none";
    std::optional<std::string> display;
    if (const char* value = getenv("DISPLAY")) display = value;
    unsetenv("DISPLAY");

    LogRecorder log;
    DesktopOutput output = openDesktopOutput();
    if (display) setenv("DISPLAY", display->c_str(), 1);

    EXPECT_EQ(output.kind, DesktopOutputKind::logOnly);
    EXPECT_NE(dynamic_cast<LogOnlyWindowSystem*>(output.windowSystem.get()), nullptr);
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_EQ(log.messages()[0].rfind("Event output: log only, since /dev/uinput cannot be opened for writing "
                                      "(No such file or directory) and DISPLAY is not set; display bounds ",
                                      0),
              0u)
        << log.messages()[0];
}

}  // namespace
}  // namespace touchlane
