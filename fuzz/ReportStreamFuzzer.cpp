#include "FuzzHarness.h"
#include "logging/LogHook.h"

using namespace touchlane;

// One parser for the whole run (each input starts by resetting it): making one
// starts a queue thread, too slow to do per input. Log lines are formatted but
// not written, so the parser's logging is exercised without flooding the terminal.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LogHookOverride silence([](LogStyle, const std::string&, const std::string&) {});
    static ParseUsbData parser;
    fuzz::feedReportStream(parser, {data, size});
    return 0;
}
