#include <gtest/gtest.h>

#include <signal.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/BundleInfo.h"
#include "platform/Paths.h"
#include "support/SettingsSandbox.h"
#include "support/WaitUntil.h"

// The real agent on a virtual desktop with a tray panel: what a person sees of its
// tray item and menu, and that the menu's "Exit the app" ends it cleanly.

namespace touchlane {
namespace {

namespace fs = std::filesystem;
using namespace std::literals;

// Generous: the machine may be slow and busy, and the agent may run under a sanitizer.
bool eventually(const std::function<bool()>& condition) { return test::waitUntil(condition, 90s); }

// Runs a shell command line and returns what it wrote to standard output.
std::string shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
        pclose(pipe);
    }
    return output;
}

std::string readFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Gone, or a zombie that nobody reaps (its starting shell has ended).
bool processEnded(int pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto state = stat.rfind(") ");
    return state == std::string::npos || stat[state + 2] == 'Z';
}

struct Window { int x = 0, y = 0, width = 0, height = 0; };

// The grey of the not-connected image and the green of the connected one.
int countPixels(const QImage& image, bool green) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(image.pixel(x, y)), g = qGreen(image.pixel(x, y)), b = qBlue(image.pixel(x, y));
            const bool grey = std::abs(r - 0x8c) < 28 && std::abs(g - r) < 12 && std::abs(b - r) < 12;
            count += green ? g > r + 50 && g > b + 40 : grey;
        }
    }
    return count;
}

// True when the lines read each title in order, a character or two misread; a
// row ends in its key (" A") when the item has one.
bool readsAsTitles(const std::vector<std::string>& lines, const std::vector<std::string>& titles) {
    auto distance = [](const std::string& a, const std::string& b) {
        std::vector<size_t> row(b.size() + 1);
        for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
        for (size_t i = 1; i <= a.size(); ++i) {
            size_t diagonal = row[0]++;
            for (size_t j = 1; j <= b.size(); ++j) {
                const size_t above = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
                diagonal = above;
            }
        }
        return row[b.size()];
    };
    // A checked item's mark may be read as a character or three before its title.
    auto readsAs = [&](const std::string& line, const std::string& title) {
        for (size_t skip = 0; skip <= std::min<size_t>(4, line.size()); ++skip) {
            if (distance(line.substr(skip), title) <= 2) return true;
        }
        return false;
    };
    size_t next = 0;
    for (std::string line : lines) {
        if (line.size() > 2 && line[line.size() - 2] == ' ') line.resize(line.size() - 2);
        if (next < titles.size() && readsAs(line, titles[next])) ++next;
    }
    return next == titles.size();
}

class TrayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "trayer", "xdotool", "xwd", "/usr/bin/convert", "tesseract"}) {
            if (shell("command -v "s + tool).empty()) GTEST_SKIP() << tool << " is not installed: run scripts/setup";
        }
        // Xvfb picks a free display and names it once it accepts connections.
        startInBackground("Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp -noreset >display 2>xvfb.log", "xvfb");
        ASSERT_TRUE(eventually([&] { return readFile(dir / "display").ends_with("\n"); })) << "Xvfb did not start";
        display = ":" + readFile(dir / "display").substr(0, readFile(dir / "display").size() - 1);
        ASSERT_TRUE(eventually([&] { return !x("xdotool getdisplaygeometry").empty(); })) << "no display " << display;
    }
    void TearDown() override {
        for (const char* name : {"agent", "trayer", "xvfb"}) {
            if (const int pid = std::atoi(readFile(dir / (std::string(name) + ".pid")).c_str()); pid > 0) kill(pid, SIGTERM);
        }
    }

    void startInBackground(const std::string& command, const std::string& name) {
        shell("cd '" + dir.string() + "'; { " + command + " & echo $! >" + name + ".pid; }");
    }
    std::string x(const std::string& command) const { return shell("export DISPLAY=" + display + "; " + command); }

    void startTrayAndAgent() {
        // A panel that could not start is started again, a few times.
        bool panel = false;
        for (int attempt = 0; attempt < 3 && !panel; ++attempt) {
            startInBackground("DISPLAY=" + display + " trayer --edge top --align left --widthtype request --height 32 " +
                                  "--SetDockType true --transparent false --tint 0xffffff >>trayer.log 2>&1",
                              "trayer");
            const int pid = std::atoi(readFile(dir / "trayer.pid").c_str());
            eventually([&] {
                panel = !x("xdotool search --classname '^panel$'").empty();
                return panel || processEnded(pid);
            });
        }
        ASSERT_TRUE(panel) << "no tray panel\n" << outputs();
        // Its own home, and a stand-in browser: nothing real may open in a test.
        fs::create_directories(dir / "home/runtime");
        fs::permissions(dir / "home/runtime", fs::perms::owner_all);
        fs::create_directories(dir / "bin");
        std::ofstream(dir / "bin/xdg-open") << "#!/bin/sh\necho \"$@\" >>'" << (dir / "opened").string() << "'\n";
        fs::permissions(dir / "bin/xdg-open", fs::perms::owner_all);
        const std::string home = (dir / "home").string();
        // The X keyboard library copies names without a terminating zero with strndup,
        // which the sanitizer's strict string check takes for an overflow; Qt and the
        // font library keep some memory to the end on purpose.
        const fs::path suppressions = fs::path(Paths::resourcesDirectory()) / "../tests/sanitizers/lsan.supp";
        const std::string sanitizers = "ASAN_OPTIONS=\"$ASAN_OPTIONS:strict_string_checks=0\" LSAN_OPTIONS=\"${LSAN_OPTIONS:-suppressions=" +
                                       suppressions.string() + "}\"";
        // The agent's exit status is kept by the shell that waits for it.
        shell("cd '" + dir.string() + "'; { env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=" + display +
              " HOME=" + home + " XDG_CONFIG_HOME=" + home + "/.config XDG_STATE_HOME=" + home +
              "/.local/state XDG_RUNTIME_DIR=" + home + "/runtime PATH=" + (dir / "bin").string() + ":$PATH " +
              sanitizers + " '" + *Paths::executableDirectory() + "/touchlane' >agent.log 2>&1 & " +
              "echo $! >agent.pid; wait $!; echo $? >agent.status; } >/dev/null 2>&1 &");
    }

    // The agent's visible windows, left to right: its tray icon (narrow) and its
    // open menus (wide; a submenu opens beside its menu).
    std::vector<Window> agentWindows(bool menus) const {
        std::vector<Window> found;
        std::istringstream lines(x("xdotool search --onlyvisible --classname '^touchlane$' | while read w; do "
                                   "xdotool getwindowgeometry --shell $w | tr '\\n' ' '; echo; done"));
        for (std::string line; std::getline(lines, line);) {
            Window w;
            if (std::sscanf(line.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &w.x, &w.y, &w.width, &w.height) == 4 &&
                (w.width > 64) == menus && w.width > 4) {
                found.push_back(w);
            }
        }
        std::sort(found.begin(), found.end(), [](const Window& a, const Window& b) { return a.x < b.x; });
        return found;
    }
    std::optional<Window> agentWindow(bool menu) const {
        const auto found = agentWindows(menu);
        return found.empty() ? std::nullopt : std::optional(found.front());
    }
    void expectReads(const Window& window, const std::vector<std::string>& titles) const {
        std::vector<std::string> read;
        EXPECT_TRUE(eventually([&] { return readsAsTitles(read = readText(screenshot(window), titles), titles); }))
            << "it reads: " << ::testing::PrintToString(read);
    }
    // Opens the submenu in `row` of the menu and reads it as `titles`.
    void expectSubmenu(const Window& menu, int row, int rows, const std::vector<std::string>& titles) {
        click(menu, row, rows, 1);
        std::optional<Window> submenu;
        ASSERT_TRUE(eventually([&] {
            auto menus = agentWindows(true);
            if (menus.size() == 2) submenu = menus[1];
            return submenu.has_value();
        })) << "no submenu in row " << row << "\n" << outputs();
        expectReads(*submenu, titles);
    }
    QImage screenshot(const Window& area) const {
        const std::string png = x("xwd -root -silent | /usr/bin/convert xwd:- png:-");
        const QImage screen = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()));
        screen.save("tray-screenshot.png");  // left in the build folder for a person to look at
        return screen.copy(area.x, area.y, area.width, area.height);
    }
    void click(const Window& window, int row, int rows, int button) const {
        x("xdotool mousemove --sync " + std::to_string(window.x + window.width / 2) + " " +
          std::to_string(window.y + window.height * (2 * row + 1) / (2 * rows)) + " click " + std::to_string(button));
    }
    // The menu's text as OCR reads it: enlarged, then black on white (the grey
    // of a disabled item needs a light threshold); one variant or another reads best.
    std::vector<std::string> readText(const QImage& image, const std::vector<std::string>& expected) const {
        std::vector<std::string> lines;
        for (auto [scale, threshold] : {std::pair{3, 240}, {3, 230}, {3, 200}, {4, 240}, {4, 230}, {4, 200}}) {
            QImage prepared = image.convertToFormat(QImage::Format_Grayscale8)
                                  .scaled(image.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            uchar* bits = prepared.bits();  // the padding at the end of a row is thresholded too: harmless
            for (qsizetype i = 0; i < prepared.sizeInBytes(); ++i) bits[i] = bits[i] < threshold ? 0 : 255;
            prepared.save(QString::fromStdString((dir / "ocr.png").string()));
            lines.clear();
            std::istringstream text(shell("tesseract '" + (dir / "ocr.png").string() + "' stdout --psm 6 2>/dev/null"));
            for (std::string line; std::getline(text, line);) {
                if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
            }
            if (readsAsTitles(lines, expected)) return lines;
        }
        return lines;
    }
    std::string outputs() const { return "agent:\n" + readFile(dir / "agent.log") + "trayer:\n" + readFile(dir / "trayer.log"); }

    ScratchFolder scratch;
    fs::path dir = scratch.path();
    std::string display;
};

TEST_F(TrayEndToEnd, TheItemShowsNotConnectedItsMenuOffersItsItemsAndExitEndsTheAgent) {
    ASSERT_NO_FATAL_FAILURE(startTrayAndAgent());

    std::optional<Window> icon;
    QImage shown;
    ASSERT_TRUE(eventually([&] {
        icon = agentWindow(false);
        return icon && countPixels(shown = screenshot(*icon), false) >= 8;
    })) << "no tray item with the not-connected image\n" << outputs();
    EXPECT_EQ(countPixels(shown, true), 0) << "the item shows the connected image";

    click(*icon, 0, 1, 3);
    std::optional<Window> menu;
    ASSERT_TRUE(eventually([&] { return (menu = agentWindow(true)).has_value(); })) << "no menu\n" << outputs();
    // The first start turned launch at login on, so the item offers to turn it off.
    const std::vector<std::string> titles = {
        "Disable automatic startup", "Touch display", "Orientation",
        "Version: V" + BundleInfo::shortVersion() + "." + BundleInfo::buildNumber(), "Exit the app"};
    expectReads(*menu, titles);

    // The test server's one monitor, checked; then the orientations, and a quarter turn chosen.
    expectSubmenu(*menu, 1, 5, {"screen: 800 x 600"});
    expectSubmenu(*menu, 2, 5,
                  {"Rotate 0 degrees", "Rotate 90 degrees", "Rotate 180 degrees", "Rotate 270 degrees",
                   "Mirror left and right", "Mirror top and bottom"});
    if (auto menus = agentWindows(true); menus.size() == 2) click(menus[1], 1, 6, 1);
    const fs::path settingsFile = dir / "home/.config/Touchlane/org.touchlane.Touchlane.plist";
    EXPECT_TRUE(eventually([&] {
        const std::string stored = readFile(settingsFile);
        return stored.find("<key>touchDisplayRotation</key>") != std::string::npos &&
               stored.find("<integer>90</integer>") != std::string::npos;
    })) << "the quarter turn is not stored:\n" << readFile(settingsFile);

    click(*icon, 0, 1, 3);
    ASSERT_TRUE(eventually([&] { return (menu = agentWindow(true)).has_value(); })) << "no menu\n" << outputs();
    click(*menu, 4, 5, 1);  // "Exit the app"
    ASSERT_TRUE(eventually([&] { return fs::exists(dir / "agent.status"); })) << "the agent runs on\n" << outputs();
    EXPECT_EQ(readFile(dir / "agent.status"), "0\n") << outputs();
}

}  // namespace
}  // namespace touchlane
