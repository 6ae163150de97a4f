#include "desktop/X11Desktop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <fmt/format.h>

#include "logging/Logger.h"

// Xlib last: its macros (None, Bool, Status...) must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

namespace touchlane {

namespace {

constexpr int kLayoutRereadMs = 1000;

// Xlib's default handler ends the process on any protocol error; a request that
// races with a screen change (a CRTC that just vanished) must only be logged.
int logXError(Display* display, XErrorEvent* error) {
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    Logger::shared().log(fmt::format("X11 output: request {}.{} failed: {}", int(error->request_code),
                                     int(error->minor_code), text));
    return 0;
}

void installErrorHandlerOnce() {
    static std::once_flag once;
    std::call_once(once, [] { XSetErrorHandler(logXError); });
}

KeySym keySym(DesktopKey key) {
    switch (key) {
        case DesktopKey::control: return XK_Control_L;
        case DesktopKey::super: return XK_Super_L;
        case DesktopKey::pageUp: return XK_Page_Up;
        case DesktopKey::pageDown: return XK_Page_Down;
        case DesktopKey::letterA: return XK_a;
        case DesktopKey::letterD: return XK_d;
        case DesktopKey::digit0: return XK_0;
    }
    return NoSymbol;
}

constexpr size_t kKeyCount = size_t(DesktopKey::digit0) + 1;

// Deleters for what Xlib and XRandR hand out.
struct XFreeDeleter {
    void operator()(XRRScreenResources* p) const { XRRFreeScreenResources(p); }
    void operator()(XRROutputInfo* p) const { XRRFreeOutputInfo(p); }
    void operator()(XRRCrtcInfo* p) const { XRRFreeCrtcInfo(p); }
};
template <typename T>
using XOwned = std::unique_ptr<T, XFreeDeleter>;

bool hasUsableRandr(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    if (!XRRQueryVersion(display, &major, &minor)) return false;
    return major > 1 || (major == 1 && minor >= 3);
}

// The primary output's area, when there is one and it is lit.
std::optional<Rect> primaryOutputArea(Display* display, Window root) {
    XOwned<XRRScreenResources> resources(XRRGetScreenResourcesCurrent(display, root));
    const RROutput primary = XRRGetOutputPrimary(display, root);
    if (!resources || primary == 0) return std::nullopt;
    XOwned<XRROutputInfo> output(XRRGetOutputInfo(display, resources.get(), primary));
    if (!output || output->crtc == 0) return std::nullopt;
    XOwned<XRRCrtcInfo> crtc(XRRGetCrtcInfo(display, resources.get(), output->crtc));
    if (!crtc || crtc->width == 0 || crtc->height == 0) return std::nullopt;
    return Rect{double(crtc->x), double(crtc->y), double(crtc->width), double(crtc->height)};
}

DisplayLayout readLayout(Display* display, bool randr) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    Rect screen{0, 0, double(DisplayWidth(display, DefaultScreen(display))),
                double(DisplayHeight(display, DefaultScreen(display)))};
    if (XGetWindowAttributes(display, root, &attributes)) {
        screen = {0, 0, double(attributes.width), double(attributes.height)};
    }
    std::optional<Rect> primary = randr ? primaryOutputArea(display, root) : std::nullopt;
    return {primary.value_or(screen), screen};
}

}  // namespace

struct X11Desktop::Impl {
    std::string name;
    Display* poster = nullptr;
    Display* watcher = nullptr;
    bool randr = false;
    int stopFd = -1;
    std::thread thread;

    mutable std::mutex posterMutex;
    std::array<bool, kKeyCount> missingKeyLogged{};

    mutable std::mutex layoutMutex;
    DisplayLayout layout;

    ~Impl() {
        if (thread.joinable()) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t written = write(stopFd, &one, sizeof one);
            thread.join();
        }
        if (stopFd >= 0) close(stopFd);
        if (watcher) XCloseDisplay(watcher);
        if (poster) XCloseDisplay(poster);
    }

    void storeLayout(const DisplayLayout& fresh) {
        std::lock_guard lock(layoutMutex);
        layout = fresh;
    }

    void watch() {
        const Window root = DefaultRootWindow(watcher);
        if (randr) {
            XRRSelectInput(watcher, root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
        }
        XSelectInput(watcher, root, StructureNotifyMask);
        XFlush(watcher);
        for (;;) {
            if (XQLength(watcher) == 0) {
                std::array<pollfd, 2> fds{pollfd{ConnectionNumber(watcher), POLLIN, 0}, pollfd{stopFd, POLLIN, 0}};
                poll(fds.data(), fds.size(), kLayoutRereadMs);
                if (fds[1].revents != 0) return;
            }
            while (XPending(watcher) > 0) {
                XEvent event;
                XNextEvent(watcher, &event);
                if (randr) XRRUpdateConfiguration(&event);
            }
            storeLayout(readLayout(watcher, randr));
        }
    }

    void performLocked(const XTestStep& step) {
        using Kind = XTestStep::Kind;
        switch (step.kind) {
            case Kind::motion:
                XTestFakeMotionEvent(poster, DefaultScreen(poster), step.x, step.y, CurrentTime);
                break;
            case Kind::buttonPress:
            case Kind::buttonRelease:
                XTestFakeButtonEvent(poster, step.button, step.kind == Kind::buttonPress, CurrentTime);
                break;
            case Kind::keyPress:
            case Kind::keyRelease: {
                const KeyCode code = XKeysymToKeycode(poster, keySym(step.key));
                if (code == 0) {
                    // A keymap without the key: the shortcut cannot be sent; say so once.
                    bool& logged = missingKeyLogged[size_t(step.key)];
                    if (!logged) Logger::shared().log("X11 output: the keymap has no key for " +
                                                      std::string(XKeysymToString(keySym(step.key))));
                    logged = true;
                    break;
                }
                XTestFakeKeyEvent(poster, code, step.kind == Kind::keyPress, CurrentTime);
                break;
            }
        }
    }
};

std::unique_ptr<X11Desktop> X11Desktop::open(const std::string& displayName, std::string& whyNot) {
    const char* requested = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
    if (requested == nullptr || *requested == '\0') {
        whyNot = "DISPLAY is not set";
        return nullptr;
    }
    installErrorHandlerOnce();
    auto impl = std::make_unique<Impl>();
    impl->poster = XOpenDisplay(requested);
    if (impl->poster == nullptr) {
        whyNot = fmt::format("display {} cannot be opened", requested);
        return nullptr;
    }
    impl->name = DisplayString(impl->poster);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(impl->poster, &eventBase, &errorBase, &major, &minor)) {
        whyNot = fmt::format("display {} has no XTest extension", impl->name);
        return nullptr;
    }
    impl->watcher = XOpenDisplay(requested);
    impl->stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (impl->watcher == nullptr || impl->stopFd < 0) {
        whyNot = fmt::format("display {} cannot be watched", impl->name);
        return nullptr;
    }
    impl->randr = hasUsableRandr(impl->watcher);
    impl->layout = readLayout(impl->watcher, impl->randr);
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->watch(); });
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(impl)));
}

X11Desktop::X11Desktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

X11Desktop::~X11Desktop() = default;

DisplayLayout X11Desktop::layout() const {
    std::lock_guard lock(impl_->layoutMutex);
    return impl_->layout;
}

std::optional<Point> X11Desktop::cursorLocation() const {
    std::lock_guard lock(impl_->posterMutex);
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(impl_->poster, DefaultRootWindow(impl_->poster), &rootReturn, &child, &rootX, &rootY, &windowX,
                       &windowY, &mask)) {
        return std::nullopt;
    }
    return Point{double(rootX), double(rootY)};
}

void X11Desktop::perform(const std::vector<XTestStep>& steps) {
    std::lock_guard lock(impl_->posterMutex);
    for (const XTestStep& step : steps) impl_->performLocked(step);
    XSync(impl_->poster, False);
}

const std::string& X11Desktop::displayName() const { return impl_->name; }

}  // namespace touchlane
