// The save thread's schedule, run against a simulated camera and clock: what
// a series in order, in trigger mode and as a time-lapse saves, gives up and
// counts, and how it ends.
#include "SaveSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Action = SaveSchedule::Action;
using Outcome = SaveSchedule::Outcome;

struct History {
    const char* name;
    int frames;
    int periodMs;        // the camera's frame period; frame k arrives at k x period
    int ring = 8;        // buffers: the newest ring - 1 frames are whole
    int intervalMs = 0;  // time-lapse interval
    bool trigger = false;
    const char* outcomes = "";  // of the saves in turn: H handled, F failed; then H
    int saveMs = 0;             // each save takes this long
    int sent = 0;               // frames the camera sends; 0: no end
    int stopMs = 0;             // the series is stopped then; 0: it is not
    int idleLimit = 3;
    int start = 0;  // frames delivered before the series began
    // Decisions in turn (waits left out, repeats as *n): Sk save frame k
    // ("!" failed), T wait for the frames of a trigger series, Gn@p give up
    // n from position p, Ok+n frames from k overwritten, An given up as the
    // series ended, D+ done, D-@t failed at t ms, X stopped.
    const char* decisions;
    int handled;
    friend void PrintTo(const History& h, std::ostream* os) { *os << h.name; }
};

constexpr int64_t kMs = 1000000;

// The ring and the clock at t ms: frame k arrives at k x period.
SaveSchedule::View viewAt(const History& h, int64_t t)
{
    SaveSchedule::View v;
    v.delivered = t / h.periodMs + 1;
    if (h.sent > 0)
        v.delivered = std::min<int64_t>(v.delivered, h.sent);
    v.oldestWhole = std::max<int64_t>(0, v.delivered - h.ring + 1);
    v.newestArrival = (v.delivered - 1) * h.periodMs * kMs;
    v.now = t * kMs;
    v.trigger = h.trigger;
    return v;
}

// Runs the schedule the way the save thread does; its decisions, repeats
// folded, and the positions it handled.
std::pair<std::string, int> replay(const History& h)
{
    SaveSchedule schedule({h.start, h.frames, h.frames, int64_t{h.intervalMs} * kMs, h.idleLimit});
    const std::string outcomes = h.outcomes + std::string(100000, 'H');
    std::vector<std::string> tokens;
    int64_t t = 0;
    bool retrying = false;
    for (int saves = 0; tokens.size() < 100000;) {
        if (h.stopMs > 0 && t >= h.stopMs) {
            tokens.push_back("X");
            break;
        }
        const SaveSchedule::Step step = schedule.next(viewAt(h, t));
        if (step.action == Action::Done) {
            tokens.push_back(step.success ? "D+" : "D-@" + std::to_string(t));
            break;
        }
        if (step.action == Action::Wait) {
            if (step.forTrigger)
                tokens.push_back("T");
            t += step.waitMs;
        } else if (step.action == Action::Save) {
            retrying = outcomes[saves++] == 'F';
            tokens.push_back("S" + std::to_string(step.frame) + (retrying ? "!" : ""));
            t += h.saveMs;
            schedule.saveEnded(retrying ? Outcome::Failed : Outcome::Handled, step.frame * h.periodMs * kMs);
        } else {
            retrying = false;
            tokens.push_back(step.action == Action::GiveUp
                                 ? "G" + std::to_string(step.count) + "@" + std::to_string(step.position)
                                 : "O" + std::to_string(step.frame) + "+" + std::to_string(step.count));
        }
    }
    if (retrying)
        tokens.push_back("A" + std::to_string(schedule.abandon(viewAt(h, t)).count));
    std::string out;
    for (size_t k = 0; k < tokens.size();) {
        size_t n = 1;
        while (k + n < tokens.size() && tokens[k + n] == tokens[k])
            ++n;
        out += (out.empty() ? "" : " ") + tokens[k] + (n > 1 ? "*" + std::to_string(n) : "");
        k += n;
    }
    return {out, schedule.handled()};
}

const std::string kFail(1000, 'F');

class SaveScheduleHistory : public ::testing::TestWithParam<History> {};

TEST_P(SaveScheduleHistory, DecidesAndCountsAsTheSeriesGoes)
{
    const History& h = GetParam();
    EXPECT_EQ(replay(h), std::make_pair(std::string(h.decisions), h.handled));
}

INSTANTIATE_TEST_SUITE_P(
    SaveSchedule, SaveScheduleHistory,
    ::testing::Values(
        // In order: from the first frame after the start; a saver too slow
        // for the ring skips what the camera overwrote.
        History{"InOrder", 3, 10, 8, 0, false, "", 0, 0, 0, 10, 2, "S2 S3 S4 D+", 3},
        History{"InOrderBehindTheRing", 5, 10, 3, 0, false, "", 25, 0, 0, 3, 0, "S0 S1 O2+2 S4 D+", 5},
        History{"InOrderBehindPastTheEnd", 3, 10, 3, 0, false, "", 60, 0, 0, 3, 0, "S0 O1+2 D+", 3},
        // A frame that cannot be saved is tried until the camera overwrites it.
        History{"InOrderFailingUntilOverwritten", 2, 10, 3, 0, false, "FFFF", 0, 0, 0, 3, 0, "S0!*4 O0+1 S1 D+", 2},
        // The idle limit counts the polls since the last frame saved.
        History{"InOrderSlowCamera", 3, 100, 8, 0, false, "", 0, 0, 0, 30, 0, "S0 S1 S2 D+", 3},
        History{"InOrderCameraStops", 3, 10, 8, 0, false, "", 0, 2, 0, 3, 0, "S0 S1 D-@30", 2},
        // Trigger mode: nothing before all frames arrived; a frame that
        // cannot be saved is given up at the idle limit, the next after one try.
        History{"Trigger", 3, 10, 8, 0, true, "", 0, 0, 0, 10, 0, "T*4 S0 S1 S2 D+", 3},
        History{"TriggerMissingFrames", 4, 10, 8, 0, true, "", 0, 2, 0, 3, 0, "T*4 D-@20", 0},
        History{"TriggerFolderGone", 2, 1, 8, 0, true, kFail.c_str(), 0, 2, 0, 3, 0, "T S0!*3 G1@0 S1! G1@1 D+", 2},
        // Time-lapse: the newest frame once the interval has passed since the
        // arrival (not the save) of the frame saved before; the wait for it
        // is no idle time.
        History{"TimeLapse", 3, 10, 8, 50, false, "", 30, 0, 0, 3, 0, "S0 S5 S10 D+", 3},
        History{"TimeLapseLongInterval", 2, 10, 8, 5000, false, "", 0, 0, 0, 3, 0, "S0 S500 D+", 2},
        History{"TimeLapseFolderGone", 2, 50, 8, 50, false, kFail.c_str(), 0, 0, 0, 3, 0,
                "S0!*10 G1@0 S1!*10 G1@1 D+", 2},
        // A camera that sends nothing new fails the series even while the
        // interval runs.
        History{"TimeLapseCameraStops", 3, 10, 8, 5000, false, "", 0, 1, 0, 3, 0, "S0 D-@20", 1},
        History{"TimeLapseFolderBack", 2, 10, 8, 50, false, "F", 0, 0, 0, 3, 0, "S0! S0 S5 D+", 2},
        // Its frame failing, once the next is late, the series fails at the
        // idle limit and gives the frame up as it ends.
        History{"TimeLapseCameraStopsFailing", 5, 10, 8, 50, false, kFail.c_str(), 0, 2, 0, 3, 0,
                "S0!*2 S1!*12 D-@70 A1", 1},
        // Stopped while a frame fails: in order, the frames that arrived
        // behind it are not saved either.
        History{"StoppedInOrder", 5, 10, 8, 0, false, kFail.c_str(), 0, 0, 25, 3, 0, "S0!*5 X A3", 3},
        History{"StoppedSaving", 5, 10, 8, 0, false, "", 0, 0, 25, 3, 0, "S0 S1 S2 X", 3}),
    [](const ::testing::TestParamInfo<History>& info) { return std::string(info.param.name); });

}  // namespace
