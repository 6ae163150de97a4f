#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/LogMessageSplitter.h"
#include "logging/Utf8.h"

namespace touchlane {
namespace {

using Messages = std::vector<std::string>;

TEST(Utf8, AcceptsWellFormedTextAndRejectsEveryMalformedShape) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\n", true},  // 2, 3 and 4-byte characters
        {"\xF4\x8F\xBF\xBF", true},                              // U+10FFFF, the last one
        {"\x80", false},                                         // stray continuation byte
        {"\xE2\x82", false},                                     // truncated at the end
        {"\xC3(", false},                                        // lead byte without continuation
        {"\xC0\xAF", false},                                     // overlong
        {"\xE0\x80\xAF", false},                                 // overlong, three bytes
        {"\xED\xA0\x80", false},                                 // a surrogate
        {"\xF4\x90\x80\x80", false},                             // above U+10FFFF
        {"\xFF", false},
    };
    for (const auto& [bytes, valid] : cases) EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(bytes);
}

TEST(MessagesByLogString, GroupsContinuationLinesUnderTheLastMarkedLine) {
    const std::string marker = " touchlane[42";
    struct Case {
        const char* name;
        std::string text;
        Messages expected;
    };
    const Case cases[] = {
        {"marked line and its continuation", "t touchlane[42:7] posted\nsecond line\n",
         {"t touchlane[42:7] posted\nsecond line\n"}},
        {"unmarked lines before any marker form the first message", "[t] a\n[t] b\nt touchlane[42:1] c\n",
         {"[t] a\n[t] b\n", "t touchlane[42:1] c\n"}},
        {"each marked line starts a message", "t touchlane[42:1] a\nt touchlane[42:1] b\n",
         {"t touchlane[42:1] a\n", "t touchlane[42:1] b\n"}},
        {"blank lines are kept", "\n\nx\n", {"\n\nx\n"}},
        {"text after the last newline is not a line", "a\nunfinished", {"a\n"}},
    };
    for (const auto& c : cases) EXPECT_EQ(messagesByLogString(c.text, marker), c.expected) << c.name;
}

TEST(LogMessageSplitter, CarriesAnUnfinishedLineOverToTheBurstThatEndsIt) {
    LogMessageSplitter splitter(" touchlane[42");
    EXPECT_EQ(splitter.take("first line\nsecond "), Messages{"first line\n"});
    EXPECT_EQ(splitter.take("half \xE2\x82"), Messages{});  // cut inside a character, too
    EXPECT_EQ(splitter.take("\xAC done\nthird"), Messages{"second half \xE2\x82\xAC done\n"});
    EXPECT_EQ(splitter.take("\n"), Messages{"third\n"});
    EXPECT_EQ(splitter.pending(), "");
}

TEST(LogMessageSplitter, LeavesOutOnlyTheLinesThatAreNotUtf8) {
    LogMessageSplitter splitter(" touchlane[42");
    EXPECT_EQ(splitter.take("good one\nbad \xFF line\ngood two\n"), Messages{"good one\ngood two\n"});
    EXPECT_EQ(splitter.take("t touchlane[42:1] next\n"), Messages{"t touchlane[42:1] next\n"});
}

TEST(LogMessageSplitter, AnEndlessLineIsDeliveredInBoundedPiecesWithNothingLost) {
    LogMessageSplitter splitter;
    // One byte short of the limit, then a three-byte character across it.
    std::string head(LogMessageSplitter::kMaxPendingBytes - 1, 'a');
    EXPECT_EQ(splitter.take(head + "\xE2\x82\xAC" + "tail"), Messages{head + "\n"});  // cut before the character
    EXPECT_EQ(splitter.take("\n"), Messages{"\xE2\x82\xAC" "tail\n"});
}

}  // namespace
}  // namespace touchlane
