#include "ThreadHandle.h"

#include "OsResult.h"

#include <platform/os/ThreadControl.h>

#include <cstdlib>
#include <future>
#include <new>
#include <system_error>

namespace GenTLCore {

namespace {

#ifdef GENTL_FAULT_INJECTION
std::atomic<int> g_startFailures{0};

bool InjectedFailure()
{
    int pending = g_startFailures.load();
    while (pending > 0) {
        if (g_startFailures.compare_exchange_weak(pending, pending - 1))
            return true;
    }
    return false;
}
#endif

// Handed to the new thread, which copies it out and frees it.
struct StartBlock {
    ThreadHandle::Entry entry;
    void* argument;
    std::promise<int32_t> threadId;
};

void threadMain(StartBlock* block)
{
    const ThreadHandle::Entry entry = block->entry;
    void* const argument = block->argument;
    block->threadId.set_value(platform::os::currentThreadId());
    delete block;
    entry(argument);
}

}  // namespace

int32_t ThreadHandle::Create(ThreadHandle** out)
{
    if (!out)
        return OS_ERR_NO_MEMORY;
    *out = new (std::nothrow) ThreadHandle();
    return *out ? OS_OK : OS_ERR_NO_MEMORY;
}

void ThreadHandle::Destroy(ThreadHandle* record)
{
    if (!record)
        return;
    record->Close();
    delete record;
}

#ifdef GENTL_FAULT_INJECTION
void ThreadHandle::FailNextStarts(int count) { g_startFailures.store(count < 0 ? 0 : count); }
#endif

int32_t ThreadHandle::Start(Entry entry, void* argument)
{
    if (!entry || m_thread.joinable())
        return OS_ERR_THREAD_START;
#ifdef GENTL_FAULT_INJECTION
    if (InjectedFailure())
        return OS_ERR_THREAD_START;
#endif
    StartBlock* block = new (std::nothrow) StartBlock{entry, argument, {}};
    if (!block)
        return OS_ERR_THREAD_START;
    std::future<int32_t> threadId = block->threadId.get_future();
    try {
        m_thread = std::thread(threadMain, block);
    } catch (const std::system_error&) {
        delete block;
        return OS_ERR_THREAD_START;
    }
    m_waited = false;
    m_threadId.store(threadId.get());
    return OS_OK;
}

int32_t ThreadHandle::Wait()
{
    if (!m_thread.joinable() || m_thread.get_id() == std::this_thread::get_id())
        return OS_ERR_THREAD_WAIT;
    try {
        m_thread.join();
    } catch (const std::system_error&) {
        return OS_ERR_THREAD_WAIT;
    }
    m_waited = true;
    return OS_OK;
}

int32_t ThreadHandle::Close()
{
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id() || Wait() != OS_OK)
            m_thread.detach();
        m_waited = false;
        return OS_OK;
    }
    if (m_waited) {
        m_waited = false;
        return OS_OK;
    }
    return OS_ERR_CLOSE_HANDLE;
}

}  // namespace GenTLCore
