#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

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

const std::filesystem::path kRecordings = std::filesystem::path(__FILE__).parent_path() / "../data/realdata";

EvemuRecording recording(const std::string& name) {
    auto rec = readEvemuRecording(kRecordings / (name + ".events"));
    EXPECT_TRUE(rec.ok) << name;
    return rec;
}

// Plays a recording through the touch source's own slot handling into a real
// router, in virtual time, at the recorded pace. With `cutAfter` the device goes
// away after that many events, through the source's read loop.
Run playRecording(const EvemuRecording& rec, size_t cutAfter = std::numeric_limits<size_t>::max()) {
    Run run;
    VirtualTime time(0.0);
    LogHookOverride quiet([](LogStyle, const std::string&, const std::string&) {});
    RecordingWindowSystem windowSystem;
    WindowSystemOverride installed(windowSystem);
    auto reader = std::make_unique<ScriptedEvdevReader>(rec.axes, rec.name);
    auto* script = reader.get();
    bool goneReported = false;
    EvdevTouchSource source(std::move(reader), makeReplayRouter(false), [&] { goneReported = true; });
    const size_t end = std::min(cutAfter, rec.events.size());
    for (size_t i = 0; i < end; ++i) {
        time.advanceTo(1000.0 + rec.events[i].timeMs);
        source.handleEvent(rec.events[i]);
        time.runUntilIdle();
    }
    if (end < rec.events.size()) {
        // The read loop finds the device gone at its next read.
        source.start();
        time.runUntilIdle();
        EXPECT_TRUE(goneReported && source.isGone());
    }
    time.advanceBy(kReplayTailMs);
    source.stop();
    time.runUntilIdle();
    (void)script;
    run.events = windowSystem.events();
    for (const auto& line : windowSystem.lines()) run.eventLines += line + "\n";
    return run;
}

size_t count(const Run& run, int64_t type) { return mouseEvents(run, {type}).size(); }

// Events that make the desktop press keys (a workspace switch, show desktop...).
size_t desktopActions(const Run& run) {
    size_t actions = 0;
    EventActionState state;
    for (const auto& e : run.events) {
        auto mapped = desktopActionsForEvent(e.record, state);
        state = mapped.state;
        if (std::ranges::any_of(mapped.actions, [](const auto& a) { return std::holds_alternative<KeyPress>(a); }))
            ++actions;
    }
    return actions;
}

// Every press is released, after its drags, and nothing is pressed twice.
void expectOnePressDragsRelease(const Run& run) {
    auto downs = mouseEvents(run, {en::kLeftMouseDown}), ups = mouseEvents(run, {en::kLeftMouseUp}),
         drags = mouseEvents(run, {en::kLeftMouseDragged});
    ASSERT_EQ(downs.size(), 1u) << run.eventLines;
    ASSERT_EQ(ups.size(), 1u) << run.eventLines;
    ASSERT_FALSE(drags.empty()) << run.eventLines;
    EXPECT_LT(downs[0].mediaTimeMs, drags.front().mediaTimeMs);
    EXPECT_LE(drags.back().mediaTimeMs, ups[0].mediaTimeMs);
}

// Began once, ended once, and at least 100 points of scrolling in between.
void expectOneScrollStream(const Run& run) {
    const auto phases = scrollPhases(run);
    ASSERT_GE(phases.size(), 3u) << run.eventLines;
    double travel = 0;
    for (const auto& e : run.events)
        travel += std::abs(field(e, en::kFieldScrollPointDeltaAxis1, 0)) + std::abs(field(e, en::kFieldScrollPointDeltaAxis2, 0));
    EXPECT_GE(travel, 100.0);
    EXPECT_EQ(phases.front(), en::kPhaseBegan);
    EXPECT_EQ(phases.back(), en::kPhaseEnded);
    EXPECT_EQ(std::ranges::count(phases, en::kPhaseBegan), 1);
    EXPECT_EQ(std::ranges::count(phases, en::kPhaseEnded), 1);
    EXPECT_EQ(count(run, en::kLeftMouseDown) + count(run, en::kRightMouseDown), 0u) << run.eventLines;
}

TEST(EvdevRecordingScenario, TapsClickAndTheirKindDecidesTheButtonAndClickState) {
    struct Case {
        const char* name;
        Strings clicks;
    };
    const Case cases[] = {
        {"Wacom ISDv4 E6 Finger.single-tap-center", {"L1"}},
        {"Wacom ISDv4 E6 Finger.double-tap-center", {"L1", "L2"}},
        {"Wacom ISDv4 E6 Finger.2fg-tap", {"R"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto run = playRecording(recording(c.name));
        EXPECT_EQ(clicks(run), c.clicks) << run.eventLines;
        EXPECT_EQ(count(run, en::kLeftMouseDown), count(run, en::kLeftMouseUp));
    }
}

TEST(EvdevRecordingScenario, NineFastTapsClickNineTimes) {
    auto run = playRecording(recording("Atmel maXTouch Touchscreen.1-finger-fast-taps"));
    EXPECT_EQ(count(run, en::kLeftMouseDown), 9u) << run.eventLines;
    EXPECT_EQ(count(run, en::kLeftMouseUp), 9u);
    EXPECT_EQ(count(run, en::kRightMouseDown), 0u);
    EXPECT_EQ(count(run, en::kLeftMouseDragged), 0u);
}

TEST(EvdevRecordingScenario, OneFingerMotionsDragOnce) {
    for (const char* name : {"Atmel maXTouch Touchscreen.1-finger-drag-up-down", "Wacom ISDv4 E6 Finger.single-center-scroll",
                             "Wacom ISDv4 E6 Finger.single-top-swipe", "Wacom ISDv4 E6 Finger.single-center-circle"}) {
        SCOPED_TRACE(name);
        expectOnePressDragsRelease(playRecording(recording(name)));
    }
}

TEST(EvdevRecordingScenario, TwoFingerScrollAndSwipeScrollInOneWellFormedStream) {
    for (const char* name : {"Wacom ISDv4 E6 Finger.double-center-scroll", "Wacom ISDv4 E6 Finger.double-top-swipe"}) {
        SCOPED_TRACE(name);
        expectOneScrollStream(playRecording(recording(name)));
    }
}

TEST(EvdevRecordingScenario, TwoFingerCirclesScrollOrDragButNeverClick) {
    auto run = playRecording(recording("Wacom ISDv4 E6 Finger.double-center-circle"));
    EXPECT_TRUE(clicks(run).empty() || clicks(run) == Strings{"L0"}) << run.eventLines;
    EXPECT_FALSE(scrollPhases(run).empty() && mouseEvents(run, {en::kLeftMouseDragged}).empty());
}

TEST(EvdevRecordingScenario, FourFingerSwipeDownIsOneDesktopAction) {
    auto run = playRecording(recording("Atmel maXTouch Touchscreen.4-finger-drag-down"));
    EXPECT_EQ(desktopActions(run), 1u) << run.eventLines;
    EXPECT_TRUE(clicks(run).empty()) << run.eventLines;
}

TEST(EvdevRecordingScenario, EveryRecordingLeavesNoButtonPressed) {
    size_t played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kRecordings)) {
        if (entry.path().extension() != ".events") continue;
        SCOPED_TRACE(entry.path().filename().string());
        auto run = playRecording(recording(entry.path().stem().string()));
        EXPECT_EQ(count(run, en::kLeftMouseDown), count(run, en::kLeftMouseUp)) << run.eventLines;
        EXPECT_EQ(count(run, en::kRightMouseDown), count(run, en::kRightMouseUp)) << run.eventLines;
        ++played;
    }
    EXPECT_EQ(played, 12u);
}

TEST(EvdevRecordingScenario, ADeviceGoneMidDragLeavesNothingPressed) {
    const auto rec = recording("Atmel maXTouch Touchscreen.1-finger-drag-up-down");
    auto run = playRecording(rec, rec.events.size() / 2);
    ASSERT_EQ(count(run, en::kLeftMouseDown), 1u) << run.eventLines;
    ASSERT_EQ(count(run, en::kLeftMouseUp), 1u) << run.eventLines;
    EXPECT_EQ(mouseEvents(run, {en::kLeftMouseUp})[0].record.type, run.events.back().record.type)
        << "the release is the last event";
}

}  // namespace
}  // namespace touchlane::scenario
