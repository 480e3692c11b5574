// bench-links: lumadeck_app ZTCam
// The device property panel on one simulated camera: building its full tree
// and one full refresh, each beside one walk of the camera's elements through
// the SDK (the least any tree build must do). Counters:
//   "ms"      = milliseconds per build or refresh;
//   "vs_walk" = that time / the time of one element walk (same run; the
//               target is at most 3 for the build).
#include <benchmark/benchmark.h>

#include "BenchApp.h"
#include "BenchTiming.h"

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <QTemporaryDir>

#include "CZTPropGrp.h"

namespace {

struct Camera {
    QTemporaryDir dir;
    QByteArray path;
    OpenedCamera opened{};

    Camera()
    {
        benchApplication();
        ZTCamSim_UseConfigText("[camera]\nsensor_width=2048\nsensor_height=2048\npixel_format=Mono 12\n");
        path = dir.path().toLocal8Bit();
        ZTCamInitParams init{};
        init.configPath = path.constData();
        ZTCAM_Api_Init(&init, 1000);
        ZTCAM_Dev_Open(&opened);
    }
    ~Camera()
    {
        ZTCAM_Dev_Close(opened.handle);
        ZTCAM_Api_Uninit();
        ZTCamSim_UseConfigText(nullptr);
    }
};

Camera& camera()
{
    static Camera c;
    return c;
}

int walkElements(ZTCamHandle handle)
{
    int count = 0;
    ZTCamElement element{};
    ZTCamStatus status = ZTCAM_GenICam_ElementAttrNext(handle, &element, "Root", ZTCAM_NODEMAP_CAMERA);
    while (status == ZTCAM_STATUS_SUCCESS && element.name) {
        ++count;
        const char* previous = element.name;
        element = ZTCamElement{};
        status = ZTCAM_GenICam_ElementAttrNext(handle, &element, previous, ZTCAM_NODEMAP_CAMERA);
    }
    return count;
}

// Seconds of one element walk (the baseline of this run).
double walkSeconds()
{
    const ZTCamHandle handle = camera().opened.handle;
    return secondsPer(50, [&] { benchmark::DoNotOptimize(walkElements(handle)); });
}

void report(benchmark::State& state, double seconds)
{
    state.counters["ms"] = seconds * 1e3;
    state.counters["vs_walk"] = seconds / walkSeconds();
}

// Seconds of one tree build on a new panel (making and deleting the panel
// are not counted).
double buildSeconds(int reps)
{
    double total = 0;
    for (int i = 0; i < reps; ++i) {
        CZTPropGrp panel(camera().opened);
        total += secondsPer(1, [&] { panel.buildTree(); });
    }
    return total / reps;
}

void BM_ElementWalk(benchmark::State& state)
{
    const ZTCamHandle handle = camera().opened.handle;
    int count = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(count = walkElements(handle));
    state.counters["elements"] = count;
    state.counters["ms"] = secondsPer(50, [&] { walkElements(handle); }) * 1e3;
}

void BM_BuildTree(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto* panel = new CZTPropGrp(camera().opened);
        state.ResumeTiming();
        panel->buildTree();
        state.PauseTiming();
        state.counters["rows"] = panel->m_propMap.size();
        delete panel;
        state.ResumeTiming();
    }
    report(state, buildSeconds(10));
}

void BM_FullRefresh(benchmark::State& state)
{
    CZTPropGrp panel(camera().opened);
    panel.buildTree();
    for (auto _ : state)
        panel.refreshRoot();
    report(state, secondsPer(10, [&] { panel.refreshRoot(); }));
}

}  // namespace

BENCHMARK(BM_ElementWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
