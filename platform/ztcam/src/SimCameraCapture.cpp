// Buffers, capture and the frame thread of one simulated camera.
#include "SimCamera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ztcam {

// The frame record of a block, also written at the block's front as the
// header the camera hands out.
ZTCamFrame SimCamera::makeHeader(std::vector<uint8_t>& block) const
{
    ZTCamFrame f{};
    f.headerSize = kHeaderSize;
    f.width = uint16_t(generator_.width());
    f.height = uint16_t(generator_.height());
    f.widthStep = generator_.rowBytes();
    f.channels = generator_.format().channels;
    f.elementBytes = generator_.format().elementBytes;
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    f.imageSize = generator_.imageSize();
    f.reserveCount = 1;
    f.extraSize = 0;
    f.data = block.data();
    std::memcpy(block.data(), &f, sizeof f);
    return f;
}

void SimCamera::ensureBlock(std::vector<uint8_t>& block)
{
    const size_t need = kHeaderSize + size_t(generator_.imageSize());
    if (block.size() < need)
        block.resize(need);
}

// Hands the levels, gamma and contrast in effect for frame n to the
// generator. Automatic levels are the 2nd and 98th percentile of the frame's
// samples.
void SimCamera::applyToneCurve(uint64_t n)
{
    ToneCurve::Settings s;
    s.bits = generator_.format().bits;
    const double top = s.maxValue();
    s.gamma = properties_[ZTCAM_PROP_GAMMA].value;
    s.contrast = properties_[ZTCAM_PROP_CONTRAST].value;
    s.left = uint32_t(std::clamp(std::round(properties_[ZTCAM_PROP_LEFT_LEVEL].value), 0.0, top));
    s.right = uint32_t(std::clamp(std::round(properties_[ZTCAM_PROP_RIGHT_LEVEL].value), 0.0, top));
    const int32_t autoLevels = capabilities_[ZTCAM_CAPA_AUTO_LEVELS].value;
    if (autoLevels & 3) {
        MeasuredLevels& m = measuredLevels_;
        generator_.percentiles(n, 2, 98, m.left, m.right);
        m.valid = true;
        m.bits = s.bits;
        if (autoLevels & 1)
            s.left = m.left;
        if (autoLevels & 2)
            s.right = m.right;
    }
    generator_.setToneCurve(s);
}

// Frame n as the camera shows it now: rendered, flipped and stamped as set.
void SimCamera::renderFrame(uint8_t* pixels, size_t size, uint64_t n)
{
    applyToneCurve(n);
    const bool vflip = capabilities_[5].value != 0;
    const bool stamp = capabilities_[31].value != 0;
    generator_.fill(pixels, size, n, hflip(), vflip, stamp);
}

// The latest frame in a block of its own, header first.
ZTCamFrame SimCamera::renderLatest(std::vector<uint8_t>& block)
{
    ensureBlock(block);
    renderFrame(block.data() + kHeaderSize, generator_.imageSize(), latestFrame_);
    return makeHeader(block);
}

ZTCamStatus SimCamera::setCallback(ZTCamDataCallback callback, void* context)
{
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    callback_ = callback;
    callbackContext_ = context;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::bufAlloc(ZTCamFrame* frame)
{
    if (!frame || frame->formatRequest != ZTCAM_FORMAT_REQUEST || frame->reserveCount < 1)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if (config_.failAlloc)
        return ZTCAM_STATUS_NO_MEMORY;
    generator_.configure(currentWidth(), currentHeight(), currentFormat());
    ensureBlock(waitBlock_);
    *frame = makeHeader(waitBlock_);
    allocated_ = true;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::announceBuffer(uint32_t size, void* buffer)
{
    if (!buffer || size == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (config_.failAnnounce)
        return ZTCAM_STATUS_FAILURE;
    for (const RingEntry& r : ring_) {
        if (r.buffer == buffer)
            return ZTCAM_STATUS_INVALID_PARAM;
    }
    ring_.push_back({static_cast<uint8_t*>(buffer), size});
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capStart(int32_t mode)
{
    if (mode != 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (isFrameThread())
        return ZTCAM_STATUS_WRONG_STATE;
    std::lock_guard<std::mutex> control(controlMutex_);
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_BUSY;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if (config_.failStart)
        return ZTCAM_STATUS_FAILURE;
    generator_.configure(currentWidth(), currentHeight(), currentFormat());
    ensureBlock(waitBlock_);
    ensureBlock(callbackBlock_);
    frameNumber_ = 0;
    measuredLevels_.valid = false;
    deliveredBase_ = 0;
    latestFrame_ = 0;
    haveFrame_ = false;
    lastWaited_ = UINT64_MAX;
    stopRequested_ = false;
    paused_ = false;
    rateChanged_ = false;
    capturing_ = true;
    frameThread_ = std::thread(&SimCamera::frameLoop, this);
    return ZTCAM_STATUS_SUCCESS;
}

void SimCamera::frameLoop()
{
    frameThreadId_.store(std::this_thread::get_id());
    std::unique_lock<std::mutex> lock(mutex_);
    Clock::time_point next = Clock::now();
    while (!stopRequested_) {
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(1.0 / std::max(0.1, currentFrameRate())));
        next += period;
        const Clock::time_point now = Clock::now();
        if (next + period < now)
            next = now;  // fell behind: no burst of late frames
        frameCv_.wait_until(lock, next, [this] { return stopRequested_ || rateChanged_; });
        if (stopRequested_)
            break;
        if (rateChanged_) {
            // A new frame rate counts from now, not after the old period.
            rateChanged_ = false;
            next = Clock::now();
            continue;
        }
        if (!connected() || paused_)
            continue;
        const uint64_t n = frameNumber_++;
        if (!ring_.empty()) {
            const RingEntry& r = ring_[size_t(n % ring_.size())];
            renderFrame(r.buffer, r.size, n);
        }
        latestFrame_ = n;
        haveFrame_ = true;
        lastFrameAt_ = Clock::now();
        frameCv_.notify_all();
        ZTCamDataCallback cb = callback_;
        void* context = callbackContext_;
        ZTCamHandle handle = handle_;
        if (cb) {
            lock.unlock();
            cb(handle, context);
            lock.lock();
        }
    }
    frameThreadId_.store(std::thread::id());
}

void SimCamera::stopCapture(std::unique_lock<std::mutex>& lock)
{
    if (!capturing_)
        return;
    stopRequested_ = true;
    frameCv_.notify_all();
    std::thread t = std::move(frameThread_);
    lock.unlock();
    if (t.joinable())
        t.join();
    lock.lock();
    capturing_ = false;
    stopRequested_ = false;
    frameCv_.notify_all();  // pending waits see the stop
}

ZTCamStatus SimCamera::waitForFrame(ZTCamFrame* frame, uint32_t timeoutMs)
{
    if (!frame || frame->formatRequest != ZTCAM_FORMAT_REQUEST)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (!capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    const uint64_t seq = abortSeq_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const bool neverDelivers = config_.waitTimeout;
    const bool ready = frameCv_.wait_until(entry.lock, deadline, [&] {
        return abortSeq_ != seq || !capturing_ || stopRequested_ || !open_ ||
               (!neverDelivers && haveFrame_ && latestFrame_ != lastWaited_);
    });
    if (!ready)
        return ZTCAM_STATUS_TIMEOUT;
    if (abortSeq_ != seq)
        return ZTCAM_STATUS_ABORTED;
    if (!open_ || !capturing_ || stopRequested_)
        return ZTCAM_STATUS_WRONG_STATE;
    lastWaited_ = latestFrame_;
    *frame = renderLatest(waitBlock_);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::getData(ZTCamFrame* frame)
{
    if (!frame)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (!capturing_ || !haveFrame_)
        return ZTCAM_STATUS_WRONG_STATE;
    *frame = renderLatest(callbackBlock_);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::abortWait()
{
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    ++abortSeq_;
    frameCv_.notify_all();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capStop()
{
    if (isFrameThread())
        return ZTCAM_STATUS_WRONG_STATE;
    std::lock_guard<std::mutex> control(controlMutex_);
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    stopCapture(entry.lock);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::bufRelease()
{
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    // The blocks are kept, so the data of a frame record from the last
    // allocation or wait stays readable until a larger frame needs a new
    // block or the camera goes away.
    allocated_ = false;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::clearBuffer()
{
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    ring_.clear();
    return ZTCAM_STATUS_SUCCESS;
}

} // namespace ztcam
