#pragma once
#include "platform/pex/Pex.h"

#include <deque>
#include <mutex>
#include <thread>

namespace platform::pex {

class PexLibrary;

// Work a selectable thread object queues: a grab or a wait for an event.
struct PexQueuedOp {
    bool wait = false;
    PEX_ID digitizer = 0;
    PEX_ID buffer = 0;
    PEX_ID event = 0;
};

// A thread object: a worker with its queue, or a manual-reset event.
struct PexThread {
    // Frees a thread object: a worker is stopped (its grabs reported as
    // cancelled) and joined. False for an unknown id.
    static bool release(PEX_ID id, bool autoFree);
    // The thread object the calling thread selected (PEX_DEFAULT: none).
    static PEX_ID selected();

    PEX_ID id = 0;
    PEX_ID system = 0;
    bool isEvent = false;
    bool set = false;  // event state

    std::deque<PexQueuedOp> queue;
    std::deque<PexQueuedOp> cancels;  // grabs to report as cancelled
    bool stopping = false;
    std::thread worker;
    std::thread::id workerId;
    bool ownedByWorker = false;  // freed from its own callback: the worker deletes it
};

// Runs grabs, on a worker or on the calling thread.
class PexGrabEngine {
public:
    // Worker loop of a selectable thread object.
    static void workerMain(PexThread* thread);
    // Runs one grab; lock holds the library's lock on entry and exit.
    static void runGrab(std::unique_lock<std::mutex>& lock, const PexQueuedOp& op, PexThread* thread);
    // Reports a grab as cancelled (hook 22 on its buffer) and ends it.
    static void cancelGrab(std::unique_lock<std::mutex>& lock, const PexQueuedOp& op);
    // Moves the queued grabs of one digitizer (0: all) of a worker to its
    // cancel list and drops its waits when dropWaits.
    static void dropPending(PexThread& thread, PEX_ID digitizer, bool dropWaits);
};

}  // namespace platform::pex
