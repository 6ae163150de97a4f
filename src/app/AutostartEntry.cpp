#include "app/AutostartEntry.h"

#include <sstream>
#include <string_view>

#include "platform/BundleInfo.h"

namespace touchlane {

namespace {

// Characters after which the Exec syntax needs the argument quoted.
constexpr std::string_view kReservedInExec = " \t\"'\\><~|&;$*?#()`";
// Inside a quoted argument these take a backslash.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// A value of a desktop-entry string key, where a backslash is written twice.
std::string desktopEntryString(std::string_view text) {
    std::string value;
    for (char c : text) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

}  // namespace

std::optional<std::string> AutostartEntry::execValue(const std::string& executablePath) {
    if (executablePath.find_first_of("\n\r") != std::string::npos) return std::nullopt;
    const bool needsQuotes = executablePath.find_first_of(kReservedInExec) != std::string::npos;
    std::string exec;
    if (needsQuotes) exec += '"';
    for (char c : executablePath) {
        if (needsQuotes && kEscapedInQuotes.find(c) != std::string_view::npos) exec += '\\';
        if (c == '%') exec += '%';  // a lone % would start a field code
        exec += c;
    }
    if (needsQuotes) exec += '"';
    return desktopEntryString(exec);
}

std::optional<std::string> AutostartEntry::fileText(const std::string& executablePath) {
    auto exec = execValue(executablePath);
    if (!exec) return std::nullopt;
    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << BundleInfo::name() << "\n"
         << "Comment=Lets a USB touch frame drive the desktop as a mouse and trackpad\n"
         << "Exec=" << *exec << "\n"
         // Once the program is removed, desktops skip the entry instead of failing
         // to start it at every login.
         << "TryExec=" << desktopEntryString(executablePath) << "\n"
         << "Terminal=false\n"
         << "X-GNOME-Autostart-enabled=true\n";
    return text.str();
}

bool AutostartEntry::isEnabled(const std::string& fileText) {
    std::istringstream lines(fileText);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        const std::string trimmed = trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (trimmed[0] == '[') {
            inMainGroup = trimmed == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = trimmed.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trim(std::string_view(trimmed).substr(0, equals));
        const std::string value = trim(std::string_view(trimmed).substr(equals + 1));
        if (key == "Hidden" && value == "true") return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
    }
    return true;
}

}  // namespace touchlane
