#include <gtest/gtest.h>

#include <fnmatch.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <fmt/format.h>

#include "input/USBDeviceConfig.h"
#include "logging/LogHook.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

const fs::path kResources = fs::path(__FILE__).parent_path() / ".." / ".." / "resources";

// A udev pattern: alternatives separated by "|", each a shell glob.
bool udevMatches(const std::string& pattern, const std::string& value) {
    size_t start = 0;
    for (;;) {
        const size_t bar = pattern.find('|', start);
        const std::string alternative = pattern.substr(start, bar == std::string::npos ? bar : bar - start);
        if (::fnmatch(alternative.c_str(), value.c_str(), 0) == 0) return true;
        if (bar == std::string::npos) return false;
        start = bar + 1;
    }
}

struct Rule {
    std::vector<std::tuple<std::string, std::string, std::string>> keys;  // key, operator, value
};

std::vector<Rule> readRules() {
    std::ifstream file(kResources / "udev" / "70-touchlane.rules");
    const std::regex key(R"re(([A-Z_]+(?:\{[^}]*\})?)\s*(==|!=|\+=|=)\s*"([^"]*)")re");
    std::vector<Rule> rules;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        Rule rule;
        for (std::sregex_iterator it(line.begin(), line.end(), key), end; it != end; ++it) {
            rule.keys.emplace_back((*it)[1], (*it)[2], (*it)[3]);
        }
        rules.push_back(std::move(rule));
    }
    return rules;
}

// Whether the rules tag the hidraw node of a USB device with these identifiers
// for the logged-in user.
bool grantsHidraw(const std::vector<Rule>& rules, uint16_t vendor, uint16_t product) {
    const std::map<std::string, std::string> device = {{"SUBSYSTEM", "hidraw"},
                                                       {"ATTRS{idVendor}", fmt::format("{:04x}", vendor)},
                                                       {"ATTRS{idProduct}", fmt::format("{:04x}", product)}};
    for (const auto& rule : rules) {
        bool matches = true, grants = false;
        for (const auto& [name, op, value] : rule.keys) {
            if (op == "==" || op == "!=") {
                auto found = device.find(name);
                matches = matches && found != device.end() && udevMatches(value, found->second) == (op == "==");
            } else if (name == "TAG" && value == "uaccess") {
                grants = true;
            }
        }
        if (matches && grants) return true;
    }
    return false;
}

// The rules open exactly the supported products to the user, and no USB node
// (nothing opens one).
TEST(UdevRules, GrantTheHidrawNodesOfTheSupportedProductsOnly) {
    LogRecorder quiet;
    const USBDeviceConfig config(kResources.string());
    const auto rules = readRules();
    ASSERT_GE(rules.size(), 3u);
    const std::pair<uint16_t, uint16_t> devices[] = {
        {0x1FF7, 0x0000}, {0x1FF7, 0x0F01}, {0x1FF7, 0xFFFF}, {0x2FE9, 0x0000}, {0x2FE9, 0x0001},
        {0x2FE9, 0x7FFF}, {0x2FE9, 0x8000}, {0x2FE9, 0x9FFF}, {0x2FE9, 0xA000}, {0x2FE9, 0xAFFF},
        {0x2FE9, 0xB000}, {0x046D, 0xC31C},
    };
    for (const auto& [vendor, product] : devices) {
        EXPECT_EQ(grantsHidraw(rules, vendor, product), config.isValidDeviceWithVendorID(vendor, product))
            << fmt::format("{:04x}:{:04x}", vendor, product);
    }
    for (const auto& rule : rules) {
        for (const auto& [name, op, value] : rule.keys) EXPECT_FALSE(name == "SUBSYSTEM" && value == "usb");
    }
}

}  // namespace
}  // namespace touchlane
