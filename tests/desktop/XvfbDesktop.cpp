#include "desktop/XvfbDesktop.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

namespace touchlane {

XvfbDesktop::XvfbDesktop(const std::vector<std::string>& screens) {
    // The shell says its process id and becomes the server, which picks a free
    // display and writes its number once it accepts clients.
    std::string command = "command -v Xvfb >/dev/null || exit; echo $$; exec Xvfb -displayfd 1 -nolisten tcp -noreset";
    for (const auto& screen : screens) command += " " + screen;
    server_ = popen((command + " 2>/dev/null").c_str(), "re");
    // Unbuffered, so that poll() sees every byte fgets() has not taken yet.
    if (server_) setvbuf(server_, nullptr, _IONBF, 0);
    char line[32];
    if (!server_ || !fgets(line, sizeof line, server_)) {
        error_ = server_ ? kMissingMessage : "no shell to start Xvfb";
        return;
    }
    pid_ = std::atoi(line);
    // A server that hangs without saying its display number must not hold the test until CTest's timeout.
    pollfd number{fileno(server_), POLLIN, 0};
    if (poll(&number, 1, 20000) <= 0 || !fgets(line, sizeof line, server_)) {
        error_ = "Xvfb did not report a display number within 20 s";
        return;
    }
    display_ = ":" + std::string(line, std::strcspn(line, "\n"));
    Display* d = client_ = XOpenDisplay(display_.c_str());
    if (!d) {
        error_ = "the observing client cannot open " + display_;
        return;
    }
    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes{};
    // No window manager runs under the test server; the window simply covers the screen.
    attributes.override_redirect = True;
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | KeyReleaseMask;
    const Window window = XCreateWindow(d, RootWindow(d, screen), 0, 0, unsigned(DisplayWidth(d, screen)),
                                          unsigned(DisplayHeight(d, screen)), 0, CopyFromParent, InputOutput,
                                          CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
    XMapRaised(d, window);
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
    take();  // mapping without a window manager is done once the server answers
    output_ = X11WindowSystem::open(display_, error_);
}

XvfbDesktop::~XvfbDesktop() {
    output_.reset();
    if (client_) XCloseDisplay(client_);
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (server_) pclose(server_);
}

std::string XvfbDesktop::setMonitors(const std::vector<DisplayOutputInfo>& monitors) {
    int major = 0, minor = 0;
    if (!XRRQueryVersion(client_, &major, &minor) || major * 100 + minor < 105) return "the server has no XRandR monitors";
    const Window root = DefaultRootWindow(client_);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(client_, root);
    if (!resources || resources->noutput < 1) {
        if (resources) XRRFreeScreenResources(resources);
        return "the server lists no output";
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        const DisplayOutputInfo& wanted = monitors[i];
        XRRMonitorInfo* monitor = XRRAllocateMonitor(client_, i == 0 ? 1 : 0);
        monitor->name = XInternAtom(client_, wanted.name.c_str(), False);
        monitor->primary = wanted.primary;
        monitor->x = int(wanted.bounds.x);
        monitor->y = int(wanted.bounds.y);
        monitor->width = int(wanted.bounds.width);
        monitor->height = int(wanted.bounds.height);
        monitor->mwidth = monitor->width / 4;  // any plausible size in millimetres
        monitor->mheight = monitor->height / 4;
        if (i == 0) monitor->outputs[0] = resources->outputs[0];
        XRRSetMonitor(client_, root, monitor);
        XFree(monitor);
    }
    if (monitors.front().primary) XRRSetOutputPrimary(client_, root, resources->outputs[0]);
    XRRFreeScreenResources(resources);
    XSync(client_, False);
    output_.reset();
    std::string whyNot;
    output_ = X11WindowSystem::open(display_, whyNot);
    return whyNot;
}

std::vector<ObservedEvent> XvfbDesktop::take(bool buttonsOnly) {
    std::vector<ObservedEvent> events;
    XSync(client_, False);
    while (XPending(client_) > 0) {
        XEvent e;
        XNextEvent(client_, &e);
        using K = ObservedEvent::Kind;
        if (e.type == ButtonPress || e.type == ButtonRelease) {
            events.push_back({e.type == ButtonPress ? K::buttonPress : K::buttonRelease, e.xbutton.button,
                              e.xbutton.x_root, e.xbutton.y_root, e.xbutton.state, ""});
        } else if (e.type == MotionNotify && !buttonsOnly) {
            events.push_back({K::motion, 0, e.xmotion.x_root, e.xmotion.y_root, e.xmotion.state, ""});
        } else if ((e.type == KeyPress || e.type == KeyRelease) && !buttonsOnly) {
            const char* name = XKeysymToString(XLookupKeysym(&e.xkey, 0));
            events.push_back({e.type == KeyPress ? K::keyPress : K::keyRelease, 0, e.xkey.x_root, e.xkey.y_root,
                              e.xkey.state, (e.type == KeyPress ? "+" : "-") + std::string(name ? name : "?")});
        }
    }
    return events;
}

std::vector<std::string> XvfbDesktop::takeKeys() {
    std::vector<std::string> keys;
    for (const auto& e : take()) if (!e.key.empty()) keys.push_back(e.key);
    return keys;
}

std::vector<unsigned> XvfbDesktop::pressed(const std::vector<ObservedEvent>& events) {
    std::vector<unsigned> buttons;
    for (const auto& e : events) if (e.kind == ObservedEvent::Kind::buttonPress) buttons.push_back(e.button);
    return buttons;
}

void expectClick(const std::vector<ObservedEvent>& buttons, unsigned button, Point press,
                 std::optional<Point> release) {
    ASSERT_EQ(buttons.size(), 2u);
    const Point at[] = {press, release.value_or(press)};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(buttons[i].kind, i ? ObservedEvent::Kind::buttonRelease : ObservedEvent::Kind::buttonPress);
        EXPECT_EQ(buttons[i].button, button);
        EXPECT_NEAR(buttons[i].x, at[i].x, 1.0);
        EXPECT_NEAR(buttons[i].y, at[i].y, 1.0);
    }
}

}  // namespace touchlane
