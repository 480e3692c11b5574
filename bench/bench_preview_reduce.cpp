// bench-links: lumadeck_app ZTCam
// The preview's 8-bit reduction of a 2048 x 2048 16-bit frame against a
// memcpy of the same bytes, and the capture threads' sustained rate with four
// simulated 2048 x 2048 16-bit cameras. Ratios are printed as counters:
//   BM_Reduce*: "vs_memcpy" = reduction time / memcpy time (same run).
//   BM_FourCameras: "shown_ratio" = frames shown / frames delivered.
#include <benchmark/benchmark.h>

#include "BenchApp.h"
#include "BenchTiming.h"

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "CZTCamView.h"
#include "CZTThdCapture.h"
#include "DrawView.h"
#include "MainWindow.h"
#include "UserPrompt.h"

namespace {

constexpr int kSide = 2048;
constexpr size_t kPixels = static_cast<size_t>(kSide) * kSide;

struct Frames {
    std::vector<uint8_t> src = std::vector<uint8_t>(kPixels * 2);
    std::vector<uint8_t> copy = std::vector<uint8_t>(kPixels * 2);
    std::vector<uint8_t> out = std::vector<uint8_t>(kPixels);
    Frames()
    {
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    }
};

Frames& frames()
{
    static Frames f;
    return f;
}

void reduceBench(benchmark::State& state, int shift)
{
    Frames& f = frames();
    for (auto _ : state) {
        CZTThdCapture::reduceTo8Bit(f.src.data(), f.out.data(), kSide, kSide, 1, 2, shift);
        benchmark::DoNotOptimize(f.out.data());
        benchmark::ClobberMemory();
    }
    // Baseline in the same run: a memcpy of the same 16-bit frame.
    const double copy = secondsPer(20, [&] {
        std::memcpy(f.copy.data(), f.src.data(), f.src.size());
        benchmark::DoNotOptimize(f.copy.data());
        benchmark::ClobberMemory();
    });
    const double reduce = secondsPer(20, [&] {
        CZTThdCapture::reduceTo8Bit(f.src.data(), f.out.data(), kSide, kSide, 1, 2, shift);
        benchmark::DoNotOptimize(f.out.data());
        benchmark::ClobberMemory();
    });
    state.counters["vs_memcpy"] = reduce / copy;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.src.size()));
}

void BM_ReduceShift4(benchmark::State& state) { reduceBench(state, 4); }
void BM_ReduceHighByte(benchmark::State& state) { reduceBench(state, 0); }
void BM_Memcpy16BitFrame(benchmark::State& state)
{
    Frames& f = frames();
    for (auto _ : state) {
        std::memcpy(f.copy.data(), f.src.data(), f.src.size());
        benchmark::DoNotOptimize(f.copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.src.size()));
}

// Answers every box without showing it; accepts "all cameras".
class SilentPrompt : public UserPrompt {
public:
    void about(QWidget*, const QString&, const QString&) override {}
    int execMessageBox(QMessageBox&) override { return 0; }
    int execDialog(QDialog&) override { return 1; }
};

void BM_FourCameras(benchmark::State& state)
{
    benchApplication();
    SilentPrompt prompt;
    UserPrompt::setInstance(&prompt);
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    MainWindow::setExitWaitMs(0);
    const double rate = static_cast<double>(state.range(0));
    QByteArray config;
    for (int i = 0; i < 4; ++i)
        config += QByteArray("[camera]\nsensor_width=2048\nsensor_height=2048\npixel_format=Mono 12\nframe_rate=") +
                  QByteArray::number(rate) + "\n";
    ZTCamSim_UseConfigText(config.constData());

    double delivered = 0, shown = 0, seconds = 0;
    for (auto _ : state) {
        auto window = std::make_unique<MainWindow>();
        QElapsedTimer wait;
        wait.start();
        while (window->m_vecCapThread.size() < 4 && wait.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (window->m_vecCapThread.size() < 4) {
            state.SkipWithError("cameras did not open");
            break;
        }
        window->m_nPreviewFps = 1000;
        window->m_bLive = true;
        std::vector<int> paints(4, 0);
        for (int i = 0; i < 4; ++i) {
            DrawView* dv = window->m_vecCamView[i]->drawView();
            // Every painted frame sends the (empty) mark once.
            dv->SlotStartMark(true);
            QObject::connect(dv, &DrawView::SignalSendMarkPos, window.get(), [&paints, i] { ++paints[i]; });
            window->m_vecCapThread[i]->openCapture(window.get());
            window->m_vecCamView[i]->startDisplayTimer();
            window->m_vecCapThread[i]->startThread();
        }
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        seconds += run.elapsed() / 1000.0;
        window->m_bLive = false;
        for (int i = 0; i < 4; ++i) {
            window->m_vecCapThread[i]->stopThread();
            delivered += static_cast<double>(window->m_vecCapThread[i]->frameCounter());
            window->m_vecCapThread[i]->closeCapture();
            window->m_vecCamView[i]->stopDisplayTimer();
            shown += paints[i];
        }
        window.reset();
    }
    state.counters["delivered_fps_total"] = seconds > 0 ? delivered / seconds : 0;
    state.counters["shown_ratio"] = delivered > 0 ? shown / delivered : 0;
    ZTCamSim_UseConfigText(nullptr);
    QDir::setCurrent(old);
    UserPrompt::setInstance(nullptr);
}

}  // namespace

BENCHMARK(BM_Memcpy16BitFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReduceShift4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReduceHighByte)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FourCameras)->Arg(25)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
