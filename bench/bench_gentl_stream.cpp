// bench-links: gentl_test_backend
// The producer's hot path: 8 MiB buffers cycling through queue, delivery by
// the acquisition thread and requeue on the test back end's engine (which
// fills every scheduled buffer at once, without touching its data), against
// a bare condition-variable hand-off between two threads measured in the
// same run. Printed at the end: per-buffer cost / hand-off cost (target
// <= 2).
#include "BenchHandOff.h"

#include <benchmark/benchmark.h>

#include "GenTLEvent.h"
#include "TestBranding.h"
#include "TestDataStream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

constexpr uint64_t kBufferBytes = 8ull << 20;

double g_handOffNs = 0;
double g_cycleNs[8] = {};

void BM_HandOff(benchmark::State& state) { RunHandOff(state, &g_handOffNs); }

// One buffer delivered (EventGetData) and queued again per iteration.
void BM_StreamCycle(benchmark::State& state)
{
    TestBranding::Install();
    const size_t count = static_cast<size_t>(state.range(0));
    TestDataStream stream;
    stream.autoComplete = true;
    stream.payloadSize = kBufferBytes;
    stream.InitPortURLsOnce();
    stream.OpenLocked();
    CountedPtr<GenTLEvent> output;
    stream.RegisterEvent(EVENT_NEW_BUFFER, &output);
    output->OpenLocked();
    std::vector<CountedPtr<GenTLBuffer>> buffers(count);
    for (CountedPtr<GenTLBuffer>& buffer : buffers) {
        stream.AllocAndAnnounceBuffer(kBufferBytes, nullptr, &buffer);
        stream.QueueBuffer(buffer.Get());
    }
    if (stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited) != GC_ERR_SUCCESS) {
        state.SkipWithError("the stream did not start");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        S_EVENT_NEW_BUFFER item{};
        size_t size = sizeof item;
        if (output->GetEventData(&item, &size, GENTL_INFINITE) != GC_ERR_SUCCESS) {
            state.SkipWithError("no buffer delivered");
            break;
        }
        stream.QueueBuffer(GenTLBuffer::FromHandle(item.BufferHandle));
    }
    KeepBest(&g_cycleNs[count], NsPerItem(start, state));
    stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT);
    stream.CloseLocked();
}

BENCHMARK(BM_HandOff)->Repetitions(3)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_StreamCycle)->Arg(1)->Arg(4)->Repetitions(3)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_handOffNs > 0) {
        std::printf("\nPer 8 MiB buffer, queue-deliver-requeue / bare hand-off (best of 3, target <= 2):\n");
        for (int count : {1, 4}) {
            if (g_cycleNs[count] > 0)
                std::printf("  %d buffer(s) cycling: %.2f  (%.1f us vs %.1f us)\n", count, g_cycleNs[count] / g_handOffNs,
                            g_cycleNs[count] / 1e3, g_handOffNs / 1e3);
        }
    }
    benchmark::Shutdown();
    return 0;
}
