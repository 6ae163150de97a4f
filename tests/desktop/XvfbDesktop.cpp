#include "desktop/XvfbDesktop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

namespace touchlane::testing {

XvfbDesktop::XvfbDesktop(const std::vector<std::string>& screens) {
    // The shell says its process id and becomes the server, which picks a free
    // display and writes its number once it accepts clients.
    std::string command = "command -v Xvfb >/dev/null || exit; echo $$; exec Xvfb -displayfd 1 -nolisten tcp -noreset";
    for (const auto& screen : screens) command += " " + screen;
    server_ = popen((command + " 2>/dev/null").c_str(), "re");
    char line[32];
    if (!server_ || !fgets(line, sizeof line, server_)) {
        missing_ = server_ != nullptr;
        error_ = missing_ ? kMissingMessage : "no shell to start Xvfb";
        return;
    }
    pid_ = std::atoi(line);
    if (!fgets(line, sizeof line, server_)) {
        error_ = "Xvfb did not report a display number";
        return;
    }
    display_ = ":" + std::string(line, std::strcspn(line, "\n"));
    openWindow();
    if (error_.empty()) output_ = X11WindowSystem::open(display_, error_);
}

XvfbDesktop::~XvfbDesktop() {
    output_.reset();
    if (client_) XCloseDisplay(client_);
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (server_) pclose(server_);
}

void XvfbDesktop::openWindow() {
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
}

std::vector<ObservedEvent> XvfbDesktop::take() {
    std::vector<ObservedEvent> events;
    Display* d = client_;
    XSync(d, False);
    while (XPending(d) > 0) {
        XEvent e;
        XNextEvent(d, &e);
        using K = ObservedEvent::Kind;
        if (e.type == ButtonPress || e.type == ButtonRelease) {
            events.push_back({e.type == ButtonPress ? K::buttonPress : K::buttonRelease, e.xbutton.button,
                              e.xbutton.x_root, e.xbutton.y_root, e.xbutton.state, ""});
        } else if (e.type == MotionNotify) {
            events.push_back({K::motion, 0, e.xmotion.x_root, e.xmotion.y_root, e.xmotion.state, ""});
        } else if (e.type == KeyPress || e.type == KeyRelease) {
            const char* name = XKeysymToString(XLookupKeysym(&e.xkey, 0));
            events.push_back({e.type == KeyPress ? K::keyPress : K::keyRelease, 0, e.xkey.x_root, e.xkey.y_root,
                              e.xkey.state, name ? name : "?"});
        }
    }
    return events;
}

std::vector<ObservedEvent> XvfbDesktop::takeButtons() {
    std::vector<ObservedEvent> buttons;
    for (const auto& e : take()) {
        if (e.kind == ObservedEvent::Kind::buttonPress || e.kind == ObservedEvent::Kind::buttonRelease) buttons.push_back(e);
    }
    return buttons;
}

std::vector<std::string> XvfbDesktop::takeKeys() {
    std::vector<std::string> keys;
    for (const auto& e : take()) {
        if (e.kind == ObservedEvent::Kind::keyPress) keys.push_back("+" + e.key);
        if (e.kind == ObservedEvent::Kind::keyRelease) keys.push_back("-" + e.key);
    }
    return keys;
}

}  // namespace touchlane::testing
