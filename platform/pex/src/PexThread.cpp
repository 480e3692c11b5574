#include "PexThread.h"

#include "PexApplication.h"
#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexHooks.h"
#include "PexLibrary.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace platform::pex {

namespace {

thread_local PEX_ID t_selected = PEX_DEFAULT;

// How long a grab waits for a frame due at `due` before it looks again: until
// the due time, however close (the camera has the frame from its due time on,
// so the grab does not wait twice), but never longer than a minute, so the
// time arithmetic cannot overflow whatever the due time.
std::chrono::duration<double> untilDue(double due, double now)
{
    return std::chrono::duration<double>(std::min(due - now, 60.0));
}

// Fires the hooks of an event on objects, one type after the other.
void deliver(const PexEventInfo& info, const std::vector<std::pair<PEX_ID, PEX_INT>>& hooks)
{
    PexHooks& h = PexHooks::instance();
    const PEX_ID event = h.beginEvent(info);
    for (const auto& hook : hooks)
        h.fire(hook.first, hook.second, event);
    h.endEvent(event);
}

void finish(PexLibrary& lib, PexDigitizer* dig)
{
    --dig->outstanding;
    lib.changed.notify_all();
}

}  // namespace

PEX_ID PexThread::selected() { return t_selected; }

void PexGrabEngine::dropPending(PexThread& thread, PEX_ID digitizer, bool dropWaits)
{
    for (auto it = thread.queue.begin(); it != thread.queue.end();) {
        if (!it->wait && (digitizer == 0 || it->digitizer == digitizer)) {
            thread.cancels.push_back(*it);
            it = thread.queue.erase(it);
        } else if (it->wait && dropWaits) {
            it = thread.queue.erase(it);
        } else {
            ++it;
        }
    }
}

void PexGrabEngine::cancelGrab(std::unique_lock<std::mutex>& lock, const PexQueuedOp& op)
{
    PexLibrary& lib = PexLibrary::instance();
    PexDigitizer* dig = PexLibrary::find(lib.digitizers, op.digitizer);
    if (!dig)
        return;
    PexBuffer* buf = PexLibrary::find(lib.buffers, op.buffer);
    if (buf && !buf->freeing && !dig->camera->config().silentAbort) {
        PexEventInfo info;
        dig->stampEvent(&info);
        lock.unlock();
        deliver(info, {{op.buffer, code::kHookCancelled}});
        lock.lock();
    }
    finish(lib, dig);
}

void PexGrabEngine::runGrab(std::unique_lock<std::mutex>& lock, const PexQueuedOp& op, PexThread* thread)
{
    PexLibrary& lib = PexLibrary::instance();
    PexDigitizer* dig = PexLibrary::find(lib.digitizers, op.digitizer);
    if (!dig)
        return;
    PexBuffer* buf = PexLibrary::find(lib.buffers, op.buffer);
    if (!buf || buf->freeing) {
        finish(lib, dig);
        return;
    }
    const uint64_t aborts = dig->abortCount;
    auto stopped = [&] {
        return dig->abortCount != aborts || dig->stopping || (thread && thread->stopping) || buf->freeing;
    };
    buf->busy = true;

    PexEventInfo start;
    dig->stampEvent(&start);
    start.values[code::kInfoFrameCounter] = int64_t(dig->camera->frameCounter());
    lock.unlock();
    deliver(start, {{op.digitizer, code::kHookGrabStart}});
    lock.lock();

    // Wait for the camera's next frame.
    uint64_t frame = 0;
    bool aborted = false;
    for (;;) {
        if (stopped()) {
            aborted = true;
            break;
        }
        double due = 0.0;
        const double now = PexLibrary::now();
        if (dig->camera->takeFrame(now, &frame, &due))
            break;
        if (due > 0.0)
            lib.changed.wait_for(lock, untilDue(due, now));
        else
            lib.changed.wait(lock);
    }
    if (aborted) {
        const bool freeing = buf->freeing;
        buf->busy = false;
        lib.changed.notify_all();
        if (freeing)
            finish(lib, dig);
        else
            cancelGrab(lock, op);
        return;
    }

    PexRenderJob job = dig->job(frame);
    job.data = buf->data;
    job.bufferWidth = uint32_t(buf->width);
    job.bufferHeight = uint32_t(buf->height);
    job.bufferBands = uint32_t(buf->bands);
    job.bufferElementBytes = uint32_t(buf->elementBytes);
    job.pitch = size_t(buf->pitch);
    if (PexBuffer* c = dig->coefficients ? PexLibrary::find(lib.buffers, dig->coefficients) : nullptr)
        std::copy_n(reinterpret_cast<const float*>(c->data), 3, job.coefficients);
    // A timer set to run around each exposure ends before the frame comes.
    const int timer = dig->camera->config().exposureTimer;
    if (timer)
        ++dig->timers[timer - 1];
    PexEventInfo info;
    dig->stampEvent(&info);
    info.values[code::kInfoFrameCounter] = int64_t(frame);
    info.values[code::kInfoGrabStatus] = 0;
    info.values[code::kInfoOffsetX] = job.roiX;
    info.values[code::kInfoOffsetY] = job.roiY;
    for (int e = 0; e < 4; ++e) {
        info.values[code::kInfoEncoder1 + 0x10 * e] = dig->encoders[e];
        info.values[code::kInfoTimer1 + e] = dig->timers[e];
    }
    lock.unlock();

    const uint32_t lines = PexFramePattern::render(job);
    info.timeStamp = PexLibrary::now();
    info.values[code::kInfoWidth] = std::min(PexFramePattern::outputWidth(job), job.bufferWidth);
    info.values[code::kInfoHeight] = lines;
    info.values[code::kInfoLines] = lines;
    info.values[code::kInfoLineEnd] = lines;
    info.values[code::kInfoLine] = int64_t(lines) - 1;

    lock.lock();
    buf->busy = false;
    lib.changed.notify_all();
    lock.unlock();
    std::vector<std::pair<PEX_ID, PEX_INT>> hooks;
    if (timer) {
        hooks.push_back({op.digitizer, code::kHookTimerStart1 + timer - 1});
        hooks.push_back({op.digitizer, code::kHookTimerEnd1 + timer - 1});
    }
    for (PEX_INT type : {code::kHookFrameStart, code::kHookLineEnd, code::kHookFrameEnd, code::kHookGrabEnd})
        hooks.push_back({op.digitizer, type});
    hooks.push_back({op.buffer, code::kHookModified});
    deliver(info, hooks);
    lock.lock();
    finish(lib, dig);
}

void PexGrabEngine::workerMain(PexThread* thread)
{
    PexLibrary& lib = PexLibrary::instance();
    std::unique_lock<std::mutex> lock(lib.mutex);
    for (;;) {
        if (!thread->cancels.empty()) {
            const PexQueuedOp op = thread->cancels.front();
            thread->cancels.pop_front();
            cancelGrab(lock, op);
            continue;
        }
        if (thread->stopping)
            break;
        if (!thread->queue.empty()) {
            const PexQueuedOp op = thread->queue.front();
            if (!op.wait) {
                thread->queue.pop_front();
                runGrab(lock, op, thread);
                continue;
            }
            PexThread* event = PexLibrary::find(lib.threads, op.event);
            if (!event || event->set) {
                thread->queue.pop_front();
                continue;
            }
        }
        lib.changed.wait(lock);
    }
    if (thread->ownedByWorker)
        delete thread;
}

bool PexThread::release(PEX_ID id, bool autoFree)
{
    PexLibrary& lib = PexLibrary::instance();
    std::unique_lock<std::mutex> lock(lib.mutex);
    PexThread* thread = PexLibrary::find(lib.threads, id);
    if (!thread || thread->stopping)
        return false;
    if (!thread->isEvent) {
        PexGrabEngine::dropPending(*thread, 0, true);
        thread->stopping = true;
        lib.changed.notify_all();
        if (thread->workerId == std::this_thread::get_id()) {
            // Freed from one of its own callbacks: the worker goes on to
            // report the pending grabs, then ends and deletes the object.
            thread->worker.detach();
            thread->ownedByWorker = true;
            lib.threads[id].release();
        } else {
            lock.unlock();
            thread->worker.join();
            lock.lock();
        }
    }
    lib.threads.erase(id);
    if (autoFree)
        lib.autoFreed.insert(id);
    lib.changed.notify_all();
    return true;
}

}  // namespace platform::pex

using namespace platform::pex;

namespace {

PexThread* findThread(PexLibrary& lib, PEX_ID id, bool event, const wchar_t* operation, PexFailure& failure)
{
    PexThread* thread = PexLibrary::find(lib.threads, id);
    if (thread && thread->stopping)
        thread = nullptr;  // being freed
    if (!thread || thread->isEvent != event)
        failure.set(id, code::kErrInvalidId,
                    std::wstring(operation) + (event ? L": invalid event identifier." : L": invalid thread identifier."));
    return thread && thread->isEvent == event ? thread : nullptr;
}

}  // namespace

extern "C" {

PEX_ID PexThrAlloc(PEX_ID system, PEX_INT kind, PEX_INT mode, PEX_INT a, PEX_INT b, PEX_INT c)
{
    (void)a;
    (void)b;
    (void)c;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_ID id = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!PexLibrary::find(lib.systems, system)) {
            failure.set(system, code::kErrInvalidId, L"PexThrAlloc: invalid system identifier.");
        } else if (kind != code::kThrSelectable && kind != code::kThrEvent) {
            failure.set(system, code::kErrInvalidValue, L"PexThrAlloc: unknown thread object kind.");
        } else {
            auto thread = std::make_unique<PexThread>();
            thread->id = id = PexLibrary::newId();
            thread->system = system;
            thread->isEvent = kind == code::kThrEvent;
            PexThread* t = thread.get();
            lib.threads[id] = std::move(thread);
            if (!t->isEvent) {
                t->worker = std::thread(&PexGrabEngine::workerMain, t);
                t->workerId = t->worker.get_id();
            }
        }
    }
    PexCallLog::instance().add("PexThrAlloc", system, kind, PEX_INT(id));
    (void)mode;
    failure.raise();
    return id;
}

void PexThrFree(PEX_ID thread)
{
    PexCallLog::instance().add("PexThrFree", thread, 0, 0);
    if (PexThread::release(thread, false))
        return;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!lib.autoFreed.count(thread))
            failure.set(thread, code::kErrInvalidId, L"PexThrFree: invalid thread identifier.");
    }
    failure.raise();
}

void PexThrControl(PEX_ID thread, PEX_INT code, PEX_INT value)
{
    PexCallLog::instance().add("PexThrControl", thread, code, value);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (code == code::kThrSelect) {
            if (thread == PEX_ID(PEX_DEFAULT))
                t_selected = PEX_DEFAULT;
            else if (findThread(lib, thread, false, L"PexThrControl", failure))
                t_selected = thread;
        } else if (code == code::kThrEventControl) {
            if (PexThread* event = findThread(lib, thread, true, L"PexThrControl", failure)) {
                if (value == code::kThrEventSet || value == code::kThrEventClear)
                    event->set = value == code::kThrEventSet;
                else
                    failure.set(thread, code::kErrInvalidValue, L"PexThrControl: invalid event operation.");
            }
        } else if (code == code::kThrDropPending) {
            if (PexThread* worker = findThread(lib, thread, false, L"PexThrControl", failure))
                PexGrabEngine::dropPending(*worker, 0, true);
        } else {
            failure.set(thread, code::kErrInvalidCode, L"PexThrControl: unknown control type.");
        }
        lib.changed.notify_all();
    }
    failure.raise();
}

void PexThrWait(PEX_ID event, PEX_INT mode, void* reserved)
{
    (void)mode;
    (void)reserved;
    PexCallLog::instance().add("PexThrWait", event, mode, 0);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::unique_lock<std::mutex> lock(lib.mutex);
        if (findThread(lib, event, true, L"PexThrWait", failure)) {
            if (t_selected != PEX_ID(PEX_DEFAULT)) {
                if (PexThread* worker = findThread(lib, t_selected, false, L"PexThrWait", failure)) {
                    PexQueuedOp op;
                    op.wait = true;
                    op.event = event;
                    worker->queue.push_back(op);
                    lib.changed.notify_all();
                }
            } else {
                lib.changed.wait(lock, [&] {
                    PexThread* e = PexLibrary::find(lib.threads, event);
                    return !e || e->set;
                });
            }
        }
    }
    failure.raise();
}

void PexDigGrab(PEX_ID digitizer, PEX_ID buffer)
{
    PexCallLog::instance().add("PexDigGrab", digitizer, PEX_INT(buffer), 0);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::unique_lock<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = PexLibrary::find(lib.digitizers, digitizer);
        PexBuffer* buf = PexLibrary::find(lib.buffers, buffer);
        PexQueuedOp op;
        op.digitizer = digitizer;
        op.buffer = buffer;
        if (!dig || dig->stopping) {
            failure.set(digitizer, code::kErrInvalidId, L"PexDigGrab: invalid digitizer identifier.");
        } else if (!buf || buf->freeing || buf->type == code::kBufFloat32) {
            failure.set(buffer, code::kErrInvalidId, L"PexDigGrab: invalid image buffer identifier.");
        } else if (t_selected != PEX_ID(PEX_DEFAULT)) {
            if (PexThread* worker = findThread(lib, t_selected, false, L"PexDigGrab", failure)) {
                ++dig->outstanding;
                worker->queue.push_back(op);
                lib.changed.notify_all();
            }
        } else {
            ++dig->outstanding;
            PexGrabEngine::runGrab(lock, op, nullptr);
        }
    }
    failure.raise();
}

}  // extern "C"
