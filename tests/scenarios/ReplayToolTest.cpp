#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "platform/Paths.h"

namespace touchlane {
namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs the replay tool that sits next to this test program, with the given
// text on its standard input.
ToolRun runTool(const std::string& arguments, const std::string& input = "") {
    std::string command = "printf '" + input + "' | '" + *Paths::executableDirectory() + "/touchlane-replay' " +
                          arguments + " 2>&1";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(ReplayTool, DemoTracePostsAClickAScrollAPinchAndADockSwipe) {
    const std::string demoTrace = "'" + Paths::resourcesDirectory() + "/traces/demo.trace'";
    auto run = runTool(demoTrace);
    ASSERT_EQ(run.status, 0) << run.out;
    // A left down with click state 1, a continuous scroll with phases 1, 2 and 4,
    // magnification gesture events and dock swipe gesture events.
    for (const char* text :
         {R"("int":{"1":1},"location")", R"("99":1})", R"("99":2})", R"("99":4})", R"("110":8,)", R"("110":23.0)"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << " in\n" << run.out;
    }
    // The same trace always gives the same bytes.
    EXPECT_EQ(runTool(demoTrace).out, run.out);
}

TEST(ReplayTool, MalformedLineExitsTwoNamingTheLine) {
    // A trace, and a kernel recording whose slot is out of range.
    for (const char* input : {"# fine\\n100 frame 1:7:100:100\\n200 frame 1:7:100\\n",
                              "A: 35 0 99 0 0 0\\nA: 36 0 99 0 0 0\\nE: 1.0 0003 002f 9999\\n"}) {
        auto run = runTool("-", input);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.out.find("line 3:"), std::string::npos) << run.out;
    }
}

TEST(ReplayTool, OrientationAndMonitorOptionsMoveATap) {
    // A tap at the frame's top-left corner, on a trace with two monitors.
    const std::string trace =
        "monitor A 0 0 1280 720 primary\\nmonitor B 1280 0 3840 2160\\n"
        "1000 frame 1:7:0:0\\n1050 frame 1:4:0:0\\n";
    struct Case { const char* arguments; const char* location; };
    for (const Case& c : {Case{"", R"("location":[0.0,0.0])"},
                          Case{"--display B --rotate 90", R"("location":[5120.0,0.0])"},
                          Case{"--display=B --rotate=180 --mirror-x --mirror-y", R"("location":[1280.0,0.0])"},
                          Case{"--display B --mirror-y", R"("location":[1280.0,2160.0])"}}) {
        auto run = runTool(std::string(c.arguments) + " -", trace);
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find(c.location), std::string::npos) << c.arguments << "\n" << run.out;
    }
    for (const char* bad : {"--rotate 45 -", "--rotate -", "--display -"}) {
        auto run = runTool(bad, trace);
        EXPECT_EQ(run.status, 2) << bad;
    }
}

}  // namespace
}  // namespace touchlane
