// bench-links: FrameSpool
//
// Stack files of 2048 x 2048 16-bit frames, 100 frames a file, written
// through FrameSpool against plain sequential writes of the same bytes into
// the same folder (below /tmp), and the cost of Append_FileBuffer per frame
// against a memcpy of the frame. Ratios are printed at the end of the run.
#include "FrameSpool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWidth = 2048, kHeight = 2048, kBits = 16;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * kBits / 8;
constexpr int kFramesPerFile = 100;
constexpr int kSourceFrames = 4;  // like a camera's ring of announced buffers

std::string g_dir;
std::vector<std::vector<uint8_t>> g_frames;
// Best bytes per second of single series by {spool, tiff, files}.
std::map<std::tuple<int, int, int>, double> g_bestRate;
double g_appendNs = 0, g_memcpyNs = 0;

void setUp()
{
    char pattern[] = "/tmp/framespool-bench-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    g_dir = dir;
    for (int i = 0; i < kSourceFrames; ++i) {
        std::vector<uint8_t> frame(kFrameBytes);
        for (size_t j = 0; j < kFrameBytes; ++j)
            frame[j] = static_cast<uint8_t>(j * 31 + i * 7);
        g_frames.push_back(std::move(frame));
    }
}

void removeFiles()
{
    for (const auto& entry : std::filesystem::directory_iterator(g_dir))
        std::filesystem::remove(entry.path());
}

std::string filePath(int file, const char* ext) { return g_dir + "/stack" + std::to_string(file) + ext; }

// Plain writes: one sequential write per frame (and per TIFF page's 162
// bytes of directory), the same byte count as FrameSpool writes.
void plainWrites(bool tiff, int files)
{
    static const std::vector<uint8_t> ifd(162, 0);
    static const uint8_t header[8] = {'I', 'I', 42, 0, 0, 0, 0, 0};
    for (int file = 0; file < files; ++file) {
        std::FILE* out = std::fopen(filePath(file, tiff ? ".tif" : ".raw").c_str(), "wb");
        if (!out)
            std::exit(2);
        std::setvbuf(out, nullptr, _IONBF, 0);
        if (tiff)
            std::fwrite(header, 1, sizeof header, out);
        for (int frame = 0; frame < kFramesPerFile; ++frame) {
            std::fwrite(g_frames[frame % kSourceFrames].data(), 1, kFrameBytes, out);
            if (tiff)
                std::fwrite(ifd.data(), 1, ifd.size(), out);
        }
        if (std::fclose(out) != 0)
            std::exit(2);
    }
}

void spoolWrites(bool tiff, int files)
{
    const char* ext = tiff ? ".tif" : ".raw";
    const int slot = tiff ? 1 : 0;
    for (int file = 0; file < files; ++file) {
        const std::string path = filePath(file, ext);
        const bool ok = file == 0 ? Init_FrameSpool(path.c_str(), kWidth, kHeight, 1, kBits, kFramesPerFile,
                                                    files, slot)
                                  : Open_FrameSpool(path.c_str(), slot);
        if (!ok)
            std::exit(3);
        for (int frame = 0; frame < kFramesPerFile; ++frame)
            Append_FileBuffer(g_frames[frame % kSourceFrames].data(), static_cast<int32_t>(kFrameBytes), slot);
        if (file + 1 < files)
            Close_FrameSpool(slot);
    }
    if (!Uninit_FrameSpool(slot))  // returns once every file is on disk
        std::exit(3);
}

// Bytes of a series of files, as FrameSpool and the plain writes put them on disk.
double seriesBytes(bool tiff, int files)
{
    return double(files) * kFramesPerFile * (kFrameBytes + (tiff ? 162 : 0)) + (tiff ? 8 * files : 0);
}

// Seconds of one series written the plain way or through FrameSpool, from
// an empty folder with nothing of earlier runs left to write back.
double timeSeries(bool spool, bool tiff, int files)
{
    removeFiles();
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    if (spool)
        spoolWrites(tiff, files);
    else
        plainWrites(tiff, files);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Plain writes and FrameSpool write the same series side by side: every
// iteration times both, taking turns at going first, so that neither always
// finds the memory and the disk as the other one left them. The reported
// time is the FrameSpool one; the best rate of each side goes to the ratios.
void BM_Write(benchmark::State& state)
{
    const bool tiff = state.range(0) != 0;
    const int files = static_cast<int>(state.range(1));
    const double bytes = seriesBytes(tiff, files);
    double& bestPlain = g_bestRate[{0, tiff, files}];
    double& bestSpool = g_bestRate[{1, tiff, files}];
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        double spoolSeconds = 0, plainSeconds = 0;
        if (turn++ % 2 == 0) {
            plainSeconds = timeSeries(false, tiff, files);
            spoolSeconds = timeSeries(true, tiff, files);
        } else {
            spoolSeconds = timeSeries(true, tiff, files);
            plainSeconds = timeSeries(false, tiff, files);
        }
        state.SetIterationTime(spoolSeconds);
        bestPlain = std::max(bestPlain, bytes / plainSeconds);
        bestSpool = std::max(bestSpool, bytes / spoolSeconds);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    state.SetLabel(std::string(tiff ? "tif " : "raw ") + std::to_string(files) + " files, FrameSpool");
}

// Append of one frame into a ring buffer whose pages are already in use,
// against memcpy of the frame into such memory. The files go to /dev/null.
void BM_Append(benchmark::State& state)
{
    const std::string sink = g_dir + "/null.raw";
    std::filesystem::remove(sink);
    std::filesystem::create_symlink("/dev/null", sink);
    if (!Init_FrameSpool(sink.c_str(), kWidth, kHeight, 1, kBits, kFramesPerFile, 1, 2))
        std::exit(4);
    int frame = 0;
    // Touch both buffers of the ring once before measuring.
    for (int i = 0; i < 2 * kFramesPerFile; ++i) {
        Append_FileBuffer(g_frames[i % kSourceFrames].data(), static_cast<int32_t>(kFrameBytes), 2);
        if ((i + 1) % kFramesPerFile == 0)
            Close_FrameSpool(2);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Append_FileBuffer(g_frames[frame % kSourceFrames].data(), static_cast<int32_t>(kFrameBytes), 2));
        if (++frame == kFramesPerFile) {
            state.PauseTiming();
            Close_FrameSpool(2);
            frame = 0;
            state.ResumeTiming();
        }
    }
    Uninit_FrameSpool(2);
    std::filesystem::remove(sink);
    state.SetBytesProcessed(static_cast<int64_t>(kFrameBytes) * state.iterations());
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint8_t> file(kFrameBytes * kFramesPerFile, 1);  // touched like a used ring buffer
    int frame = 0;
    for (auto _ : state) {
        std::memcpy(file.data() + frame * kFrameBytes, g_frames[frame % kSourceFrames].data(), kFrameBytes);
        benchmark::ClobberMemory();
        if (++frame == kFramesPerFile)
            frame = 0;
    }
    state.SetBytesProcessed(static_cast<int64_t>(kFrameBytes) * state.iterations());
}

// A series of 3 files fills mostly fresh memory; in a series of 12 files the
// ring's buffers are reused and the page cache has to reach the disk.
BENCHMARK(BM_Write)->Args({0, 3})->Args({1, 3})->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write)->Args({0, 12})->Args({1, 12})->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Repetitions(3)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Memcpy)->Repetitions(3)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Collects the figures of the finished runs for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const std::string name = run.benchmark_name();
            const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (name.rfind("BM_Append", 0) == 0) {
                g_appendNs = g_appendNs > 0 ? std::min(g_appendNs, seconds * 1e9) : seconds * 1e9;
            } else if (name.rfind("BM_Memcpy", 0) == 0) {
                g_memcpyNs = g_memcpyNs > 0 ? std::min(g_memcpyNs, seconds * 1e9) : seconds * 1e9;
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    setUp();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);

    std::printf("\nWrite rate, FrameSpool / plain sequential writes (best series of each, target >= 0.9):\n");
    for (const auto& [key, spoolRate] : g_bestRate) {
        const auto [spool, tiff, files] = key;
        const auto plain = g_bestRate.find({0, tiff, files});
        if (!spool || plain == g_bestRate.end() || plain->second <= 0)
            continue;
        std::printf("  %s, %2d files of 100 frames: %.3f  (%.0f MB/s vs %.0f MB/s)", tiff ? "tif" : "raw", files,
                    spoolRate / plain->second, spoolRate / 1e6, plain->second / 1e6);
        // A whole-file spool writes nothing before the first file is filled:
        // with few files the bound is the plain time plus one file's copy.
        if (files < 4 && g_memcpyNs > 0) {
            const double bytes = seriesBytes(tiff, files);
            const double boundSeconds = bytes / plain->second + g_memcpyNs * 1e-9 * kFramesPerFile;
            std::printf("; of the bound (plain + one file's memcpy, %.0f MB/s): %.3f", bytes / boundSeconds / 1e6,
                        spoolRate * boundSeconds / bytes);
        }
        std::printf("\n");
    }
    if (g_appendNs > 0 && g_memcpyNs > 0)
        std::printf("Append_FileBuffer per 8 MiB frame / memcpy of the frame (best of 3): %.3f  (%.0f us vs %.0f us)\n",
                    g_appendNs / g_memcpyNs, g_appendNs / 1e3, g_memcpyNs / 1e3);
    benchmark::Shutdown();
    return 0;
}
