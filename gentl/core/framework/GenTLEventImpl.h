#pragma once
#include "EventSignal.h"
#include "GenTLEvent.h"
#include "InfoWriters.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "TLLogMessage.h"

#include <deque>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace GenTLCore {

// The queue of an event object over its item type T. The wait object's lock
// guards everything; producers push from any thread, consumers wait in
// GetEventData. A closed event queues nothing unless it is always accepting.
template <class T>
class GenTLEventImpl : public GenTLEvent {
public:
    explicit GenTLEventImpl(bool alwaysAccepting) : m_alwaysAccepting(alwaysAccepting) {}
    ~GenTLEventImpl() override = default;

    int32_t Open() override
    {
        ScopedLock lock(m_signal.GetLock());
        m_open = true;
        m_fired = 0;
        m_signal.Reset();
        return GC_ERR_SUCCESS;
    }

    // Every waiter and later wait ends aborted until the next Open; the
    // queued items are released.
    int32_t Close() override
    {
        ScopedLock lock(m_signal.GetLock());
        m_open = false;
        m_signal.Abort();
        ReleaseAll();
        return GC_ERR_SUCCESS;
    }

    // Puts `item` on the queue by `mode`; items taken out by modes 2 and 3
    // go to `removed` (dropped when it is null). False when refused.
    bool PushEvent(const T& item, int32_t mode, std::vector<T>* removed)
    {
        std::vector<T> dropped;
        std::vector<T>& out = removed ? *removed : dropped;
        ScopedLock lock(m_signal.GetLock());
        if (!m_open && !m_alwaysAccepting)
            return false;
        // Out of memory refuses the item: nothing throws on a delivering thread.
        // Room for the removed items is made before any leaves the queue, and
        // only by the modes that remove: an append (every delivered frame)
        // allocates nothing here.
        try {
            if (mode == PUSH_OVERWRITE_OLDEST_ONLY || mode == PUSH_REPLACE_ALL)
                out.reserve(out.size() + m_queue.size());
            if (!PushLocked(item, mode, out))
                return false;
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!out.empty() && IsLogged(LOG_DEBUG))
            LogLine("Event", LOG_DEBUG, "Returning " + std::to_string(out.size()) + " events");
        ++m_fired;
        m_signal.Signal();
        return true;
    }

private:
    bool PushLocked(const T& item, int32_t mode, std::vector<T>& out)
    {
        switch (mode) {
        case PUSH_APPEND:
            m_queue.push_back(item);
            break;
        case PUSH_OVERWRITE_OLDEST:
            if (m_queue.empty())
                return false;
            StoreEventData(m_queue.front(), item);
            m_queue.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
            break;
        case PUSH_OVERWRITE_OLDEST_ONLY:
            if (m_queue.empty())
                return false;
            StoreEventData(m_queue.front(), item);
            while (m_queue.size() > 1) {
                out.push_back(std::move(m_queue[1]));
                m_queue.erase(m_queue.begin() + 1);
            }
            break;
        case PUSH_REPLACE_ALL:
            while (!m_queue.empty()) {
                out.push_back(std::move(m_queue.front()));
                m_queue.pop_front();
            }
            m_queue.push_back(item);
            break;
        default:
            return false;
        }
        return true;
    }

public:

    GC_ERROR GetEventData(void* buffer, size_t* size, uint64_t timeout) override
    {
        ScopedLock lock(m_signal.GetLock());
        if (m_signal.TakeAbort())
            return ReportError(GC_ERR_ABORT, "GetEventData: event was in aborted state");
        if (buffer && !size)
            return ReportError(GC_ERR_INVALID_PARAMETER, "GetEventData: invalid buffer size pointer.");
        if (m_queue.empty()) {
            int32_t result = EventSignal::SIGNALLED;
            if (timeout == GENTL_INFINITE) {
                do
                    result = m_signal.Wait();
                while (result == EventSignal::SIGNALLED && m_queue.empty());
            } else {
                result = m_signal.TimedWait(static_cast<double>(timeout) / 1000.0);
            }
            if (result == EventSignal::TIMED_OUT)
                return ReportError(GC_ERR_TIMEOUT, "GetEventData: wait operation timed out");
            if (result == EventSignal::ABORTED)
                return ReportError(GC_ERR_ABORT, "GetEventData: wait operation aborted");
            if (result != EventSignal::SIGNALLED)
                return ReportError(GC_ERR_ERROR, "GetEventData: internal failure during wait operation");
            if (m_queue.empty())
                return ReportError(GC_ERR_NO_DATA, "GetEventData: there are no data in the queue");
        }
        if (buffer) {
            const GC_ERROR code = CopyEventData(m_queue.front(), buffer, size);
            if (code != GC_ERR_SUCCESS)
                return code;
            ++m_delivered;
        } else {
            ReleaseEventItem(m_queue.front());
        }
        m_queue.pop_front();
        return GC_ERR_SUCCESS;
    }

    GC_ERROR GetEventInfo(EVENT_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size) override
    {
        switch (command) {
        case EVENT_EVENT_TYPE: return WriteInfoInt32(type, buffer, size, GetEventType());
        case EVENT_NUM_IN_QUEUE: return WriteInfoSizeT(type, buffer, size, QueueLength());
        case EVENT_NUM_FIRED: {
            ScopedLock lock(m_signal.GetLock());
            return WriteInfoUInt64(type, buffer, size, m_fired);
        }
        case EVENT_SIZE_MAX: return WriteInfoSizeT(type, buffer, size, GetEventSizeMax());
        case EVENT_INFO_DATA_SIZE_MAX: return WriteInfoSizeT(type, buffer, size, GetInfoDataSizeMax());
        default: return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetEventInfo: unknown event info command requested");
        }
    }

    GC_ERROR FlushEvents() override
    {
        ScopedLock lock(m_signal.GetLock());
        if (!m_queue.empty())
            LogLine("Event", LOG_DEBUG, "Flushing " + std::to_string(m_queue.size()) + " events");
        ReleaseAll();
        return GC_ERR_SUCCESS;
    }

    // Exactly one current or next GetEventData ends with -1012.
    GC_ERROR KillEvent() override
    {
        ScopedLock lock(m_signal.GetLock());
        m_signal.Kill();
        return GC_ERR_SUCCESS;
    }

    void AbortWaits() override
    {
        ScopedLock lock(m_signal.GetLock());
        m_signal.Abort();
    }

    uint64_t QueueLength()
    {
        ScopedLock lock(m_signal.GetLock());
        return m_queue.size();
    }

    // Items handed out by GetEventData.
    uint64_t DeliveredCount()
    {
        ScopedLock lock(m_signal.GetLock());
        return m_delivered;
    }

    // Items handed out by GetEventData since the last call.
    uint64_t TakeDeliveredCount()
    {
        ScopedLock lock(m_signal.GetLock());
        return std::exchange(m_delivered, 0);
    }

protected:
    // Copies the item into the consumer's buffer; on failure the item stays
    // queued.
    virtual GC_ERROR CopyEventData(T& item, void* buffer, size_t* size) = 0;
    // For items that leave the queue without being copied out.
    virtual void ReleaseEventItem(T&) {}
    virtual void StoreEventData(T& target, const T& source) { target = source; }

    static GC_ERROR BufferTooSmall()
    {
        return ReportError(GC_ERR_BUFFER_TOO_SMALL, "EventGetData: the buffer is too small to hold the data.");
    }

private:
    void ReleaseAll()
    {
        for (T& item : m_queue)
            ReleaseEventItem(item);
        m_queue.clear();
    }

    std::deque<T> m_queue;
    const bool m_alwaysAccepting;
    bool m_open = false;
    uint64_t m_fired = 0;
    uint64_t m_delivered = 0;
    EventSignal m_signal;
};

}  // namespace GenTLCore
