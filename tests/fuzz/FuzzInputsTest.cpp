#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "../../fuzz/FuzzHarness.h"
#include "logging/LogHook.h"

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
        for (const char* target : {"report_stream", "trace"}) {
            const fs::path folder = kFuzzFolder / kind / target;
            if (!fs::is_directory(folder)) continue;
            for (const auto& entry : fs::directory_iterator(folder)) {
                SCOPED_TRACE(entry.path().string());
                const auto bytes = readBytes(entry.path());
                std::string(target) == "trace" ? fuzz::feedTrace(parser, bytes) : fuzz::feedReportStream(parser, bytes);
                ++inputs;
            }
        }
    }
    EXPECT_GE(inputs, 7u);
}

// Seeds that stop at their first line teach the fuzzer nothing about the rest.
TEST(FuzzInputs, TraceSeedsAreValidTraces) {
    for (const auto& entry : fs::directory_iterator(kFuzzFolder / "corpus" / "trace")) {
        std::ifstream file(entry.path());
        TraceReader reader(file);
        TraceDirective directive;
        auto status = TraceReader::Status::directive;
        while (status == TraceReader::Status::directive) status = reader.next(directive);
        EXPECT_EQ(status, TraceReader::Status::end) << entry.path() << ": " << reader.errorMessage();
    }
}

}  // namespace
}  // namespace touchlane
