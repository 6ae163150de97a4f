#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ChildProcess.h"
#include "TrayManagerProbe.h"
#include "XwdImage.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"

// The real agent on a real (virtual) desktop with a tray panel: what a person sees
// of the tray item and its menu, and that the menu's quit ends the program.

namespace touchlane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Generous: the machine may be slow and busy, and the agent may run under a sanitizer.
constexpr auto kPatience = 90s;

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    int centerX() const { return x + width / 2; }
};

// The grey of the not-connected image and the green of the connected one.
bool isStatusGrey(QRgb pixel) {
    return std::abs(qRed(pixel) - 0x8c) < 28 && std::abs(qGreen(pixel) - 0x8c) < 28 &&
           std::abs(qBlue(pixel) - 0x8c) < 28 && std::abs(qRed(pixel) - qGreen(pixel)) < 12;
}
bool isStatusGreen(QRgb pixel) { return qGreen(pixel) > qRed(pixel) + 50 && qGreen(pixel) > qBlue(pixel) + 40; }

int countPixels(const QImage& image, bool (*matches)(QRgb)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += matches(image.pixel(x, y));
    }
    return count;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> nonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// True when each title is read, in order, allowing a character or two misread.
// A row ends in its key ("... A") when the item has one.
bool readsAsTitles(const std::vector<std::string>& lines, const std::vector<std::string>& titles) {
    size_t next = 0;
    for (std::string line : lines) {
        if (line.size() > 2 && line[line.size() - 2] == ' ') line.resize(line.size() - 2);
        if (next < titles.size() && editDistance(line, titles[next]) <= 2) ++next;
    }
    return next == titles.size();
}

class TrayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const auto xvfb = findExecutable("Xvfb");
        if (!xvfb) GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb): the tray test needs a virtual display";
        for (const char* tool : {"trayer", "xdotool", "xwd"}) {
            if (!findExecutable(tool)) GTEST_SKIP() << tool << " is not installed: run scripts/setup";
        }
        agentPath = *Paths::executableDirectory() + "/touchlane";
        ASSERT_EQ(access(agentPath.c_str(), X_OK), 0) << agentPath;
        startDisplay(*xvfb);
    }

    void TearDown() override {
        agent.reset();
        trayer.reset();
        trayProbe.reset();
        xvfb.reset();
    }

    void startDisplay(const std::string& xvfbPath) {
        // Xvfb picks a free display number and writes it to the descriptor once it
        // accepts connections.
        int fds[2];
        ASSERT_EQ(pipe2(fds, 0), 0);
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        xvfb = std::make_unique<ChildProcess>(
            std::vector<std::string>{xvfbPath, "-displayfd", std::to_string(fds[1]), "-screen", "0", "800x600x24",
                                     "-nolisten", "tcp"},
            currentEnvironment(), scratch.path() + "/xvfb.log");
        close(fds[1]);
        std::string number;
        eventually(kPatience, [&] {
            pollfd readable{fds[0], POLLIN, 0};
            char c = 0;
            while (poll(&readable, 1, 0) > 0 && read(fds[0], &c, 1) == 1) {
                if (c == '\n') return true;
                number += c;
            }
            return !xvfb->running();
        });
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        display = ":" + number;
        trayProbe = TrayManagerProbe::open(display);
        ASSERT_NE(trayProbe, nullptr) << display;
    }

    Environment desktopEnvironment() const {
        Environment environment = currentEnvironment();
        environment["DISPLAY"] = display;
        for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"}) environment.erase(name);
        return environment;
    }

    void startTray() {
        trayer = std::make_unique<ChildProcess>(
            std::vector<std::string>{*findExecutable("trayer"), "--edge", "top", "--align", "left", "--widthtype",
                                     "request", "--height", "32", "--SetDockType", "true", "--transparent", "false",
                                     "--tint", "0xffffff"},
            desktopEnvironment(), scratch.path() + "/trayer.log");
        ASSERT_TRUE(eventually(kPatience, [&] { return trayProbe->trayRuns(); }))
            << "the tray panel did not start";
    }

    void startAgent() {
        const std::string home = scratch.path() + "/home";
        fs::create_directories(home + "/runtime");
        chmod((home + "/runtime").c_str(), 0700);
        // A stand-in browser: nothing real may open during a test.
        const std::string bin = scratch.path() + "/bin";
        fs::create_directories(bin);
        std::ofstream(bin + "/xdg-open") << "#!/bin/sh\necho \"$@\" >> '" << scratch.path() << "/opened'\n";
        chmod((bin + "/xdg-open").c_str(), 0755);

        Environment environment = desktopEnvironment();
        environment["HOME"] = home;
        environment["XDG_CONFIG_HOME"] = home + "/.config";
        environment["XDG_STATE_HOME"] = home + "/.local/state";
        environment["XDG_RUNTIME_DIR"] = home + "/runtime";
        environment["PATH"] = bin + ":" + environment["PATH"];
        // The X keyboard library copies names that have no terminating zero with
        // strndup, which the sanitizer's strict string check takes for an overflow.
        if (environment.contains("ASAN_OPTIONS")) environment["ASAN_OPTIONS"] += ":strict_string_checks=0";
        // Qt and the font library keep some memory to the end on purpose.
        const fs::path suppressions = fs::path(Paths::resourcesDirectory()) / ".." / "tests/sanitizers/lsan.supp";
        if (!environment.contains("LSAN_OPTIONS") && fs::exists(suppressions)) {
            environment["LSAN_OPTIONS"] = "suppressions=" + fs::canonical(suppressions).string();
        }
        stateHome = environment["XDG_STATE_HOME"];
        agent = std::make_unique<ChildProcess>(std::vector<std::string>{agentPath}, environment, agentOutput());
        ASSERT_TRUE(agent->started());
    }

    std::string agentOutput() const { return scratch.path() + "/agent.log"; }

    std::vector<Geometry> agentWindows() const {
        std::vector<Geometry> windows;
        const auto ids = runCommand({*findExecutable("xdotool"), "search", "--onlyvisible", "--classname", "^touchlane$"},
                                    desktopEnvironment());
        for (const auto& id : nonEmptyLines(ids.output)) {
            const auto shell =
                runCommand({*findExecutable("xdotool"), "getwindowgeometry", "--shell", id}, desktopEnvironment());
            Geometry geometry;
            for (const auto& line : nonEmptyLines(shell.output)) {
                const auto equals = line.find('=');
                if (equals == std::string::npos) continue;
                const std::string key = line.substr(0, equals);
                const int value = std::atoi(line.c_str() + equals + 1);
                if (key == "X") geometry.x = value;
                if (key == "Y") geometry.y = value;
                if (key == "WIDTH") geometry.width = value;
                if (key == "HEIGHT") geometry.height = value;
            }
            if (geometry.width > 0 && geometry.height > 0) windows.push_back(geometry);
        }
        return windows;
    }
    // The tray icon is the agent's small window; its menu is the large one.
    std::optional<Geometry> agentWindow(bool large) const {
        for (const auto& window : agentWindows()) {
            if ((window.width > 64) == large && window.width > 4) return window;
        }
        return std::nullopt;
    }

    QImage screenshot() const {
        return decodeXwd(runCommand({*findExecutable("xwd"), "-root", "-silent", "-display", display},
                                    desktopEnvironment())
                             .output);
    }
    static QImage crop(const QImage& image, const Geometry& area) {
        return image.copy(area.x, area.y, area.width, area.height);
    }
    void keep(const QImage& image, const std::string& name) const {
        // Left in the build folder for a person to look at.
        fs::create_directories("tray-screenshots");
        image.save(QString::fromStdString("tray-screenshots/" + name + ".png"));
    }

    void click(int x, int y, int button) const {
        const auto xdotool = *findExecutable("xdotool");
        runCommand({xdotool, "mousemove", "--sync", std::to_string(x), std::to_string(y)}, desktopEnvironment());
        runCommand({xdotool, "click", std::to_string(button)}, desktopEnvironment());
    }

    // Text read off the image by OCR, or none when no OCR program is installed.
    std::optional<std::vector<std::string>> readText(const QImage& image) const {
        const auto tesseract = findExecutable("tesseract");
        if (!tesseract) return std::nullopt;
        std::vector<std::string> lines;
        // Enlarged, then black on white; grey (disabled) text needs a light
        // threshold, and one variant or another reads best.
        for (int scale : {3, 4}) {
            for (int threshold : {240, 230, 200}) {
                QImage prepared = image.convertToFormat(QImage::Format_Grayscale8)
                                      .scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                for (int y = 0; y < prepared.height(); ++y) {
                    uchar* row = prepared.scanLine(y);
                    for (int x = 0; x < prepared.width(); ++x) row[x] = row[x] < threshold ? 0 : 255;
                }
                const std::string path = scratch.path() + "/ocr.png";
                prepared.save(QString::fromStdString(path));
                lines = nonEmptyLines(
                    runCommand({*tesseract, path, "stdout", "--psm", "6"}, desktopEnvironment()).output);
                if (readsAsTitles(lines, expectedTitles())) return lines;
            }
        }
        return lines;
    }
    static std::vector<std::string> expectedTitles() {
        // The first start turned launch at login on, so the item offers to turn it off.
        return {"Disable automatic startup", "Version: V" + BundleVersion(), "Exit the app"};
    }
    static std::string BundleVersion();

    std::string dumpOutputs() const {
        std::ostringstream text;
        for (const char* name : {"agent.log", "trayer.log", "xvfb.log"}) {
            text << "---- " << name << "\n" << std::ifstream(scratch.path() + "/" + name).rdbuf() << "\n";
        }
        return text.str();
    }

    ScratchFolder scratch;
    std::string agentPath;
    std::string display;
    std::string stateHome;
    std::unique_ptr<TrayManagerProbe> trayProbe;
    std::unique_ptr<ChildProcess> xvfb, trayer, agent;
};

}  // namespace
}  // namespace touchlane::test

#include "platform/BundleInfo.h"

namespace touchlane::test {
namespace {

std::string TrayEndToEnd::BundleVersion() { return BundleInfo::shortVersion() + "." + BundleInfo::buildNumber(); }

TEST_F(TrayEndToEnd, TheItemShowsNotConnectedItsMenuOffersThreeItemsAndExitEndsTheAgent) {
    startTray();
    startAgent();

    // The item appears in the tray with the not-connected image.
    std::optional<Geometry> icon;
    QImage shown;
    const bool iconDrawn = eventually(kPatience, [&] {
        icon = agentWindow(false);
        if (!icon) return false;
        shown = crop(screenshot(), *icon);
        return countPixels(shown, isStatusGrey) >= 8;
    });
    ASSERT_TRUE(iconDrawn) << "no tray item with the not-connected image\n" << dumpOutputs();
    keep(screenshot(), "tray-item");
    EXPECT_EQ(countPixels(shown, isStatusGreen), 0) << "the item shows the connected image";

    // A right click opens the menu with its three items.
    click(icon->centerX(), icon->y + icon->height / 2, 3);
    std::optional<Geometry> menu;
    ASSERT_TRUE(eventually(kPatience, [&] { return (menu = agentWindow(true)).has_value(); }))
        << "the menu did not open\n" << dumpOutputs();
    std::optional<std::vector<std::string>> read;
    QImage menuImage;
    eventually(kPatience, [&] {
        menuImage = crop(screenshot(), *menu);
        read = readText(menuImage);
        return !read || readsAsTitles(*read, expectedTitles());
    });
    keep(screenshot(), "tray-menu");
    if (read) {
        EXPECT_TRUE(readsAsTitles(*read, expectedTitles())) << "the menu reads:\n" << ::testing::PrintToString(*read);
    } else {
        std::cout << "tesseract is not installed: the menu's titles were not read off the screen\n";
    }

    // Choosing "Exit the app", the third of three equal rows, ends the agent cleanly.
    click(menu->centerX(), menu->y + menu->height * 5 / 6, 1);
    const auto status = agent->waitForExit(kPatience);
    ASSERT_TRUE(status.has_value()) << "the agent still runs\n" << dumpOutputs();
    EXPECT_EQ(*status, 0) << dumpOutputs();

    std::string logs;
    for (const auto& entry : fs::directory_iterator(stateHome + "/touchlane/logs")) {
        std::ostringstream text;
        text << std::ifstream(entry.path()).rdbuf();
        logs += text.str();
    }
    EXPECT_NE(logs.find("] MenuBarItem QuitApp\n"), std::string::npos) << logs;
    EXPECT_NE(logs.find("] CheckHIDAccess type: "), std::string::npos) << logs;
}

}  // namespace
}  // namespace touchlane::test
