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

std::function<OutputAttempt()> opener(bool opens, std::string note, int& calls) {
    return [opens, note, &calls] {
        ++calls;
        return OutputAttempt{opens ? std::make_unique<StaticWindowSystem>() : nullptr, note};
    };
}

TEST(DesktopOutput, TakesTheFirstOutputThatOpensAndLogsWhyOnce) {
    struct Case {
        bool uinputOpens;
        bool x11Opens;
        DesktopOutputKind kind;
        std::string line;
    };
    const std::vector<Case> cases{
        {true, true, DesktopOutputKind::uinput, "Event output: uinput, since uinput is fine"},
        {false, true, DesktopOutputKind::x11, "Event output: X11 (XTest) on display :1, since no uinput"},
        {false, false, DesktopOutputKind::logOnly, "Event output: log only, since no uinput and no X; 1920 x 1080"},
    };
    for (const Case& c : cases) {
        int calls[3] = {};
        LogRecorder log;
        DesktopOutput output = openDesktopOutput({opener(c.uinputOpens, c.uinputOpens ? "uinput is fine" : "no uinput", calls[0]),
                                                  opener(c.x11Opens, c.x11Opens ? ":1" : "no X", calls[1]),
                                                  opener(true, "1920 x 1080", calls[2])});
        EXPECT_EQ(output.kind, c.kind);
        EXPECT_NE(output.windowSystem, nullptr);
        EXPECT_EQ(log.messages(), std::vector<std::string>{c.line});
        EXPECT_EQ(calls[0] + calls[1] + calls[2], int(c.kind) + 1) << "no output is opened after the chosen one";
    }
}

TEST(DesktopOutput, AHeadlessMachinePicksLogOnlyAndSaysWhy) {
    if (access("/dev/uinput", F_OK) == 0) GTEST_SKIP() << "this machine has /dev/uinput; the headless case needs none";
    std::optional<std::string> display;
    if (const char* value = getenv("DISPLAY")) display = value;
    unsetenv("DISPLAY");
    LogRecorder log;
    DesktopOutput output = openDesktopOutput();
    if (display) setenv("DISPLAY", display->c_str(), 1);

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
