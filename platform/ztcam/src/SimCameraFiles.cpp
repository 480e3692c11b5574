// Single images and AVI video of one simulated camera.
#include "SimCamera.h"

#include "ImageFileWriter.h"

#include <cerrno>
#include <cmath>

namespace ztcam {

namespace {

bool viewFromFrame(const ZTCamFrame* frame, const PixelFormat& format, ImageView& view)
{
    if (!frame || !frame->data)
        return false;
    view.pixels = static_cast<const uint8_t*>(frame->data) + frame->headerSize;
    view.width = frame->width;
    view.height = frame->height;
    view.stride = frame->widthStep;
    view.channels = frame->channels;
    view.elementBytes = frame->elementBytes;
    view.bits = frame->elementBytes == format.elementBytes ? format.bits : 8u * frame->elementBytes;
    view.bgrOrder = frame->channels == 3 && format.channels == 3 && format.name.size() >= 3 &&
                    (format.name[0] == 'B' || format.name[0] == 'b');
    if (!view.valid())
        return false;
    if (frame->imageSize != 0 && uint64_t(frame->imageSize) < uint64_t(view.stride) * (view.height - 1) + view.packedRowBytes())
        return false;
    return true;
}

} // namespace

ZTCamStatus SimCamera::saveImage(const ZTCamFileSaveParams& params)
{
    constexpr int32_t kAll = ZTCAM_FILE_RAW | ZTCAM_FILE_TIF | ZTCAM_FILE_PNG | ZTCAM_FILE_JPG | ZTCAM_FILE_BMP;
    if (!params.path || !*params.path || !params.frame || params.formatMask == 0 || (params.formatMask & ~kAll))
        return ZTCAM_STATUS_INVALID_PARAM;
    PixelFormat format;
    {
        Entry entry = enter(Need::Open);
        if (!entry)
            return entry.status;
        format = currentFormat();
    }
    ImageView view;
    if (!viewFromFrame(params.frame, format, view))
        return ZTCAM_STATUS_INVALID_PARAM;
    const std::string base = params.path;
    using Writer = bool (*)(const std::string&, const ImageView&);
    const struct {
        int32_t bit;
        const char* extension;
        Writer write;
    } formats[] = {
        {ZTCAM_FILE_RAW, ".raw", &ImageFileWriter::writeRaw},  {ZTCAM_FILE_TIF, ".tif", &ImageFileWriter::writeTiff},
        {ZTCAM_FILE_PNG, ".png", &ImageFileWriter::writePng},  {ZTCAM_FILE_JPG, ".jpg", &ImageFileWriter::writeJpeg},
        {ZTCAM_FILE_BMP, ".bmp", &ImageFileWriter::writeBmp},
    };
    // Every format is tried; errno tells the caller why the first failed one
    // could not be written.
    int error = 0;
    bool ok = true;
    for (const auto& f : formats) {
        if (!(params.formatMask & f.bit) || f.write(base + f.extension, view))
            continue;
        if (ok)
            error = errno != 0 ? errno : EIO;
        ok = false;
    }
    if (ok)
        return ZTCAM_STATUS_SUCCESS;
    errno = error;
    return ZTCAM_STATUS_IO_ERROR;
}

ZTCamStatus SimCamera::recorderResult(bool done)
{
    if (done)
        return ZTCAM_STATUS_SUCCESS;
    // The caller learns why from errno, as from the C library's own writes.
    errno = recorder_.lastError();
    return ZTCAM_STATUS_IO_ERROR;
}

ZTCamStatus SimCamera::recStart(const ZTCamRecordParams* params)
{
    if (!params || !params->path || !*params->path || !(params->frameRate > 0.0f) || !std::isfinite(params->frameRate))
        return ZTCAM_STATUS_INVALID_PARAM;
    if (params->codec != ZTCAM_CODEC_DIB)
        return ZTCAM_STATUS_NOT_SUPPORTED;
    uint32_t width, height, channels;
    {
        Entry entry = enter(Need::Open);
        if (!entry)
            return entry.status;
        const bool useGenerator = capturing_ || allocated_;
        width = useGenerator ? generator_.width() : currentWidth();
        height = useGenerator ? generator_.height() : currentHeight();
        channels = useGenerator ? generator_.format().channels : currentFormat().channels;
    }
    std::lock_guard<std::mutex> rec(recMutex_);
    if (recorder_.isOpen())
        return ZTCAM_STATUS_BUSY;
    return recorderResult(recorder_.open(params->path, width, height, channels, params->frameRate));
}

ZTCamStatus SimCamera::recAppend(const ZTCamFrame* frame)
{
    if (!frame)
        return ZTCAM_STATUS_INVALID_PARAM;
    PixelFormat format;
    {
        Entry entry = enter(Need::Open);
        if (!entry)
            return entry.status;
        format = generator_.format();
    }
    ImageView view;
    if (!viewFromFrame(frame, format, view))
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> rec(recMutex_);
    if (!recorder_.isOpen())
        return ZTCAM_STATUS_WRONG_STATE;
    return recorderResult(recorder_.append(view));
}

ZTCamStatus SimCamera::recStop()
{
    {
        Entry entry = enter(Need::Open);
        if (!entry)
            return entry.status;
    }
    std::lock_guard<std::mutex> rec(recMutex_);
    if (!recorder_.isOpen())
        return ZTCAM_STATUS_WRONG_STATE;
    return recorderResult(recorder_.close());
}

} // namespace ztcam
