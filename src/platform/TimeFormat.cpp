#include "platform/TimeFormat.h"

#include <cmath>
#include <ctime>

#include <fmt/format.h>

#include "platform/Clock.h"

namespace touchlane {

std::string formatLocalTime(double epochSeconds, const char* pattern, int fractionDigits, char fractionSeparator) {
    double wholeSeconds = std::floor(epochSeconds);
    time_t seconds = static_cast<time_t>(wholeSeconds);
    tm local{};
    localtime_r(&seconds, &local);
    char text[128];
    size_t length = strftime(text, sizeof text, pattern, &local);
    std::string result(text, length);
    if (fractionDigits > 0) {
        long long scale = 1;
        for (int i = 0; i < fractionDigits; ++i) scale *= 10;
        auto fraction = static_cast<long long>((epochSeconds - wholeSeconds) * static_cast<double>(scale));
        if (fraction >= scale) fraction = scale - 1;
        if (fraction < 0) fraction = 0;
        result += fractionSeparator;
        result += fmt::format("{:0{}d}", fraction, fractionDigits);
    }
    return result;
}

std::string formatNow(const char* pattern, int fractionDigits, char fractionSeparator) {
    return formatLocalTime(Clock::current().wallClockSeconds(), pattern, fractionDigits, fractionSeparator);
}

}  // namespace touchlane
