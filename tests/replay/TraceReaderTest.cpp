#include <gtest/gtest.h>

#include <sstream>

#include "replay/TraceReader.h"

namespace touchlane {
namespace {

// Frames, pens, displays and reports are read end to end by the replay and
// scenario tests; what no other test reads is here.
TEST(TraceReader, ReadsContactSizesAndIdleAndSkipsBlanksAndComments) {
    std::istringstream input("# a comment\n\n  10.5 frame 1:7:100:200; 2:4:300:400:50:60:9  \n40 idle\n");
    TraceReader reader(input);
    TraceDirective d;
    ASSERT_EQ(reader.next(d), TraceReader::Status::directive) << reader.errorMessage();
    EXPECT_EQ(d.timeMs, 10.5);
    EXPECT_EQ(std::get<FrameDirective>(d.body).contacts,
              (std::vector<TraceContact>{{1, 7, 100, 200, 100, 100, 0}, {2, 4, 300, 400, 50, 60, 9}}));
    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_TRUE(std::holds_alternative<IdleDirective>(d.body));
    EXPECT_EQ(reader.next(d), TraceReader::Status::end);
}

TEST(TraceReader, MalformedLinesAreRejectedWithTheirLineNumber) {
    const char* bad[] = {
        "display 0 0 1920",          // too few numbers
        "display 0 0 -5 100",        // negative size
        "abc frame 1:7:1:1",         // time is not a number
        "-1 idle",                   // negative time
        "4 idle",                    // time going back (the display line carries none)
        "nan idle",                  // not a finite time
        "1e22 idle",                 // a time no integer clock holds
        "display 0 0 1e300 100",     // a size no integer pixel count holds
        "display -1e9 0 100 100",    // an origin likewise
        "10",                        // no directive
        "10 report 0",               // odd number of digits
        "10 report zz",              // not hexadecimal
        "10 frame",                  // no contacts
        "10 frame 1:7:1",            // too few fields
        "10 frame 1:7:1:1:1",        // five fields
        "10 frame 255:7:1:1",        // identifier reserved for empty slots
        "10 frame 1:7:70000:1",      // coordinate out of range
        "10 pen 2 1 1",              // state is 0 or 1
        "10 pen 1 1",                // missing Y
        "10 idle now",               // idle takes nothing
        "10 swipe",                  // unknown directive
        "monitor HDMI-1 0 0 1280",   // too few numbers
        "monitor HDMI-1 0 0 0 720",  // empty monitor
        "monitor HDMI-1 0 0 9 9 main",  // only "primary" may follow
        "monitor HDMI-1",            // neither a rectangle nor "off"
        "choose HDMI-1 DP-1",        // one monitor at a time
    };
    for (const char* line : bad) {
        std::istringstream input(std::string("# header\n5 idle\ndisplay 0 0 800 600\n") + line + "\n");
        TraceReader reader(input);
        TraceDirective d;
        ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
        ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
        EXPECT_EQ(reader.next(d), TraceReader::Status::error) << line;
        EXPECT_EQ(reader.errorMessage().rfind("line 4: ", 0), 0u) << reader.errorMessage();
    }
}

}  // namespace
}  // namespace touchlane
