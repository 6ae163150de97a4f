#include <gtest/gtest.h>

#include "app/AutostartEntry.h"

namespace touchlane {
namespace {

TEST(AutostartEntry, ExecValueQuotesAndEscapesWhatTheExecSyntaxReserves) {
    struct Case {
        std::string path;
        std::optional<std::string> exec;
    };
    const Case cases[] = {
        {"/usr/bin/touchlane", "/usr/bin/touchlane"},
        {"/home/a b/touchlane", "\"/home/a b/touchlane\""},
        // A field code would be expanded by the session.
        {"/opt/100%/touchlane", "/opt/100%%/touchlane"},
        // Inside quotes $ and " take a backslash, which the value syntax doubles.
        {"/x/$a\"b/touchlane", "\"/x/\\\\$a\\\\\"b/touchlane\""},
        {"/x/back\\slash", "\"/x/back\\\\\\\\slash\""},
        {"/x/it's", "\"/x/it's\""},
        {"/x/line\nbreak", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AutostartEntry::execValue(c.path), c.exec) << c.path;
}

TEST(AutostartEntry, FileStartsTheExecutableAsAnApplication) {
    const auto text = AutostartEntry::fileText("/home/a b/touchlane");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text->find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text->find("\nExec=\"/home/a b/touchlane\"\n"), std::string::npos);
    EXPECT_TRUE(AutostartEntry::isEnabled(*text));
    EXPECT_FALSE(AutostartEntry::fileText("/a\nb"));
}

TEST(AutostartEntry, HiddenOrSwitchedOffEntriesAreNotEnabled) {
    struct Case {
        const char* text;
        bool enabled;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nExec=touchlane\n", true},
        {"[Desktop Entry]\nHidden=true\n", false},
        {"[Desktop Entry]\nHidden = true\r\n", false},
        {"[Desktop Entry]\nHidden=false\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
        {"# Hidden=true\n[Desktop Entry]\nExec=touchlane\n", true},
        // Only the main group speaks for the entry.
        {"[Desktop Entry]\nExec=touchlane\n[Desktop Action quit]\nHidden=true\n", true},
        {"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(AutostartEntry::isEnabled(c.text), c.enabled) << c.text;
}

}  // namespace
}  // namespace touchlane
