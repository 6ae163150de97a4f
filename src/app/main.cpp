#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/DisplayPlatform.h"
#include "app/MenuBarItem.h"
#include "app/QuitSignals.h"
#include "platform/SingleInstanceLock.h"
#include "app/TouchscreenList.h"
#include "logging/LogHook.h"
#include "logging/QRVLogCatcher.h"
#include "logging/StandardErrorLog.h"
#include "platform/BundleInfo.h"
#include "platform/NonBlockingOutput.h"
#include "platform/Paths.h"
#include "platform/ProcessInfo.h"

namespace {

using namespace touchlane;

// Answers --help and --version; an exit status when the command line ends the run.
std::optional<int> handleCommandLine(int argc, char** argv) {
    const CommandLine line = CommandLine::parse(argc, argv);
    switch (line.action) {
        case CommandLine::Action::run:
            return std::nullopt;
        case CommandLine::Action::printHelp:
            std::fputs(CommandLine::helpText(ProcessInfo::processName()).c_str(), stdout);
            return 0;
        case CommandLine::Action::printVersion:
            std::fputs(CommandLine::versionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::listDevices: {
            // The settings store announces its file; the list is all this run says.
            LogHookOverride quiet([](LogStyle, const std::string&, const std::string&) {});
            std::fputs(touchscreenListText(probeInputDevices(), TouchscreenSelection::current()).c_str(), stdout);
            return 0;
        }
        case CommandLine::Action::reject:
            std::fprintf(stderr, "%s: unknown argument '%s'\n%s", ProcessInfo::processName().c_str(),
                         line.rejected.c_str(), CommandLine::helpText(ProcessInfo::processName()).c_str());
            return 2;
    }
    return std::nullopt;
}

// Sets the Qt platform for the application about to be made, without passing the
// choice on to the programs the agent starts (a browser showing the help page).
class QtPlatformChoice {
public:
    explicit QtPlatformChoice(const DisplayPlatform::Choice& choice) {
        if (choice.qtPlatforms) setenv("QT_QPA_PLATFORM", choice.qtPlatforms->c_str(), 1);
        chosen_ = choice.qtPlatforms.has_value();
    }
    void forgetForChildren() {
        if (chosen_) unsetenv("QT_QPA_PLATFORM");
    }

private:
    bool chosen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Standard output may be a pipe nobody reads any more; the agent carries on.
    std::signal(SIGPIPE, SIG_IGN);
    // Answered before the capture: a mistyped option belongs on the terminal's
    // standard error, and such a run logs nothing.
    if (auto status = handleCommandLine(argc, argv)) return *status;
    // Settings and logs in a folder that another user could have prepared are worse
    // than no agent: said plainly on the terminal, and nothing is written.
    if (auto problem = Paths::whyNoSafePlace()) {
        std::fprintf(stderr, "%s: %s\n", ProcessInfo::processName().c_str(), problem->c_str());
        return 1;
    }
    // Before anything else can write to standard error, so that all of it reaches the log.
    QRVLogCatcher::startCapturingStandardError();

    SingleInstanceLock lock(SingleInstanceLock::defaultLockPath());
    if (lock.state() == SingleInstanceLock::State::heldElsewhere) {
        stderrLog("{} is already running for this user (lock {}); this start ends here", BundleInfo::name(),
                  lock.path());
        QRVLogCatcher::shared().waitUntilDrained(1000);
        return 0;
    }

    const DisplayPlatform::Choice display = DisplayPlatform::choose(DisplayPlatform::Environment::fromProcess());
    QtPlatformChoice platform(display);
    QApplication application(argc, argv);
    platform.forgetForChildren();
    QApplication::setApplicationName(QString::fromStdString(BundleInfo::name()));
    QApplication::setApplicationVersion(QString::fromStdString(BundleInfo::shortVersion()));
    // The agent has no window; closing a dialog of Qt's must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate::Options options;
    options.offscreenPlatform = display.offscreenOnly;
    auto delegate = AppDelegate::create(std::move(options));
    // A logout or kill ends the agent as its menu does.
    QuitSignals quitSignals([](int signalNumber) {
        stderrLog("Quitting on signal {}", strsignal(signalNumber));
        QCoreApplication::quit();
    });
    // Launching has finished once the event loop runs.
    QTimer::singleShot(0, &application, [&] {
        delegate->applicationDidFinishLaunching();
        if (lock.state() == SingleInstanceLock::State::unavailable) {
            stderrLog("Cannot lock {} ({}); a second agent would not be kept from starting", lock.path(),
                      lock.error());
        }
    });
    const int status = QApplication::exec();
    // Device threads end here, before main returns and static objects go.
    delegate->applicationWillTerminate();
    // The Qt objects must go while the application still exists.
    MenuBarItem::unload();
    delegate.reset();
    if (const uint64_t dropped = NonBlockingOutput::standardOutput().droppedBytes()) {
        stderrLog("{} bytes were not echoed to standard output, which was not being read", dropped);
    }
    stderrLog("{} ends", BundleInfo::name());
    // The capture's last lines reach the file before the process ends.
    QRVLogCatcher::shared().waitUntilDrained(2000);
    return status;
}
