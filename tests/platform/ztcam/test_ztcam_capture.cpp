#include "WaitFor.h"
#include "ZTCamTestSupport.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using lumatest::waitFor;
using ztcamtest::SdkFixture;

namespace {

struct CallbackState {
    ZTCamHandle handle = nullptr;
    std::atomic<int> calls{0};
    std::atomic<int> inside{0};
    std::atomic<int> getDataFailures{0};
    std::atomic<int> slowMs{0};
    std::atomic<ZTCamStatus> stopFromCallback{ZTCAM_STATUS_SUCCESS};
    std::atomic<ZTCamStatus> closeFromCallback{ZTCAM_STATUS_SUCCESS};
    std::atomic<ZTCamStatus> uninitFromCallback{ZTCAM_STATUS_SUCCESS};
    std::atomic<bool> tryStop{false};
};

void onFrame(void* handle, void* context)
{
    auto* s = static_cast<CallbackState*>(context);
    s->inside.fetch_add(1);
    ZTCamFrame f{};
    if (ZTCAM_Buf_GetData(handle, &f) != ZTCAM_STATUS_SUCCESS || f.data == nullptr)
        s->getDataFailures.fetch_add(1);
    if (s->tryStop.exchange(false)) {
        s->stopFromCallback = ZTCAM_Cap_Stop(handle);
        s->closeFromCallback = ZTCAM_Dev_Close(handle);
        s->uninitFromCallback = ZTCAM_Api_Uninit();
    }
    if (int ms = s->slowMs.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    s->calls.fetch_add(1);
    s->inside.fetch_sub(1);
}

} // namespace

class ZTCamCapture : public SdkFixture {
protected:
    void SetUp() override { initWith(ztcamtest::cameraSection("SN-C1")); }

    using SdkFixture::alloc;
    ZTCamFrame alloc()
    {
        ZTCamFrame f;
        EXPECT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
        return f;
    }
};

TEST_F(ZTCamCapture, AllocDescribesTheFrame)
{
    const ZTCamFrame f = alloc();
    EXPECT_EQ(f.width, 64);
    EXPECT_EQ(f.height, 48);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.elementBytes, 2);
    EXPECT_EQ(f.widthStep, 128u);
    EXPECT_EQ(f.imageSize, 128u * 48u);
    EXPECT_GE(f.headerSize, sizeof(ZTCamFrame));
    EXPECT_NE(f.data, nullptr);
    ZTCamDeviceInfo payload{};
    payload.id = ZTCAM_INFO_PAYLOAD_SIZE;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &payload), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(uint32_t(payload.value), f.imageSize);
}

TEST_F(ZTCamCapture, FillsTheRingInAnnounceOrderWithinEachBuffer)
{
    const ZTCamFrame f = alloc();
    constexpr int kRing = 4;
    constexpr size_t kGuard = 64;
    // The last buffer is announced smaller than a frame; nothing may be
    // written past an announced size.
    std::vector<std::vector<uint8_t>> ring(kRing, std::vector<uint8_t>(f.imageSize + kGuard, 0xAB));
    const uint32_t sizes[kRing] = {f.imageSize, f.imageSize, f.imageSize, f.imageSize / 2};
    for (int i = 0; i < kRing; ++i)
        ASSERT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, sizes[i], ring[size_t(i)].data()), ZTCAM_STATUS_SUCCESS);
    CallbackState state;
    ASSERT_EQ(ZTCAM_Buf_DataCallBack(handle, onFrame, &state), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_TRUE(waitFor([&] { return state.calls.load() >= kRing; }));
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    uint64_t frames = 0;
    ASSERT_EQ(ZTCamSim_GetFrameCount(0, &frames), ZTCAM_STATUS_SUCCESS);
    ASSERT_GE(frames, uint64_t(kRing));
    EXPECT_EQ(state.getDataFailures.load(), 0);

    // Buffer i holds the newest frame n with n mod 4 = i.
    std::vector<uint8_t> expected(f.imageSize);
    for (int i = 0; i < kRing; ++i) {
        uint64_t n = frames - 1;
        while (n % kRing != uint64_t(i))
            --n;
        ASSERT_EQ(ZTCamSim_GenerateFrame(expected.data(), f.imageSize, 64, 48, "Mono 12", n), f.imageSize);
        EXPECT_EQ(std::memcmp(ring[size_t(i)].data(), expected.data(), sizes[i]), 0) << "buffer " << i;
        for (size_t g = sizes[i]; g < ring[size_t(i)].size(); ++g)
            ASSERT_EQ(ring[size_t(i)][g], 0xAB) << "buffer " << i << " written past its size at " << g;
    }
    // Mono 12 samples stay below 4096.
    for (size_t p = 0; p + 1 < f.imageSize; p += 2)
        ASSERT_LT(ring[0][p] | (ring[0][p + 1] << 8), 4096);
}

TEST_F(ZTCamCapture, NoCallbackRunsAfterStopOrClose)
{
    alloc();
    CallbackState state;
    state.slowMs = 20;  // stop arrives while a callback runs
    ASSERT_EQ(ZTCAM_Buf_DataCallBack(handle, onFrame, &state), ZTCAM_STATUS_SUCCESS);
    // Three stops, then a close.
    for (auto end : {ZTCAM_Cap_Stop, ZTCAM_Cap_Stop, ZTCAM_Cap_Stop, ZTCAM_Dev_Close}) {
        ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        ASSERT_TRUE(waitFor([&] { return state.inside.load() > 0; }));
        ASSERT_EQ(end(handle), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(state.inside.load(), 0);
        const int calls = state.calls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        EXPECT_EQ(state.calls.load(), calls);
    }
}

TEST_F(ZTCamCapture, StopCloseOrUninitFromTheCallbackAreRefusedInsteadOfDeadlocking)
{
    alloc();
    CallbackState state;
    state.tryStop = true;
    ASSERT_EQ(ZTCAM_Buf_DataCallBack(handle, onFrame, &state), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_TRUE(waitFor([&] { return state.calls.load() >= 2; }));
    EXPECT_EQ(state.stopFromCallback.load(), ZTCAM_STATUS_WRONG_STATE);
    EXPECT_EQ(state.closeFromCallback.load(), ZTCAM_STATUS_WRONG_STATE);
    EXPECT_EQ(state.uninitFromCallback.load(), ZTCAM_STATUS_WRONG_STATE);
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_CONNECTION_STATE;
    EXPECT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_SUCCESS);  // still open
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamCapture, WaitDeliversTheNewestFrameWithItsHeader)
{
    alloc();
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ZTCamFrame f{};
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 1000), ZTCAM_STATUS_SUCCESS);
    ASSERT_NE(f.data, nullptr);
    ZTCamFrame copy;
    std::memcpy(&copy, f.data, sizeof copy);  // the block begins with the record
    EXPECT_EQ(copy.width, f.width);
    EXPECT_EQ(copy.imageSize, f.imageSize);
    EXPECT_EQ(copy.headerSize, f.headerSize);
    // The pixels are a pattern frame; the gray value reads the newest one.
    const uint8_t* px = static_cast<const uint8_t*>(f.data) + f.headerSize;
    std::vector<uint8_t> expected(f.imageSize);
    bool matched = false;
    for (uint64_t n = 0; n < 2000 && !matched; ++n) {
        ZTCamSim_GenerateFrame(expected.data(), f.imageSize, 64, 48, "Mono 12", n);
        matched = std::memcmp(expected.data(), px, f.imageSize) == 0;
    }
    EXPECT_TRUE(matched);
    uint16_t gray[12] = {};
    EXPECT_EQ(ZTCAM_Get_GrayValue(handle, 5, 7, gray), ZTCAM_STATUS_SUCCESS);
    EXPECT_LT(gray[0], 4096);
    EXPECT_EQ(ZTCAM_Get_GrayValue(handle, 64, 0, gray), ZTCAM_STATUS_OUT_OF_RANGE);
    // A request other than 17 is refused.
    f.formatRequest = 3;
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 10), ZTCAM_STATUS_INVALID_PARAM);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 10), ZTCAM_STATUS_WRONG_STATE);
}

TEST_F(ZTCamCapture, AbortWaitEndsAPendingWait)
{
    alloc();
    ASSERT_EQ(ZTCamSim_SetFault(0, "wait_timeout", 1), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    std::atomic<ZTCamStatus> result{ZTCAM_STATUS_SUCCESS};
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        ZTCamFrame f{};
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        result = ZTCAM_Buf_WaitForFrame(handle, &f, 20000);
        done = true;
    });
    // An abort reaches only a wait that is pending, so repeat it until the
    // waiter has returned.
    const auto t0 = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(10)) {
        ASSERT_EQ(ZTCAM_Buf_AbortWait(handle), ZTCAM_STATUS_SUCCESS);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    waiter.join();
    EXPECT_EQ(result.load(), ZTCAM_STATUS_ABORTED);
    ZTCamFrame f{};
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 30), ZTCAM_STATUS_TIMEOUT);
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamCapture, AFasterFrameRateTakesEffectAtOnce)
{
    ZTCamElement rate = element("AcquisitionFrameRate");
    rate.value.floatValue = 0.1;  // one frame per 10 s
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &rate, 0), ZTCAM_STATUS_SUCCESS);
    alloc();
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    rate.value.floatValue = 200;
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &rate, 0), ZTCAM_STATUS_SUCCESS);
    ZTCamFrame f{};
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 2000), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamCapture, StopReleaseClearInOrderAndRestart)
{
    const ZTCamFrame f = alloc();
    std::vector<uint8_t> a(f.imageSize), b(f.imageSize);
    ASSERT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, f.imageSize, a.data()), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, f.imageSize, a.data()), ZTCAM_STATUS_INVALID_PARAM);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_BUSY);
    EXPECT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, f.imageSize, b.data()), ZTCAM_STATUS_WRONG_STATE);
    EXPECT_EQ(ZTCAM_Buf_Release(handle), ZTCAM_STATUS_WRONG_STATE);
    EXPECT_EQ(ZTCAM_Cap_ClearBuffer(handle), ZTCAM_STATUS_WRONG_STATE);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Buf_Release(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_ClearBuffer(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);  // stopping twice is harmless
    alloc();
    ASSERT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, f.imageSize, a.data()), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ZTCamDeviceInfo rate{};
    rate.id = ZTCAM_INFO_TRANSFER_RATE;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &rate), ZTCAM_STATUS_SUCCESS);
    EXPECT_GT(rate.value, 0);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);

    // The call log holds the order of the calls.
    std::vector<char> text(ZTCamSim_CallLogText(nullptr, 0));
    ZTCamSim_CallLogText(text.data(), text.size());
    const std::string log(text.data());
    const size_t stop = log.find("ZTCAM_Cap_Stop 0");
    const size_t release = log.find("ZTCAM_Buf_Release 0", stop);
    const size_t clear = log.find("ZTCAM_Cap_ClearBuffer 0", release);
    EXPECT_NE(stop, std::string::npos);
    EXPECT_NE(release, std::string::npos);
    EXPECT_NE(clear, std::string::npos);
    const char* name = nullptr;
    int index = -2;
    ASSERT_EQ(ZTCamSim_CallLogEntry(0, &name, &index), 1);
    EXPECT_STREQ(name, "ZTCAM_Api_Init");
    EXPECT_EQ(index, -1);
}

TEST_F(ZTCamCapture, ThreadsMayCallConcurrently)
{
    const ZTCamFrame f = alloc();
    std::vector<std::vector<uint8_t>> ring(4, std::vector<uint8_t>(f.imageSize));
    for (auto& r : ring)
        ASSERT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, f.imageSize, r.data()), ZTCAM_STATUS_SUCCESS);
    CallbackState state;
    ASSERT_EQ(ZTCAM_Buf_DataCallBack(handle, onFrame, &state), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    std::atomic<bool> run{true};
    std::atomic<size_t> messageBytes{0};
    std::thread display([&] {
        ZTCamFrame w{};
        while (run) {
            w.formatRequest = ZTCAM_FORMAT_REQUEST;
            ZTCAM_Buf_WaitForFrame(handle, &w, 50);
        }
    });
    std::thread panel([&] {
        while (run) {
            ZTCamElement e{};
            ZTCAM_GenICam_ElementAttr(handle, &e, "SensorTemperature", 0);
            ZTCAM_GenICam_GetElementValue(handle, &e, 0);
            ZTCamDeviceInfo i{};
            i.id = ZTCAM_INFO_CONNECTION_STATE;
            ZTCAM_Dev_GetInfo(handle, &i);
            // The message text stays readable while another thread's
            // writes make new messages.
            i.id = ZTCAM_INFO_STATUS_TEXT;
            if (ZTCAM_Dev_GetInfo(handle, &i) == ZTCAM_STATUS_SUCCESS && i.text)
                messageBytes += std::strlen(i.text);
        }
    });
    std::thread writer([&] {
        for (int n = 0; run; ++n) {
            ZTCamElement e{};
            ZTCAM_GenICam_ElementAttr(handle, &e, "ExposureTime", 0);
            e.value.floatValue = 1000.0 + n % 100;
            ZTCAM_GenICam_SetElementValue(handle, &e, 0);
            ZTCamDeviceInfo i{};
            i.id = ZTCAM_INFO_TRANSFER_RATE;
            if (ZTCAM_Dev_GetInfo(handle, &i) == ZTCAM_STATUS_SUCCESS && i.text)
                messageBytes += std::strlen(i.text);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_EQ(ZTCAM_Buf_AbortWait(handle), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    run = false;
    display.join();
    panel.join();
    writer.join();
    EXPECT_GT(state.calls.load(), 0);
    EXPECT_GT(messageBytes.load(), 0u);
}
