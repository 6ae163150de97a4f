#pragma once

#include <memory>
#include <string>
#include <vector>

namespace touchlane::testing {

// What a real X client saw of the input.
struct ObservedEvent {
    enum class Kind { buttonPress, buttonRelease, motion, keyPress, keyRelease };
    Kind kind;
    unsigned button = 0;  // presses and releases
    int x = 0;            // root-window coordinates
    int y = 0;
    unsigned state = 0;   // modifier and button mask before the event
    std::string key;      // keys: the key's name in the server's keymap ("Super_L")
};

// A client with a window over the whole default screen that listens for button
// presses, releases, pointer motion and keys, as an application would.
class XObserver {
public:
    explicit XObserver(const std::string& display);
    ~XObserver();
    XObserver(const XObserver&) = delete;
    XObserver& operator=(const XObserver&) = delete;

    bool ready() const;
    // Everything the server has delivered by now (one round trip), in order.
    std::vector<ObservedEvent> take();
    // Only the button presses and releases.
    std::vector<ObservedEvent> takeButtons();
    // Only the keys, as "+Name" for a press and "-Name" for a release.
    std::vector<std::string> takeKeys();

    static constexpr unsigned kControlMask = 1u << 2;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace touchlane::testing
