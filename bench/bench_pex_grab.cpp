// bench-links: platform_pex
// Frames of 2048 x 2048 16-bit grabbed by the simulated frame grabber into
// library buffers through a thread object (camera running free), as a ratio
// to a memcpy of the same bytes into as many destination buffers in turn
// (the same memory footprint) measured in the same run. The stand-in must
// never be what limits the producer: the target is at most 2.
// And small frames (64 x 64 Mono8) from a camera at 10 kHz, its top rate, and
// at 1 kHz, grabbed with grabs always queued: the frames delivered per second
// as a ratio to the declared rate (target: at least 0.95 at both rates).
#include "BenchTiming.h"

#include <platform/pex/PexTest.h>

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr PEX_INT kSide = 2048;
constexpr size_t kBytes = size_t(kSide) * kSide * 2;
constexpr int kBuffers = 4;  // frames in flight, as a stream keeps them

// One grabber set up for side x side frames of the camera `config`
// describes, grabbed into buffers of `bits` per pixel; acquiring.
class Grabber {
public:
    Grabber(const std::string& config, PEX_INT side, PEX_INT bits)
    {
        PexTestConfigure(config.c_str());
        m_system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr);
        m_digitizer = PexDigAlloc(m_system, 0, L"PX_DEFAULT", 4096, nullptr);
        m_thread = PexThrAlloc(m_system, 4096, PEX_DEFAULT, 0, 0, 0);
        for (int i = 0; i < kBuffers; ++i) {
            m_buffers.push_back(PexBufAllocColor(m_system, 1, side, side, bits, 12, nullptr));
            PexBufHookFunction(m_buffers.back(), 21, &Grabber::onModified, this);
        }
        const uint8_t start[4] = {0, 0, 0, 1};
        PexDigRegWrite(m_digitizer, 0x1B05, L"0x3038", 4, start);
    }
    ~Grabber()
    {
        PexThrFree(m_thread);
        PexSysFree(m_system);
        PexTestConfigure("");
    }
    // Grabs n frames, keeping every buffer queued, and waits for the last.
    void grab(int n)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = 0;
        }
        PexThrControl(m_thread, 1708, PEX_DEFAULT);
        for (int i = 0; i < n; ++i)
            PexDigGrab(m_digitizer, m_buffers[size_t(i) % m_buffers.size()]);
        PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_done == n; });
    }

private:
    static PEX_INT onModified(PEX_INT, PEX_ID, void* user)
    {
        auto* g = static_cast<Grabber*>(user);
        std::lock_guard<std::mutex> lock(g->m_mutex);
        ++g->m_done;
        g->m_changed.notify_all();
        return 0;
    }

    PEX_ID m_system = 0;
    PEX_ID m_digitizer = 0;
    PEX_ID m_thread = 0;
    std::vector<PEX_ID> m_buffers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_done = 0;
};

// One frame copied into the next of kBuffers destinations.
class Copier {
public:
    Copier() : m_src(kBytes, 1), m_dst(kBuffers, std::vector<uint8_t>(kBytes)) {}
    void copy()
    {
        std::memcpy(m_dst[m_next].data(), m_src.data(), kBytes);
        m_next = (m_next + 1) % m_dst.size();
        benchmark::ClobberMemory();
    }

private:
    std::vector<uint8_t> m_src;
    std::vector<std::vector<uint8_t>> m_dst;
    size_t m_next = 0;
};

void BM_Memcpy(benchmark::State& state)
{
    Copier copier;
    for (auto _ : state)
        copier.copy();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

void BM_PexGrab(benchmark::State& state)
{
    Grabber grabber("[camera]\nwidth = 2048\nheight = 2048\npixel_format = Mono16\nframe_rate = 0\n", kSide, 16);
    for (auto _ : state)
        grabber.grab(kBuffers);
    state.SetBytesProcessed(int64_t(state.iterations()) * kBuffers * int64_t(kBytes));

    // Ratio to a memcpy of the same bytes, measured right here.
    Copier copier;
    copier.copy();  // warm up
    const double copyTime = secondsPer(20, [&] { copier.copy(); });
    grabber.grab(kBuffers);
    const double frameTime = secondsPer(5, [&] { grabber.grab(kBuffers); }) / kBuffers;
    state.counters["ratio_to_memcpy"] = frameTime / copyTime;
}
BENCHMARK(BM_PexGrab)->Unit(benchmark::kMicrosecond);

// A quarter of a second of frames per iteration at the declared rate.
void BM_PexRate(benchmark::State& state)
{
    const int rate = int(state.range(0));
    Grabber grabber("[camera]\nwidth = 64\nheight = 64\npixel_format = Mono8\nframe_rate = " + std::to_string(rate) +
                        "\n",
                    64, 8);
    const int frames = rate / 4;
    grabber.grab(frames);  // the camera has reached its steady pace
    double seconds = 0;
    for (auto _ : state)
        seconds += secondsPer(1, [&] { grabber.grab(frames); });
    state.counters["delivered_per_declared"] = double(state.iterations()) * frames / seconds / rate;
}
BENCHMARK(BM_PexRate)->Arg(10000)->Arg(1000)->Iterations(8)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
