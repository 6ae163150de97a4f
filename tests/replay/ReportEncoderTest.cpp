#include <gtest/gtest.h>

#include "replay/ReportEncoder.h"

namespace touchlane {
namespace {

uint16_t read16(const Report& r, size_t offset) { return static_cast<uint16_t>(r[offset] | (r[offset + 1] << 8)); }

FrameDirective frameOf(FrameFormat format, int contacts) {
    FrameDirective frame;
    frame.format = format;
    // Listed in reverse to check that the encoder orders them by identifier.
    for (int i = contacts - 1; i >= 0; --i) {
        frame.contacts.push_back({static_cast<uint8_t>(i), 7, static_cast<uint16_t>(1000 + i),
                                  static_cast<uint16_t>(2000 + i), 100, 120, static_cast<uint16_t>(i)});
    }
    return frame;
}

TEST(ReportEncoder, SinglePacketFramesFillSlotsInIdentifierOrder) {
    auto reports = encodeFrame(frameOf(FrameFormat::standard, 2));
    ASSERT_EQ(reports.size(), 1u);
    const Report& r = reports[0];
    ASSERT_EQ(r.size(), 58u);
    EXPECT_EQ(r[57], 2);
    EXPECT_EQ(r[1], 7);    // state of slot 0
    EXPECT_EQ(r[2], 0);    // identifier of slot 0
    EXPECT_EQ(read16(r, 3), 1000);
    EXPECT_EQ(read16(r, 5), 2000);
    EXPECT_EQ(read16(r, 7), 100);
    EXPECT_EQ(read16(r, 9), 120);
    EXPECT_EQ(r[16], 1);   // identifier of slot 1
    EXPECT_EQ(read16(r, 15 + 10), 1);  // pressure of slot 1
    EXPECT_EQ(r[30], 0xFF);  // slot 2 empty
    EXPECT_EQ(r[44], 0xFF);  // slot 3 empty
}

TEST(ReportEncoder, LargeFramesBecomeAFirstPacketAndContinuations) {
    auto standard = encodeFrame(frameOf(FrameFormat::standard, 10));
    ASSERT_EQ(standard.size(), 3u);
    EXPECT_EQ(standard[0][57], 10);
    EXPECT_EQ(standard[1][57], 0);
    EXPECT_EQ(standard[2][57], 0);
    EXPECT_EQ(standard[2][2], 8);
    EXPECT_EQ(standard[2][16], 9);
    EXPECT_EQ(standard[2][30], 0xFF);

    auto g1 = encodeFrame(frameOf(FrameFormat::g1, 7));
    ASSERT_EQ(g1.size(), 2u);
    for (const auto& r : g1) {
        ASSERT_EQ(r.size(), 62u);
        EXPECT_EQ(r[0], 0x02);
    }
    EXPECT_EQ(g1[0][61], 7);
    EXPECT_EQ(g1[1][61], 0);
    EXPECT_EQ(g1[1][2], 6);     // identifier of the seventh contact
    EXPECT_EQ(read16(g1[1], 3), 1006);
    EXPECT_EQ(g1[1][12], 0xFF);  // second slot of the continuation is empty
}

TEST(ReportEncoder, PenStateReplacesBitZeroOfTheFlags) {
    Report r = encodePen({1, 300, 400, 0x10});
    ASSERT_EQ(r.size(), 14u);
    EXPECT_EQ(r[1], 0x11);
    EXPECT_EQ(read16(r, 2), 300);
    EXPECT_EQ(read16(r, 4), 400);
    EXPECT_EQ(encodePen({0, 0, 0, 0x13})[1], 0x12);
}

}  // namespace
}  // namespace touchlane
