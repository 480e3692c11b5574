#include "CallGate.h"

#include <atomic>
#include <pthread.h>

namespace GenTLCore {

namespace {

std::atomic<int32_t> g_inside{0};   // threads inside a call
std::atomic<int32_t> g_shut{0};     // closers that shut the gate
std::atomic<int32_t> g_waiting{0};  // threads in AwaitOthers
thread_local int32_t t_depth = 0;   // nesting of the calling thread's calls

// Plain records without destructors: a closer may still wait on them while
// the process exits.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t g_left = PTHREAD_COND_INITIALIZER;

void LeaveOutermost()
{
    g_inside.fetch_sub(1);
    if (g_waiting.load() > 0) {
        pthread_mutex_lock(&g_lock);
        pthread_cond_broadcast(&g_left);
        pthread_mutex_unlock(&g_lock);
    }
}

}  // namespace

bool CallGate::Enter()
{
    if (t_depth > 0) {
        if (g_shut.load() > 0)
            return false;
        ++t_depth;
        return true;
    }
    // Counted before the gate is looked at, so that a closer that shuts it
    // either sees this call or is seen by it.
    g_inside.fetch_add(1);
    if (g_shut.load() > 0) {
        LeaveOutermost();
        return false;
    }
    t_depth = 1;
    return true;
}

void CallGate::Leave()
{
    if (--t_depth == 0)
        LeaveOutermost();
}

bool CallGate::Shut() { return g_shut.fetch_add(1) == 0; }

void CallGate::Open() { g_shut.fetch_sub(1); }

void CallGate::AwaitOthers()
{
    const int32_t own = t_depth > 0 ? 1 : 0;
    g_waiting.fetch_add(1);
    pthread_mutex_lock(&g_lock);
    while (g_inside.load() > own)
        pthread_cond_wait(&g_left, &g_lock);
    pthread_mutex_unlock(&g_lock);
    g_waiting.fetch_sub(1);
}

int32_t CallGate::Inside() { return g_inside.load(); }

}  // namespace GenTLCore
