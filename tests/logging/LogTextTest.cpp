#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logging/LogMessageSplitter.h"

namespace touchlane {
namespace {

using Messages = std::vector<std::string>;

TEST(MessagesByLogString, GroupsContinuationLinesUnderTheLastMarkedLine) {
    const std::string marker = " touchlane[42";
    const std::pair<std::string, Messages> cases[] = {
        {"t touchlane[42:7] posted\nsecond line\n", {"t touchlane[42:7] posted\nsecond line\n"}},
        {"[t] a\n[t] b\nt touchlane[42:1] c\n", {"[t] a\n[t] b\n", "t touchlane[42:1] c\n"}},  // unmarked first
        {"t touchlane[42:1] a\nt touchlane[42:1] b\n", {"t touchlane[42:1] a\n", "t touchlane[42:1] b\n"}},
        {"\n\nx\n", {"\n\nx\n"}},
        {"a\nunfinished", {"a\n"}},  // text after the last newline is not a line
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(messagesByLogString(text, marker), expected) << text;
}

TEST(LogMessageSplitter, CarriesAnUnfinishedLineOverAndLeavesOutOnlyLinesThatAreNotUtf8) {
    LogMessageSplitter splitter(" touchlane[42");
    EXPECT_EQ(splitter.take("first line\nsecond "), Messages{"first line\n"});
    EXPECT_EQ(splitter.take("half \xE2\x82"), Messages{});  // cut inside a character, too
    EXPECT_EQ(splitter.take("\xAC done\nbad \xFF line\nstill fine\nthird"),
              Messages{"second half \xE2\x82\xAC done\nstill fine\n"});
    EXPECT_EQ(splitter.take("\nt touchlane[42:1] next\n"), (Messages{"third\n", "t touchlane[42:1] next\n"}));
    EXPECT_EQ(splitter.pending(), "");
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
