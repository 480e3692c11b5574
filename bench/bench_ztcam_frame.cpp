// bench-links: ztcam_core
// Cost of making one 2048 x 2048 16-bit test-pattern frame, as a ratio to a
// memcpy of the same number of bytes measured in the same run, plain and
// rendered through levels and gamma. The simulated camera must never be what
// limits the program: the target is at most 2 for both.
// A small 100 x 100 frame with automatic levels, whose levels change from
// frame to frame so that the curve is set anew each time, is given as a
// ratio to the plain frame of that size.
#include "FrameGenerator.h"
#include "PixelFormat.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kWidth = 2048;
constexpr uint32_t kHeight = 2048;
constexpr size_t kBytes = size_t(kWidth) * kHeight * 2;

double secondsPer(const std::function<void()>& op, int rounds)
{
    op();  // warm up
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        op();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / rounds;
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint8_t> src(kBytes, 1), dst(kBytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), kBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

// One frame as the camera makes it; rendered, with automatic levels taken
// from the frame and gamma and contrast set, as the frame thread does it.
std::function<void()> frameMaker(uint32_t width, uint32_t height, bool rendered, std::vector<uint8_t>& dst)
{
    ztcam::PixelFormat format;
    ztcam::PixelFormat::fromName("Mono 16", format);
    auto generator = std::make_shared<ztcam::FrameGenerator>();
    generator->configure(width, height, format);
    dst.assign(size_t(width) * height * 2, 0);
    ztcam::ToneCurve::Settings s;
    s.gamma = 150;
    s.contrast = 120;
    return [generator, rendered, s, &dst, n = uint64_t(0)]() mutable {
        if (rendered) {
            generator->percentiles(n, 2, 98, s.left, s.right);
            generator->setToneCurve(s);
        }
        generator->fill(dst.data(), dst.size(), n++, false, false, false);
        benchmark::ClobberMemory();
    };
}

void run(benchmark::State& state, const std::function<void()>& frame, size_t bytes)
{
    for (auto _ : state)
        frame();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void generate(benchmark::State& state, bool rendered)
{
    std::vector<uint8_t> dst;
    const auto frame = frameMaker(kWidth, kHeight, rendered, dst);
    run(state, frame, kBytes);

    // Ratio to a memcpy of the same bytes, measured right here.
    std::vector<uint8_t> src(kBytes, 1), copy(kBytes);
    const double copyTime = secondsPer([&] { std::memcpy(copy.data(), src.data(), kBytes); benchmark::ClobberMemory(); }, 20);
    const double frameTime = secondsPer(frame, 20);
    state.counters["ratio_to_memcpy"] = frameTime / copyTime;
}

void BM_FrameGenerate(benchmark::State& state)
{
    generate(state, false);
}
BENCHMARK(BM_FrameGenerate)->Unit(benchmark::kMicrosecond);

void BM_FrameGenerateRendered(benchmark::State& state)
{
    generate(state, true);
}
BENCHMARK(BM_FrameGenerateRendered)->Unit(benchmark::kMicrosecond);

void BM_FrameGenerateRenderedSmall(benchmark::State& state)
{
    constexpr uint32_t kSmall = 100;
    std::vector<uint8_t> dst, plainDst;
    const auto frame = frameMaker(kSmall, kSmall, true, dst);
    run(state, frame, dst.size());

    // Ratio to the plain frame of the same size, measured right here.
    const auto plain = frameMaker(kSmall, kSmall, false, plainDst);
    const double plainTime = secondsPer(plain, 2000);
    const double frameTime = secondsPer(frame, 2000);
    state.counters["ratio_to_plain"] = frameTime / plainTime;
}
BENCHMARK(BM_FrameGenerateRenderedSmall)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
