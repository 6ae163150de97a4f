#include <gtest/gtest.h>

#include <sstream>

#include "replay/TraceReader.h"

namespace touchlane {
namespace {

TEST(TraceReader, ReadsEveryDirectiveAndSkipsBlanksAndComments) {
    std::istringstream input(
        "# a comment\n"
        "\n"
        "display 0 0 2560 1440\n"
        "10 report 01 02 0a ff\n"
        "10.5 frame 1:7:100:200; 2:4:300:400:50:60:9\n"
        "  20 g1frame 3:7:1:2:3:4  \n"
        "30 pen 1 500 600 16\n"
        "40 idle\n");
    TraceReader reader(input);
    TraceDirective d;

    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(std::get<DisplayDirective>(d.body).bounds, (Rect{0, 0, 2560, 1440}));

    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(d.timeMs, 10.0);
    EXPECT_EQ(std::get<ReportDirective>(d.body).bytes, (std::vector<uint8_t>{0x01, 0x02, 0x0a, 0xff}));

    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(d.timeMs, 10.5);
    const auto& frame = std::get<FrameDirective>(d.body);
    EXPECT_EQ(frame.format, FrameFormat::standard);
    ASSERT_EQ(frame.contacts.size(), 2u);
    EXPECT_EQ(frame.contacts[0], (TraceContact{1, 7, 100, 200, 100, 100, 0}));
    EXPECT_EQ(frame.contacts[1], (TraceContact{2, 4, 300, 400, 50, 60, 9}));

    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(std::get<FrameDirective>(d.body).format, FrameFormat::g1);

    ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
    const auto& pen = std::get<PenDirective>(d.body);
    EXPECT_EQ(pen.state, 1);
    EXPECT_EQ(pen.x, 500);
    EXPECT_EQ(pen.flags, 16);

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
        "nan idle",                  // not a finite time
    };
    for (const char* line : bad) {
        std::istringstream input(std::string("# header\n5 idle\n") + line + "\n");
        TraceReader reader(input);
        TraceDirective d;
        ASSERT_EQ(reader.next(d), TraceReader::Status::directive);
        EXPECT_EQ(reader.next(d), TraceReader::Status::error) << line;
        EXPECT_EQ(reader.errorMessage().rfind("line 3: ", 0), 0u) << reader.errorMessage();
    }
}

TEST(TraceReader, TimeMustNeverDecreaseButDisplayLinesCarryNone) {
    std::istringstream input("10 idle\ndisplay 0 0 800 600\n10 idle\n9.5 idle\n");
    TraceReader reader(input);
    TraceDirective d;
    EXPECT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(reader.next(d), TraceReader::Status::directive);
    EXPECT_EQ(reader.next(d), TraceReader::Status::error);
    EXPECT_NE(reader.errorMessage().find("line 4"), std::string::npos);
}

}  // namespace
}  // namespace touchlane
