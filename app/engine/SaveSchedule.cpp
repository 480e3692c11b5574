#include "SaveSchedule.h"

#include <algorithm>

namespace {

constexpr int kPollMs = 5;
constexpr int64_t kNsPerMs = 1000000;

}  // namespace

SaveSchedule::SaveSchedule(const Settings& settings)
    : m_settings(settings)
    , m_nextFrame(settings.start)
{
}

SaveSchedule::Step SaveSchedule::next(const View& view)
{
    if (m_failed)
        return afterFailure(view);
    Step step;
    step.action = Action::Done;
    if (m_handled >= m_settings.frames) {
        step.success = true;
        return step;
    }
    if (m_idle > m_settings.idleLimit)
        return step;
    return timeLapse(view) ? nextInTime(view) : nextInOrder(view);
}

SaveSchedule::Step SaveSchedule::nextInOrder(const View& view)
{
    if (view.trigger && view.delivered - m_settings.start < m_settings.target) {
        Step step = wait(kPollMs, true);
        step.forTrigger = true;
        return step;
    }
    if (m_nextFrame >= view.delivered)
        return wait(kPollMs, true);
    if (m_nextFrame < view.oldestWhole) {
        // A whole ring behind: the frames up to the oldest whole one are gone.
        const int64_t resume = std::min(view.oldestWhole, m_settings.start + m_settings.frames);
        Step step;
        step.action = Action::Overwritten;
        step.frame = m_nextFrame;
        step.position = m_handled;
        step.count = static_cast<int>(resume - m_nextFrame);
        m_handled += step.count;
        m_nextFrame = resume;
        return step;
    }
    return save(m_nextFrame, 0);
}

SaveSchedule::Step SaveSchedule::nextInTime(const View& view)
{
    const int64_t newest = view.delivered - 1;
    const int64_t interval = m_settings.intervalNs;
    if (m_turnArrival >= 0 && newest >= m_settings.start && view.newestArrival - m_turnArrival >= interval) {
        // The next frame is due: this turn's frame cannot be saved in time
        // any more, and the next turn counts from it.
        m_lastArrival = m_turnArrival;
        m_idle = 0;
        return giveUp(1);
    }
    if (newest < m_settings.start || newest <= m_lastSaved)
        return wait(kPollMs, true);
    if (m_handled > 0 && view.newestArrival - m_lastArrival < interval) {
        const int64_t left = m_lastArrival + interval - view.now;
        if (left > 0)  // the interval runs: no frame is missing yet
            return wait(static_cast<int>(std::min<int64_t>(kPollMs, left / kNsPerMs + 1)), false);
        return wait(kPollMs, true);
    }
    return save(newest, view.newestArrival);
}

SaveSchedule::Step SaveSchedule::afterFailure(const View& view)
{
    m_failed = false;
    if (view.trigger) {
        // No frame comes to overwrite it: the frame is tried for as long as
        // the idle limit allows; once it is spent, the frames after it are
        // tried once each, until one is saved.
        if (++m_idle > m_settings.idleLimit) {
            m_idle = m_settings.idleLimit;
            m_nextFrame = m_trying + 1;
            return giveUp(1);
        }
    } else if (m_settings.intervalNs > 0) {
        if (m_turnArrival < 0)
            m_turnArrival = m_tryingArrival;
        else if (view.now - m_turnArrival >= m_settings.intervalNs)
            ++m_idle;  // the next frame is late
    }
    return wait(kPollMs, false);
}

void SaveSchedule::saveEnded(Outcome outcome, int64_t arrival)
{
    switch (outcome) {
    case Outcome::Handled:
        ++m_handled;
        m_turnArrival = -1;
        m_lastSaved = m_trying;
        m_lastArrival = arrival;
        m_nextFrame = m_trying + 1;
        m_idle = 0;
        break;
    case Outcome::Failed:
        m_failed = true;
        break;
    case Outcome::Overwritten:
        break;  // the next look finds it lost
    }
}

SaveSchedule::Step SaveSchedule::abandon(const View& view)
{
    int64_t kept = 1;
    if (!timeLapse(view)) {
        const int64_t arrived = std::min(view.delivered, m_settings.start + m_settings.frames);
        kept = std::max<int64_t>(1, arrived - m_nextFrame);
    }
    m_failed = false;
    return giveUp(kept);
}

SaveSchedule::Step SaveSchedule::wait(int ms, bool idle)
{
    if (idle)
        ++m_idle;
    Step step;
    step.action = Action::Wait;
    step.waitMs = ms;
    return step;
}

SaveSchedule::Step SaveSchedule::giveUp(int64_t count)
{
    Step step;
    step.action = Action::GiveUp;
    step.position = m_handled;
    step.count = static_cast<int>(count);
    m_handled += step.count;
    m_turnArrival = -1;
    return step;
}

SaveSchedule::Step SaveSchedule::save(int64_t frame, int64_t arrival)
{
    m_trying = frame;
    m_tryingArrival = arrival;
    Step step;
    step.action = Action::Save;
    step.frame = frame;
    step.position = m_handled;
    return step;
}
