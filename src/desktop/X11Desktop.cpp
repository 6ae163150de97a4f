#include "desktop/X11Desktop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <fmt/format.h>

#include "desktop/DisplayChooser.h"
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

// The RandR version as major * 100 + minor; 0 without the extension.
int randrVersion(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return 0;
    if (!XRRQueryVersion(display, &major, &minor)) return 0;
    return major * 100 + minor;
}

constexpr int kRandrOutputs = 103;   // outputs, CRTCs and the primary output
constexpr int kRandrMonitors = 105;  // monitors, including ones set by hand

std::string atomName(Display* display, Atom atom) {
    if (atom == 0) return {};
    char* name = XGetAtomName(display, atom);
    if (name == nullptr) return {};
    std::string text = name;
    XFree(name);
    return text;
}

// The monitor's own name from the EDID the output carries, when it has one.
std::string edidName(Display* display, RROutput output) {
    const Atom edid = XInternAtom(display, "EDID", True);
    if (edid == 0) return {};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XRRGetOutputProperty(display, output, edid, 0, 64, False, False, AnyPropertyType, &type, &format, &count,
                             &after, &data) != Success) {
        return {};
    }
    std::vector<uint8_t> bytes;
    if (data != nullptr && format == 8) bytes.assign(data, data + count);
    if (data != nullptr) XFree(data);
    return edidMonitorName(bytes);
}

// The lit outputs, each with its CRTC's area (servers without monitors).
std::vector<DisplayOutputInfo> litOutputs(Display* display, Window root) {
    std::vector<DisplayOutputInfo> outputs;
    XOwned<XRRScreenResources> resources(XRRGetScreenResourcesCurrent(display, root));
    if (!resources) return outputs;
    const RROutput primary = XRRGetOutputPrimary(display, root);
    for (int i = 0; i < resources->noutput; ++i) {
        XOwned<XRROutputInfo> output(XRRGetOutputInfo(display, resources.get(), resources->outputs[i]));
        if (!output || output->crtc == 0) continue;
        XOwned<XRRCrtcInfo> crtc(XRRGetCrtcInfo(display, resources.get(), output->crtc));
        if (!crtc || crtc->width == 0 || crtc->height == 0) continue;
        outputs.push_back({std::string(output->name, size_t(output->nameLen)), edidName(display, resources->outputs[i]),
                           Rect{double(crtc->x), double(crtc->y), double(crtc->width), double(crtc->height)},
                           resources->outputs[i] == primary});
    }
    return outputs;
}

// The monitors the server shows: one per lit output, and the ones set by hand
// (several on one output, or one spanning outputs).
std::vector<DisplayOutputInfo> activeMonitors(Display* display, Window root) {
    std::vector<DisplayOutputInfo> monitors;
    int count = 0;
    XRRMonitorInfo* list = XRRGetMonitors(display, root, True, &count);
    if (list == nullptr) return monitors;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& monitor = list[i];
        if (monitor.width <= 0 || monitor.height <= 0) continue;
        monitors.push_back({atomName(display, monitor.name),
                            monitor.noutput > 0 ? edidName(display, monitor.outputs[0]) : std::string(),
                            Rect{double(monitor.x), double(monitor.y), double(monitor.width), double(monitor.height)},
                            monitor.primary != 0});
    }
    XRRFreeMonitors(list);
    return monitors;
}

std::vector<DisplayOutputInfo> readOutputs(Display* display, int randr) {
    const Window root = DefaultRootWindow(display);
    if (randr >= kRandrMonitors) return activeMonitors(display, root);
    if (randr >= kRandrOutputs) return litOutputs(display, root);
    return {};
}

Rect screenArea(Display* display) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    Rect screen{0, 0, double(DisplayWidth(display, DefaultScreen(display))),
                double(DisplayHeight(display, DefaultScreen(display)))};
    if (XGetWindowAttributes(display, root, &attributes)) {
        screen = {0, 0, double(attributes.width), double(attributes.height)};
    }
    return screen;
}

}  // namespace

struct X11Desktop::Impl {
    std::string name;
    Display* poster = nullptr;
    Display* watcher = nullptr;
    int randr = 0;
    int stopFd = -1;
    std::thread thread;

    mutable std::mutex posterMutex;
    std::array<bool, kKeyCount> missingKeyLogged{};

    mutable std::mutex layoutMutex;
    DisplayLayout layout;
    DisplayChooser chooser;

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

    // Reads the screen and its monitors; the main display is the chosen one.
    void readLayout() {
        DisplayLayout fresh;
        fresh.extent = screenArea(watcher);
        fresh.outputs = readOutputs(watcher, randr);
        // Under the lock, so that a choice made meanwhile is not overwritten.
        std::lock_guard lock(layoutMutex);
        fresh.mainDisplay = chooser.mainDisplay(fresh.outputs, fresh.extent);
        layout = std::move(fresh);
    }

    // A new choice applies to the monitors last read, without a round trip.
    void choose(const DisplayChoice& choice) {
        chooser.choose(choice);
        std::lock_guard lock(layoutMutex);
        layout.mainDisplay = chooser.mainDisplay(layout.outputs, layout.extent);
    }

    void watch() {
        const Window root = DefaultRootWindow(watcher);
        if (randr >= kRandrOutputs) {
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
                if (randr >= kRandrOutputs) XRRUpdateConfiguration(&event);
            }
            readLayout();
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
    impl->randr = randrVersion(impl->watcher);
    impl->readLayout();
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

Rect X11Desktop::mainDisplay() const {
    std::lock_guard lock(impl_->layoutMutex);
    return impl_->layout.mainDisplay;
}

Rect X11Desktop::extent() const {
    std::lock_guard lock(impl_->layoutMutex);
    return impl_->layout.extent;
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

void X11Desktop::chooseDisplay(const DisplayChoice& choice) { impl_->choose(choice); }

const std::string& X11Desktop::displayName() const { return impl_->name; }

}  // namespace touchlane
