#include "routing/TouchRemainderFilter.h"

#include <algorithm>

namespace touchlane {

bool nothingTouches(const MultiTouchModel& frame) {
    if (!frame.touchDataArray) return true;
    return std::none_of(frame.touchDataArray->begin(), frame.touchDataArray->end(),
                        [](const auto& contact) { return contact && contact->touchState != kTouchStateLifted; });
}

std::optional<std::string_view> TouchRemainderFilter::drop(const MultiTouchModel& frame) {
    if (state_ == State::passing) return std::nullopt;
    if (frame.count > 1) {
        state_ = State::passing;
        return std::nullopt;
    }
    const std::string_view line = state_ == State::droppingQuietPeriodTouch ? "Single touch suppressed after continuous gesture"
                                  : state_ == State::droppingTapTail        ? "Ignoring remaining finger of two-finger tap"
                                                                            : "Ignoring remaining finger of multi-finger touch";
    if (nothingTouches(frame)) state_ = State::passing;
    return line;
}

}  // namespace touchlane
