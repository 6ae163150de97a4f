#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "input/EvdevTouchSource.h"
#include "logging/LogHook.h"
#include "platform/ManualScheduler.h"
#include "replay/ReplayRouter.h"
#include "scenarios/Scenario.h"
#include "support/EvemuRecording.h"
#include "support/ScriptedEvdevReader.h"
#include "synthesis/EventActionTable.h"
#include "synthesis/RecordingWindowSystem.h"

namespace touchlane::scenario {
namespace {

namespace fs = std::filesystem;

// Kernel recordings of two real touchscreens (see the README beside them): real
// jitter, the device's own report rate, fingers landing and lifting in different
// frames.
const fs::path kRecordings = fs::path(__FILE__).parent_path() / ".." / "data" / "realdata";

std::string fileText(const fs::path& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Two ways in: the replay tool's evemu reader, and the kernel touchscreen source's
// own slot handling, as the agent serves a touchscreen. Some recordings hold only
// their events, so the device description goes first.
enum class Path { replay, touchscreenSource };

std::string recordingText(const std::string& device, const std::string& gesture) {
    return fileText(kRecordings / (device + ".desc")) + fileText(kRecordings / fmt::format("{}.{}.events", device, gesture));
}

// Plays a recording through a touchscreen source into a real router, in virtual
// time, at the recorded pace. With `cutAfter` the device goes away after that many
// events, found by the source's read loop.
Run serveRecording(const EvemuRecording& rec, size_t cutAfter = SIZE_MAX) {
    Run run;
    VirtualTime time(0.0);
    LogHookOverride quiet([](LogStyle, const std::string&, const std::string&) {});
    RecordingWindowSystem windowSystem;
    WindowSystemOverride installed(windowSystem);
    bool goneReported = false;
    EvdevTouchSource source(std::make_unique<ScriptedEvdevReader>(rec.axes, rec.name), makeReplayRouter(false),
                            [&] { goneReported = true; });
    const size_t end = std::min(cutAfter, rec.events.size());
    for (size_t i = 0; i < end; ++i) {
        time.advanceTo(1000.0 + rec.events[i].timeMs);
        source.handleEvent(rec.events[i]);
        time.runUntilIdle();
    }
    if (end < rec.events.size()) {
        source.start();
        time.runUntilIdle();
        EXPECT_TRUE(goneReported && source.isGone());
    }
    time.advanceBy(kReplayTailMs);
    source.stop();
    time.runUntilIdle();
    run.events = windowSystem.events();
    for (const auto& line : windowSystem.lines()) run.eventLines += line + "\n";
    return run;
}

EvemuRecording recording(const std::string& device, const std::string& gesture) {
    auto rec = parseEvemuRecording(recordingText(device, gesture));
    EXPECT_TRUE(rec.ok) << device << '.' << gesture;
    return rec;
}

// What a run posted, in the terms the rows check.
struct Posted {
    std::vector<PostedEvent> leftDowns, rightDowns, drags, leftUps;
    std::vector<int> scrollPhases;
    double scrollPoints = 0;  // path length of the continuous scroll, in points
    size_t desktopChords = 0;
};

Posted summarise(const Run& run) {
    Posted p{mouseEvents(run, {en::kLeftMouseDown}), mouseEvents(run, {en::kRightMouseDown}),
             mouseEvents(run, {en::kLeftMouseDragged}), mouseEvents(run, {en::kLeftMouseUp}), scrollPhases(run)};
    EventActionState state;
    for (const auto& e : run.events) {
        if (field(e, en::kFieldScrollIsContinuous) == 1)
            p.scrollPoints += std::hypot(field(e, en::kFieldScrollPointDeltaAxis1, 0),
                                         field(e, en::kFieldScrollPointDeltaAxis2, 0));
        auto mapped = desktopActionsForEvent(e.record, state);
        state = mapped.state;
        if (std::ranges::any_of(mapped.actions, [](const auto& a) { return std::holds_alternative<KeyPress>(a); }))
            ++p.desktopChords;
    }
    return p;
}

std::string describe(const Run& run, const Posted& p) {
    return fmt::format("clicks [{}], {} drags, {} left ups, scroll phases [{}] ({:.0f} points), {} desktop chords",
                       fmt::join(clicks(run), " "), p.drags.size(), p.leftUps.size(), fmt::join(p.scrollPhases, " "),
                       p.scrollPoints, p.desktopChords);
}

bool isScrollStream(const Posted& p) {
    const auto& phases = p.scrollPhases;
    if (phases.size() < 2 || phases.front() != en::kPhaseBegan || phases.back() != en::kPhaseEnded) return false;
    return std::all_of(phases.begin() + 1, phases.end() - 1, [](int phase) { return phase == en::kPhaseChanged; });
}

bool isDrag(const Posted& p) {
    return p.leftDowns.size() == 1 && p.leftUps.size() == 1 && !p.drags.empty() && p.rightDowns.empty() &&
           p.leftDowns[0].mediaTimeMs <= p.drags.front().mediaTimeMs &&
           p.drags.back().mediaTimeMs <= p.leftUps[0].mediaTimeMs;
}

bool clicksNothing(const Posted& p) { return p.leftDowns.empty() && p.rightDowns.empty(); }

enum class Expect {
    clicks,       // exactly the clicks of the row ("L1" left with its click state, "R" right)
    leftClicks,   // as many left clicks as the row lists, whatever their click states
    drag,         // one press, dragged, one release
    scroll,       // one scroll stream, began ... ended, of at least 100 points, no click
    scrollOrDrag, // either of the above, never a click
    desktopAction // one desktop chord, no click
};

struct Row {
    const char* device;
    const char* gesture;
    Expect expect;
    Strings clicks = {};
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.device << '.' << row.gesture; }

const char* const kAtmel = "Atmel maXTouch Touchscreen";
const char* const kWacom = "Wacom ISDv4 E6 Finger";
const Strings kNineTaps(9, "L");

const Row kRows[] = {
    {kAtmel, "1-finger-fast-taps", Expect::leftClicks, kNineTaps},
    {kAtmel, "1-finger-drag-up-down", Expect::drag},
    {kAtmel, "4-finger-drag-down", Expect::desktopAction},
    {kWacom, "single-tap-center", Expect::clicks, {"L1"}},
    {kWacom, "double-tap-center", Expect::clicks, {"L1", "L2"}},
    {kWacom, "2fg-tap", Expect::clicks, {"R"}},
    {kWacom, "double-center-scroll", Expect::scroll},
    {kWacom, "double-top-swipe", Expect::scroll},
    {kWacom, "double-center-circle", Expect::scrollOrDrag},
    {kWacom, "single-center-scroll", Expect::drag},
    {kWacom, "single-top-swipe", Expect::drag},
    {kWacom, "single-center-circle", Expect::drag},
};

class RealRecordings : public testing::TestWithParam<std::tuple<Row, Path>> {};

TEST_P(RealRecordings, PostWhatThePersonDid) {
    const auto& [row, path] = GetParam();
    const scenario::Run run = path == Path::replay ? play(recordingText(row.device, row.gesture))
                                                   : serveRecording(recording(row.device, row.gesture));
    const Posted p = summarise(run);
    SCOPED_TRACE(describe(run, p));
    EXPECT_EQ(p.leftDowns.size(), p.leftUps.size()) << "no button is left pressed";
    EXPECT_EQ(p.rightDowns.size(), mouseEvents(run, {en::kRightMouseUp}).size());
    switch (row.expect) {
        case Expect::clicks:
            EXPECT_EQ(clicks(run), row.clicks);
            EXPECT_TRUE(p.drags.empty());
            break;
        case Expect::leftClicks:
            EXPECT_EQ(p.leftDowns.size(), row.clicks.size());
            for (const auto& down : p.leftDowns) EXPECT_GE(field(down, en::kFieldMouseClickState), 1);
            EXPECT_TRUE(p.drags.empty() && p.rightDowns.empty());
            break;
        case Expect::drag:
            EXPECT_TRUE(isDrag(p));
            EXPECT_TRUE(p.scrollPhases.empty());
            break;
        case Expect::scroll:
            EXPECT_TRUE(isScrollStream(p));
            EXPECT_GE(p.scrollPoints, 100);
            EXPECT_TRUE(clicksNothing(p));
            break;
        case Expect::scrollOrDrag:
            EXPECT_TRUE((isScrollStream(p) && clicksNothing(p)) || (isDrag(p) && p.scrollPhases.empty()));
            for (const auto& down : p.leftDowns) EXPECT_EQ(field(down, en::kFieldMouseClickState), 0) << "a click";
            break;
        case Expect::desktopAction:
            EXPECT_EQ(p.desktopChords, 1u);
            EXPECT_TRUE(clicksNothing(p));
            break;
    }
}

std::string rowName(const testing::TestParamInfo<std::tuple<Row, Path>>& info) {
    const Row& row = std::get<0>(info.param);
    const bool replayed = std::get<1>(info.param) == Path::replay;
    std::string name =
        fmt::format("{}_{}_{}", std::string(row.device).substr(0, 5), row.gesture, replayed ? "replayed" : "served");
    std::ranges::replace_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, RealRecordings,
                         testing::Combine(testing::ValuesIn(kRows), testing::Values(Path::replay, Path::touchscreenSource)),
                         rowName);

TEST(RealRecordingsServed, ATouchscreenGoneMidDragLeavesNothingPressed) {
    const auto rec = recording(kAtmel, "1-finger-drag-up-down");
    const auto run = serveRecording(rec, rec.events.size() / 2);
    ASSERT_EQ(mouseEvents(run, {en::kLeftMouseDown}).size(), 1u) << run.eventLines;
    ASSERT_EQ(mouseEvents(run, {en::kLeftMouseUp}).size(), 1u) << run.eventLines;
    EXPECT_EQ(run.events.back().record.type, en::kLeftMouseUp) << "the release is the last event";
}

}  // namespace
}  // namespace touchlane::scenario
