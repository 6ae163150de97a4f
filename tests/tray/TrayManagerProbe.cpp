#include "TrayManagerProbe.h"

#include <X11/Xlib.h>

namespace touchlane::test {

std::unique_ptr<TrayManagerProbe> TrayManagerProbe::open(const std::string& display) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) return nullptr;
    return std::unique_ptr<TrayManagerProbe>(new TrayManagerProbe(connection));
}

TrayManagerProbe::~TrayManagerProbe() { XCloseDisplay(static_cast<Display*>(connection_)); }

bool TrayManagerProbe::trayRuns() const {
    auto* connection = static_cast<Display*>(connection_);
    const Atom selection = XInternAtom(connection, "_NET_SYSTEM_TRAY_S0", False);
    return XGetSelectionOwner(connection, selection) != None;
}

}  // namespace touchlane::test
