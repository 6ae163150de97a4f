#pragma once

#include <memory>
#include <string>

namespace touchlane::test {

// A connection to an X display that answers whether a system tray runs on it.
// (Kept apart: Xlib's macros clash with Qt's headers.)
class TrayManagerProbe {
public:
    // None when the display cannot be opened.
    static std::unique_ptr<TrayManagerProbe> open(const std::string& display);
    ~TrayManagerProbe();
    TrayManagerProbe(const TrayManagerProbe&) = delete;
    TrayManagerProbe& operator=(const TrayManagerProbe&) = delete;

    // A tray manager owns the system-tray selection of screen 0.
    bool trayRuns() const;

private:
    explicit TrayManagerProbe(void* connection) : connection_(connection) {}
    void* connection_;
};

}  // namespace touchlane::test
