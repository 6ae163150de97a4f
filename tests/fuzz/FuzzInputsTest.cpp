#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../../fuzz/FuzzHarness.h"
#include "logging/LogHook.h"
#include "support/LogRecorder.h"

namespace touchlane {
namespace {

namespace fs = std::filesystem;

const fs::path kFuzzFolder = fs::path(__FILE__).parent_path() / ".." / ".." / "fuzz";

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every committed seed and every input that once crashed a fuzz target, replayed
// through the same driver in the normal and sanitizer builds.
TEST(FuzzInputs, SeedsAndRegressionInputsRunCleanThroughTheirDrivers) {
    LogRecorder quiet;
    ParseUsbData parser;
    size_t inputs = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        for (const std::string target : {"report_stream", "trace", "pipeline"}) {
            const fs::path folder = kFuzzFolder / kind / target;
            if (!fs::is_directory(folder)) continue;
            for (const auto& entry : fs::directory_iterator(folder)) {
                SCOPED_TRACE(entry.path().string());
                const auto bytes = readBytes(entry.path());
                if (target == "trace") fuzz::feedTrace(parser, bytes);
                if (target == "report_stream") fuzz::feedReportStream(parser, bytes);
                if (target == "pipeline") fuzz::feedPipeline(bytes);
                ++inputs;
            }
        }
    }
    EXPECT_GE(inputs, 10u);
}

}  // namespace
}  // namespace touchlane
