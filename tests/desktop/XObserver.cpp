#include "desktop/XObserver.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace touchlane::testing {

struct XObserver::Impl {
    Display* display = nullptr;
    Window window = 0;
    ~Impl() {
        if (display) XCloseDisplay(display);
    }
};

XObserver::XObserver(const std::string& display) : impl_(std::make_unique<Impl>()) {
    impl_->display = XOpenDisplay(display.c_str());
    if (!impl_->display) return;
    Display* d = impl_->display;
    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes{};
    // No window manager runs under the test server; the window simply covers the screen.
    attributes.override_redirect = True;
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask;
    impl_->window = XCreateWindow(d, RootWindow(d, screen), 0, 0, unsigned(DisplayWidth(d, screen)),
                                  unsigned(DisplayHeight(d, screen)), 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWEventMask, &attributes);
    XMapRaised(d, impl_->window);
    XSetInputFocus(d, impl_->window, RevertToParent, CurrentTime);
    // Mapping without a window manager is done once the server answers.
    XSync(d, False);
    take();
}

XObserver::~XObserver() = default;

bool XObserver::ready() const { return impl_->display != nullptr && impl_->window != 0; }

std::vector<ObservedEvent> XObserver::take() {
    std::vector<ObservedEvent> events;
    Display* d = impl_->display;
    if (!d) return events;
    XSync(d, False);
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        switch (event.type) {
            case ButtonPress:
            case ButtonRelease:
                events.push_back({event.type == ButtonPress ? ObservedEvent::Kind::buttonPress
                                                            : ObservedEvent::Kind::buttonRelease,
                                  event.xbutton.button, event.xbutton.x_root, event.xbutton.y_root,
                                  event.xbutton.state, ""});
                break;
            case MotionNotify:
                events.push_back({ObservedEvent::Kind::motion, 0, event.xmotion.x_root, event.xmotion.y_root,
                                  event.xmotion.state, ""});
                break;
            case KeyPress:
            case KeyRelease: {
                const char* name = XKeysymToString(XLookupKeysym(&event.xkey, 0));
                events.push_back({event.type == KeyPress ? ObservedEvent::Kind::keyPress
                                                         : ObservedEvent::Kind::keyRelease,
                                  0, event.xkey.x_root, event.xkey.y_root, event.xkey.state, name ? name : "?"});
                break;
            }
            default:
                break;
        }
    }
    return events;
}

std::vector<ObservedEvent> XObserver::takeButtons() {
    std::vector<ObservedEvent> buttons;
    for (const auto& event : take()) {
        if (event.kind == ObservedEvent::Kind::buttonPress || event.kind == ObservedEvent::Kind::buttonRelease) {
            buttons.push_back(event);
        }
    }
    return buttons;
}

std::vector<std::string> XObserver::takeKeys() {
    std::vector<std::string> keys;
    for (const auto& event : take()) {
        if (event.kind == ObservedEvent::Kind::keyPress) keys.push_back("+" + event.key);
        if (event.kind == ObservedEvent::Kind::keyRelease) keys.push_back("-" + event.key);
    }
    return keys;
}

}  // namespace touchlane::testing
