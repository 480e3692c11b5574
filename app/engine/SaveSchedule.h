#pragma once

#include <cstdint>

// What the save thread does next in a series: decided from plain numbers,
// with no thread, clock, file or widget inside. The save thread looks at
// the ring and the time (View), asks next(), acts on the answer (saves a
// frame, sleeps, counts frames as not saved or overwritten) and tells the
// outcome of every save (saveEnded).
//
// Frames are numbered as the stream delivered them; a series begins with
// frame `start` and has `frames` positions, each handled once: saved (into
// whole files or not: the writers' business), given up as not saved, or
// overwritten in the ring before it was saved. The schedule counts a
// position as handled as it decides a give-up or an overwrite, and a save as
// its outcome arrives; the series is done once every position is handled.
//
// The three kinds of series:
// - in order (no interval): frames start, start + 1, ...; a frame that the
//   camera overwrote before it was saved is skipped, with the frames before
//   the oldest whole one;
// - trigger mode (in order, any interval): nothing is saved before all
//   `target` frames have arrived; a frame that cannot be saved is tried
//   until the idle limit, then given up, and the frames after it are tried
//   once each until one is saved;
// - time-lapse (an interval, no trigger mode): the newest frame once it
//   arrived at least the interval after the frame saved before; a frame
//   that cannot be saved is tried until the next one is due, then given up.
// A frame that cannot be saved is tried again 5 ms later. The series fails
// once more than `idleLimit` polls went by without progress (no frame to
// save, or a frame late); a saved or given-up frame starts the count anew.
class SaveSchedule
{
public:
    struct Settings {
        int64_t start = 0;       // stream number of the series' first frame
        int frames = 1;          // positions of the series, at least 1
        int target = 0;          // frames asked for: trigger mode waits for them
        int64_t intervalNs = 0;  // between the arrivals of saved frames; 0 for none
        int idleLimit = 600;     // polls without progress before the series fails
    };
    // The ring and the time as the save thread sees them now.
    struct View {
        int64_t delivered = 0;      // frames the stream delivered
        int64_t oldestWhole = 0;    // oldest frame still whole in the ring
        int64_t newestArrival = 0;  // when frame delivered - 1 arrived, ns
        int64_t now = 0;            // ns, the clock of the arrivals
        bool trigger = false;       // the camera is in trigger mode
    };
    enum class Action {
        Save,         // save `frame` as series position `position`
        Wait,         // sleep `waitMs`
        GiveUp,       // positions from `position`: `count` frames not saved
        Overwritten,  // frames from `frame` (positions from `position`): `count` overwritten
        Done,         // the series is over: `success`, or failed by the idle limit
    };
    struct Step {
        Action action = Action::Wait;
        int64_t frame = -1;
        int position = 0;
        int count = 0;
        int waitMs = 0;
        bool forTrigger = false;  // a wait for the frames of a trigger series
        bool success = false;
    };
    // What became of the frame of the last Save step.
    enum class Outcome {
        Handled,      // handed to the writers (saved, or refused by them)
        Failed,       // not saved yet (no folder, no stack files): tried again
        Overwritten,  // no longer whole in the ring
    };

    SaveSchedule() = default;
    explicit SaveSchedule(const Settings& settings);

    Step next(const View& view);
    // `arrival`: when the handled frame arrived; the interval of a
    // time-lapse counts from it.
    void saveEnded(Outcome outcome, int64_t arrival);
    // The series ends while a frame is tried again: it is given up, and in a
    // series in order the frames of the series that arrived behind it too.
    Step abandon(const View& view);

    int handled() const { return m_handled; }
    const Settings& settings() const { return m_settings; }

private:
    bool timeLapse(const View& view) const { return !view.trigger && m_settings.intervalNs > 0; }
    Step nextInOrder(const View& view);
    Step nextInTime(const View& view);
    Step afterFailure(const View& view);
    Step wait(int ms, bool idle);
    Step giveUp(int64_t count);
    Step save(int64_t frame, int64_t arrival);

    Settings m_settings;
    int m_handled = 0;
    int m_idle = 0;                // polls without progress
    int64_t m_nextFrame = 0;       // in order: the next frame to save
    int64_t m_lastSaved = -1;      // the frame saved last
    int64_t m_lastArrival = 0;     // time-lapse: when the frame saved last arrived
    int64_t m_turnArrival = -1;    // time-lapse: arrival of the first frame tried for this turn
    int64_t m_trying = -1;         // the frame of the last Save step
    int64_t m_tryingArrival = 0;   // and when it arrived (time-lapse)
    bool m_failed = false;         // that save failed: not yet answered
};
