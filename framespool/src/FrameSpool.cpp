#include "FrameSpool.h"

#include "FileSave.h"
#include "RawFileSave.h"
#include "SpoolDebug.h"
#include "TiffFileSave.h"

#include <climits>
#include <memory>
#include <string>

namespace {

constexpr int kSlotCount = 8;
constexpr int64_t kMaxFileBytes = int64_t(1) << 32;  // 4 GiB, inclusive

// One writer per slot. Each slot is used by one caller thread at a time.
std::unique_ptr<FileSave> g_slots[kSlotCount];

bool inRange(int32_t slot) { return slot >= 0 && slot < kSlotCount; }

std::string lowered(const char* path)
{
    std::string text(path);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The extension of the file name itself: what follows the last dot of the
// last path component, with the dot; empty when that component has none.
std::string extension(const std::string& lower)
{
    const size_t slash = lower.find_last_of("/\\");
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = lower.rfind('.');
    return dot == std::string::npos || dot < name ? std::string() : lower.substr(dot);
}

// The layout a path asks for (FileSave::Raw or FileSave::Tiff; -1 for
// neither) follows the file name's own extension where that is ".raw" or
// ".tif", so that "run.raw_2024/a.tif" is a TIFF and "pics.tif/a.raw" a RAW
// file. A name with neither keeps the older rule: ".raw" or ".tif" anywhere
// in the path, ".raw" first.
int namedType(const std::string& lower)
{
    const std::string ext = extension(lower);
    if (ext == ".raw" || (ext != ".tif" && lower.find(".raw") != std::string::npos))
        return FileSave::Raw;
    if (ext == ".tif" || lower.find(".tif") != std::string::npos)
        return FileSave::Tiff;
    return -1;
}

}  // namespace

extern "C" {

unsigned char Init_FrameSpool(const char* path, int32_t width, int32_t height, int32_t channels,
                              int32_t bitsPerSample, int32_t framesPerFile, int32_t fileCount, int32_t slot)
{
    if (!inRange(slot) || g_slots[slot])
        return 0;
    if (!path || !*path)
        return 0;
    const std::string lower = lowered(path);
    const int type = namedType(lower);
    if (type < 0)
        return 0;

    const int64_t frameBytes = FileSave::FrameBytes(width, height, channels, bitsPerSample);
    if (frameBytes <= 0 || framesPerFile <= 0)
        return 0;
    const int64_t total = type == FileSave::Raw ? RawFileSave::FileBytes(frameBytes, framesPerFile)
                                                : TiffFileSave::FileBytes(frameBytes, framesPerFile);
    if (total < 0 || total > kMaxFileBytes) {  // a size beyond 64 bits is beyond 4 GiB
        SpoolDebug("Out of 4GB buffer");
        return 0;
    }
    if (total <= 0)
        return 0;
    // A frame must fit one Append call, and a TIFF page's SHORT fields must
    // hold its geometry.
    if (frameBytes > INT32_MAX ||
        (type == FileSave::Tiff && !TiffFileSave::Describable(width, height, channels, bitsPerSample))) {
        SpoolDebug("Frame size not supported");
        return 0;
    }

    std::unique_ptr<FileSave> writer;
    if (type == FileSave::Raw)
        writer = std::make_unique<RawFileSave>(path, width, height, channels, bitsPerSample, framesPerFile,
                                               fileCount);
    else
        writer = std::make_unique<TiffFileSave>(path, width, height, channels, bitsPerSample, framesPerFile,
                                                fileCount);
    if (!writer->Start())
        return 0;  // the writer is destroyed, the slot stays empty
    g_slots[slot] = std::move(writer);
    return 1;
}

unsigned char Open_FrameSpool(const char* path, int32_t slot)
{
    if (!inRange(slot) || !g_slots[slot] || !path || !*path)
        return 0;
    FileSave& writer = *g_slots[slot];
    writer.SetName(path);
    const int type = namedType(lowered(path));
    if (type == writer.GetType())
        return 1;
    if (type == FileSave::Raw)
        SpoolDebug("RAW Format does no match");
    else if (type == FileSave::Tiff)
        SpoolDebug("TIF Format does no match");
    else
        SpoolDebug("No Format match");
    return 0;
}

unsigned char Append_FileBuffer(const void* data, int32_t size, int32_t slot)
{
    if (!inRange(slot) || !g_slots[slot])
        return 0;
    return g_slots[slot]->Append(data, size) ? 1 : 0;
}

unsigned char Close_FrameSpool(int32_t slot)
{
    if (!inRange(slot) || !g_slots[slot])
        return 0;
    return g_slots[slot]->Close() ? 1 : 0;
}

unsigned char Uninit_FrameSpool(int32_t slot)
{
    if (!inRange(slot) || !g_slots[slot])
        return 0;
    std::unique_ptr<FileSave> writer = std::move(g_slots[slot]);
    writer->Close();
    const bool allWritten = writer->Stop();
    writer.reset();
    return allWritten ? 1 : 0;
}

}  // extern "C"
