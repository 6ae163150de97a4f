#pragma once

#include <mutex>
#include <vector>

#include "platform/DisplayMapping.h"

namespace touchlane {

// Keeps the user's choice of monitor and finds it among the outputs each time
// the layout is read. While the chosen monitor is absent the frame maps onto the
// primary output (else `fallback`), and the log says so once; when it returns,
// the choice applies again and the log says that too. Thread-safe.
class DisplayChooser {
public:
    void choose(const DisplayChoice& choice);
    DisplayChoice choice() const;
    // The rectangle the frame maps onto.
    Rect mainDisplay(const std::vector<DisplayOutputInfo>& outputs, Rect fallback);

private:
    mutable std::mutex mutex_;
    DisplayChoice choice_;
    bool absent_ = false;
};

// "HDMI-1" or "HDMI-1 (DELL U2720Q)", for log lines and menus.
std::string displayTitle(const DisplayChoice& choice);
std::string displayTitle(const DisplayOutputInfo& output);

}  // namespace touchlane
