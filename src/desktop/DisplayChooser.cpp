#include "desktop/DisplayChooser.h"

#include <fmt/format.h>

#include "logging/Logger.h"

namespace touchlane {

namespace {
std::string titled(const std::string& name, const std::string& monitor) {
    if (monitor.empty() || monitor == name) return name;
    if (name.empty()) return monitor;
    return fmt::format("{} ({})", name, monitor);
}
}  // namespace

std::string displayTitle(const DisplayChoice& choice) { return titled(choice.outputName, choice.monitorName); }

std::string displayTitle(const DisplayOutputInfo& output) { return titled(output.name, output.monitorName); }

void DisplayChooser::choose(const DisplayChoice& choice) {
    std::lock_guard lock(mutex_);
    if (choice == choice_) return;
    choice_ = choice;
    absent_ = false;
    Logger::shared().log(choice.empty() ? std::string("Touch display: the primary output")
                                        : "Touch display: " + displayTitle(choice));
}

DisplayChoice DisplayChooser::choice() const {
    std::lock_guard lock(mutex_);
    return choice_;
}

Rect DisplayChooser::mainDisplay(const std::vector<DisplayOutputInfo>& outputs, Rect fallback) {
    std::lock_guard lock(mutex_);
    if (auto chosen = findChosenOutput(outputs, choice_)) {
        if (absent_) Logger::shared().log("Touch display: " + displayTitle(choice_) + " is back");
        absent_ = false;
        return outputs[*chosen].bounds;
    }
    const auto primary = primaryOutput(outputs);
    if (!choice_.empty() && !absent_) {
        absent_ = true;
        Logger::shared().log(fmt::format("Touch display: {} is not connected; using {} until it is",
                                         displayTitle(choice_),
                                         primary ? "the primary output " + displayTitle(outputs[*primary])
                                                 : std::string("the whole screen")));
    }
    return primary ? outputs[*primary].bounds : fallback;
}

}  // namespace touchlane
