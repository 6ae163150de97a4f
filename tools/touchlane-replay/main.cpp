// touchlane-replay: plays a recorded or hand-written trace of touch-frame reports,
// or an evemu recording of a Linux touchscreen, through the whole pipeline in
// virtual time and prints the events it posts.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <iostream>
#include <string>

#include "platform/BundleInfo.h"
#include "desktop/DesktopOutput.h"
#include "replay/ReplayRouter.h"
#include "replay/ReplaySession.h"

namespace {

constexpr const char* kUsage =
    "Usage: touchlane-replay [--log FILE] [--debug] [--output x11|uinput]\n"
    "                        [--rotate 0|90|180|270] [--mirror-x] [--mirror-y] [--display NAME] TRACE\n"
    "Plays TRACE (a file, or - for standard input) through the report parser,\n"
    "the touch router, the gesture recognizers and the event simulators in\n"
    "virtual time, and prints every posted event as one JSON line. TRACE may\n"
    "also be an evemu recording of a multi-touch screen (its device description\n"
    "first, then its events): its axes are scaled onto the touch frame.\n"
    "\n"
    "  --log FILE        write every log line of the pipeline, in order, to FILE\n"
    "  --debug           also log the live gesture classification\n"
    "  --output x11      play the trace on this X11 desktop, in real time\n"
    "  --output uinput   play it through a virtual uinput pointer and keyboard\n"
    "  --rotate DEGREES  the frame is turned clockwise on its display by 0, 90, 180 or 270\n"
    "  --mirror-x        the frame's left and right are swapped on the screen\n"
    "  --mirror-y        the frame's top and bottom are swapped on the screen\n"
    "  --display NAME    the frame is on monitor NAME (of the trace's 'monitor' lines, or\n"
    "                    of the desktop with --output) until a 'choose' line says otherwise\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written,\n"
    "2 on a usage error or a malformed trace or recording line.\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "touchlane-replay: %s\nTry 'touchlane-replay --help' for more information.\n",
                 message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string tracePath;
    std::string logPath;
    bool debug = false;
    bool sawTrace = false;
    std::string output;
    touchlane::DisplayOrientation orientation;
    std::string chosenDisplay;
    // The value of an option given as "--name VALUE" or "--name=VALUE"; none
    // (after a usage message) when it is missing.
    auto optionValue = [&](const std::string& arg, const std::string& name, int& i) -> std::optional<std::string> {
        if (arg.size() > name.size()) return arg.substr(name.size() + 1);
        if (i + 1 >= argc) return std::nullopt;
        return std::string(argv[++i]);
    };
    auto isOption = [](const std::string& arg, const std::string& name) {
        return arg == name || arg.rfind(name + "=", 0) == 0;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("touchlane-replay %s (build %s)\n", touchlane::BundleInfo::shortVersion().c_str(),
                        touchlane::BundleInfo::buildNumber().c_str());
            return 0;
        }
        if (arg == "--debug") {
            debug = true;
        } else if (arg == "--mirror-x") {
            orientation.mirrorX = true;
        } else if (arg == "--mirror-y") {
            orientation.mirrorY = true;
        } else if (isOption(arg, "--rotate")) {
            auto degrees = optionValue(arg, "--rotate", i);
            std::optional<touchlane::DisplayRotation> rotation;
            if (degrees == "0" || degrees == "90" || degrees == "180" || degrees == "270") {
                rotation = touchlane::rotationFromDegrees(std::stol(*degrees));
            }
            if (!rotation) return usageError("option '--rotate' takes 0, 90, 180 or 270");
            orientation.rotation = *rotation;
        } else if (isOption(arg, "--display")) {
            auto name = optionValue(arg, "--display", i);
            if (!name || name->empty()) return usageError("option '--display' needs a monitor name");
            chosenDisplay = *name;
        } else if (arg == "--log" || arg.rfind("--log=", 0) == 0) {
            if (arg == "--log") {
                if (i + 1 >= argc) return usageError("option '--log' needs a file name");
                logPath = argv[++i];
            } else {
                logPath = arg.substr(6);
            }
            if (logPath.empty()) return usageError("option '--log' needs a file name");
        } else if (arg == "--output" || arg.rfind("--output=", 0) == 0) {
            if (arg == "--output") {
                if (i + 1 >= argc) return usageError("option '--output' needs x11 or uinput");
                output = argv[++i];
            } else {
                output = arg.substr(9);
            }
            if (output != "x11" && output != "uinput") return usageError("option '--output' takes x11 or uinput");
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usageError("unknown option '" + arg + "'");
        } else {
            if (sawTrace) return usageError("only one trace can be replayed at a time");
            tracePath = arg;
            sawTrace = true;
        }
    }
    if (!sawTrace) return usageError("no trace given");

    std::ifstream traceFile;
    std::istream* trace = &std::cin;
    if (tracePath != "-") {
        traceFile.open(tracePath);
        if (!traceFile) {
            std::fprintf(stderr, "touchlane-replay: cannot read '%s': %s\n", tracePath.c_str(), std::strerror(errno));
            return 1;
        }
        trace = &traceFile;
    }
    std::ofstream logFile;
    if (!logPath.empty()) {
        logFile.open(logPath, std::ios::trunc);
        if (!logFile) {
            std::fprintf(stderr, "touchlane-replay: cannot write '%s': %s\n", logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }

    // A real desktop: the events move the pointer and press keys, at the pace of
    // the trace.
    std::unique_ptr<touchlane::WindowSystem> desktop;
    if (!output.empty()) {
        auto openers = touchlane::DesktopOutputOpeners::system();
        auto attempt = output == "x11" ? openers.x11() : openers.uinput();
        if (!attempt.windowSystem) {
            std::fprintf(stderr, "touchlane-replay: cannot open the %s output: %s\n", output.c_str(),
                         attempt.note.c_str());
            return 1;
        }
        desktop = std::move(attempt.windowSystem);
    }

    std::ios::sync_with_stdio(false);
    touchlane::ReplayOptions options;
    options.events = &std::cout;
    options.log = logPath.empty() ? nullptr : &logFile;
    options.debug = debug;
    options.makeSink = touchlane::makeReplayRouter;
    options.desktop = desktop.get();
    options.realTime = desktop != nullptr;
    options.orientation = orientation;
    options.chosenDisplay = chosenDisplay;
    auto outcome = touchlane::replayTrace(*trace, options);
    std::cout.flush();
    if (!outcome.ok) {
        std::fprintf(stderr, "touchlane-replay: %s: %s\n", tracePath == "-" ? "standard input" : tracePath.c_str(),
                     outcome.error.c_str());
        return 2;
    }
    if (!std::cout || (logFile.is_open() && !logFile)) {
        std::fprintf(stderr, "touchlane-replay: writing the output failed\n");
        return 1;
    }
    return 0;
}
