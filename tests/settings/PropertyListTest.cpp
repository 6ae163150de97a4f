#include <gtest/gtest.h>

#include <plist/plist.h>

#include "settings/PropertyListCoding.h"
#include "settings/SupportedDatabaseType.h"

namespace touchlane {
namespace {

TEST(PropertyListValue, NumbersCompareAndReadByExactValueEverythingElseByKindAndContent) {
    const struct {
        PropertyListValue a, b;
        bool equal;
    } cases[] = {
        {int64_t{1}, true, true}, {3, 3.0, true}, {3, 3.5, false}, {"1", 1, false},
        {int64_t{9007199254740993}, 9007199254740992.0, false},  // no rounding through double
        {PropertyListArray{1, "x"}, PropertyListArray{true, "x"}, true},
        {PropertyListDictionary{{"k", 1}}, PropertyListDictionary{{"j", 1}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << describe(c.a) << " vs " << describe(c.b);
        EXPECT_EQ(c.b == c.a, c.equal) << describe(c.b) << " vs " << describe(c.a);
    }
    EXPECT_EQ(DatabaseValue<int>::fromValue(true), 1);
    EXPECT_EQ(DatabaseValue<int>::fromValue(2.5), std::nullopt);
    EXPECT_EQ(DatabaseValue<int>::fromValue(int64_t{1} << 40), std::nullopt);
}

TEST(PropertyListCoding, EveryKindSurvivesXmlAndBinaryKeepingItsKind) {
    const PropertyListDictionary everyKind{
        {"string", "a<&>\"é"}, {"integer", int64_t{-9000000000}}, {"real", 0.1}, {"boolean", false},
        {"date", PropertyListDate(std::chrono::sys_days{std::chrono::year{2024} / 2 / 29} + std::chrono::hours(13))},
        {"data", PropertyListData{0, 1, 255}},
        {"nested", PropertyListArray{1, PropertyListDictionary{{"x", true}}, PropertyListArray{}}},
    };
    std::string xml = encodeXmlPropertyList(everyKind);
    ASSERT_TRUE(xml.starts_with("<?xml"));
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    char* binary = nullptr;
    uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    for (const auto& bytes : {xml, std::string(binary, length)}) {
        DecodedPropertyList decoded = decodePropertyList(bytes);
        ASSERT_EQ(decoded.status, DecodedPropertyList::Status::ok);
        EXPECT_EQ(decoded.dictionary, everyKind);
        for (const auto& [key, value] : everyKind) EXPECT_EQ(decoded.dictionary.at(key).kind(), value.kind()) << key;
    }
    plist_to_bin_free(binary);
    plist_free(root);
}

}  // namespace
}  // namespace touchlane
