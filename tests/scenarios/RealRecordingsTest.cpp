#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "scenarios/Scenario.h"
#include "synthesis/EventActionTable.h"

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

// Some recordings hold only their events: the device description goes first.
Run playRecording(const std::string& device, const std::string& gesture) {
    return play(fileText(kRecordings / (device + ".desc")) +
                fileText(kRecordings / fmt::format("{}.{}.events", device, gesture)));
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

class RealRecordings : public testing::TestWithParam<Row> {};

TEST_P(RealRecordings, PostWhatThePersonDid) {
    const Row& row = GetParam();
    const scenario::Run run = playRecording(row.device, row.gesture);
    const Posted p = summarise(run);
    SCOPED_TRACE(describe(run, p));
    switch (row.expect) {
        case Expect::clicks:
            EXPECT_EQ(clicks(run), row.clicks);
            EXPECT_TRUE(p.drags.empty());
            EXPECT_EQ(p.leftUps.size(), p.leftDowns.size());
            break;
        case Expect::leftClicks:
            EXPECT_EQ(p.leftDowns.size(), row.clicks.size());
            EXPECT_EQ(p.leftUps.size(), row.clicks.size());
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
            EXPECT_TRUE(p.rightDowns.empty());
            for (const auto& down : p.leftDowns) EXPECT_EQ(field(down, en::kFieldMouseClickState), 0) << "a click";
            break;
        case Expect::desktopAction:
            EXPECT_EQ(p.desktopChords, 1u);
            EXPECT_TRUE(clicksNothing(p));
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, RealRecordings, testing::ValuesIn(kRows), [](const auto& info) {
    std::string name = fmt::format("{}_{}", std::string(info.param.device).substr(0, 5), info.param.gesture);
    std::ranges::replace_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

}  // namespace
}  // namespace touchlane::scenario
