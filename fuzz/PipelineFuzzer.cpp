#include "FuzzHarness.h"
#include "logging/LogHook.h"

using namespace touchlane;

// Each input is a whole replay: a fresh router, recognizers and simulators in
// virtual time, so nothing carries over from one input to the next. Log lines are
// formatted but not written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LogHookOverride silence([](LogStyle, const std::string&, const std::string&) {});
    fuzz::feedPipeline({data, size});
    return 0;
}
