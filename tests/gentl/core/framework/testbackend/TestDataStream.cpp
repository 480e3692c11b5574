#include "TestDataStream.h"

#include "TestBuffer.h"
#include "TestStreamTag.h"

#include <chrono>

using namespace GenTLCore;

namespace GenTLTest {

namespace {
constexpr std::chrono::seconds kPatience{10};
}

TestDataStream::TestDataStream() : TestDataStream(CountedPtr<StreamTag>(new TestStreamTag("dev", "0"))) {}

TestDataStream::TestDataStream(const CountedPtr<StreamTag>& tag) : GenTLDataStream(tag), m_tag(tag) {}

TestDataStream::~TestDataStream() { StopStreaming(); }

CountedPtr<GenTLBuffer> TestDataStream::AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                             bool auxiliary)
{
    return CountedPtr<GenTLBuffer>(new TestBuffer(memory, size, userPointer, auxiliary, m_tag));
}

CountedPtr<GenTLNewBufferEvent> TestDataStream::CreateOutputQueue()
{
    return CountedPtr<GenTLNewBufferEvent>(new GenTLNewBufferEvent(!refusingOutput));
}

bool TestDataStream::StopStream()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();  // for WaitUntilIdle: streaming ended
    return true;
}

void TestDataStream::AbortTLStreaming()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborted = true;
    m_changed.notify_all();
}

void TestDataStream::ResetTLStreaming()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborted = false;
}

void TestDataStream::ScheduleBufferForAcquisition(GenTLBuffer* buffer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scheduled.push_back(buffer);
    m_changed.notify_all();
}

int32_t TestDataStream::WaitForBuffer(GenTLBuffer** buffer)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] {
        return m_aborted || m_failWait || !m_completed.empty() || (autoComplete && !m_scheduled.empty());
    });
    --m_waiting;
    if (m_aborted)
        return 1;
    if (m_failWait) {
        m_failWait = false;
        return 2;
    }
    std::deque<GenTLBuffer*>& source = m_completed.empty() ? m_scheduled : m_completed;
    GenTLBuffer* filled = source.front();
    source.pop_front();
    ++m_frames;
    m_changed.notify_all();
    lock.unlock();
    const uint64_t size = filled->GetSize();
    filled->MarkFilled({size, size, true, false});
    *buffer = filled;
    return 0;
}

void TestDataStream::ReleaseScheduledBuffers(std::vector<GenTLBuffer*>* buffers)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    buffers->insert(buffers->end(), m_completed.begin(), m_completed.end());
    buffers->insert(buffers->end(), m_scheduled.begin(), m_scheduled.end());
    m_completed.clear();
    m_scheduled.clear();
}

uint64_t TestDataStream::GetTLStatistic(int32_t kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (kind == 0)
        return m_frames;
    if (kind == 1)
        return m_scheduled.size() + m_completed.size();
    return 0;
}

size_t TestDataStream::Complete(size_t n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t done = 0;
    for (; done < n && !m_scheduled.empty(); ++done) {
        m_completed.push_back(m_scheduled.front());
        m_scheduled.pop_front();
    }
    m_changed.notify_all();
    return done;
}

void TestDataStream::FailNextWait()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failWait = true;
    m_changed.notify_all();
}

bool TestDataStream::WaitForScheduled(size_t n)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, kPatience, [&] { return m_scheduled.size() >= n; });
}

bool TestDataStream::WaitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, kPatience, [&] {
        return (m_completed.empty() && !m_failWait && m_waiting > 0) || !IsStreaming();
    });
}

size_t TestDataStream::ScheduledCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduled.size();
}

}  // namespace GenTLTest
