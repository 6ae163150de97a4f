#include "platform/TimeFormat.h"

#include <cmath>
#include <ctime>

#include <fmt/format.h>

#include "platform/Clock.h"

namespace touchlane {

std::string formatLocalTime(double epochSeconds, const char* pattern, int fractionDigits, char fractionSeparator) {
    // Whole microseconds first: a double near 1.8e9 s cannot hold 0.01 exactly, and
    // truncating 1.00999999 would print ":009999" for a time that is 10 ms.
    auto micros = static_cast<long long>(std::llround(epochSeconds * 1e6));
    long long wholeSeconds = micros >= 0 ? micros / 1'000'000 : -((-micros + 999'999) / 1'000'000);
    long long fractionMicros = micros - wholeSeconds * 1'000'000;
    time_t seconds = static_cast<time_t>(wholeSeconds);
    tm local{};
    localtime_r(&seconds, &local);
    char text[128];
    size_t length = strftime(text, sizeof text, pattern, &local);
    std::string result(text, length);
    if (fractionDigits > 0) {
        int digits = fractionDigits > 6 ? 6 : fractionDigits;
        long long fraction = fractionMicros;
        for (int i = digits; i < 6; ++i) fraction /= 10;
        result += fractionSeparator;
        result += fmt::format("{:0{}d}", fraction, digits);
    }
    return result;
}

std::string formatNow(const char* pattern, int fractionDigits, char fractionSeparator) {
    return formatLocalTime(Clock::current().wallClockSeconds(), pattern, fractionDigits, fractionSeparator);
}

}  // namespace touchlane
