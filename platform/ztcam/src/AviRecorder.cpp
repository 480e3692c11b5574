#include "AviRecorder.h"

#include <platform/os/ReplacingFile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ztcam {

namespace {

void put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void fourcc(std::vector<uint8_t>& b, const char* c)
{
    b.insert(b.end(), c, c + 4);
}

// Header offsets patched by close().
constexpr uint64_t kRiffSize = 4;
constexpr uint64_t kAviFlags = 44;      // avih dwFlags
constexpr uint64_t kTotalFrames = 48;   // avih dwTotalFrames
constexpr uint64_t kStreamLength = 140; // strh dwLength
constexpr uint32_t kHasIndex = 0x10;    // AVIF_HASINDEX

std::mutex& faultLock()
{
    static std::mutex* const lock = new std::mutex();
    return *lock;
}

AviRecorder::WriteFault& fault()
{
    static AviRecorder::WriteFault* const current = new AviRecorder::WriteFault();
    return *current;
}

AviRecorder::WriteFault currentFault()
{
    std::lock_guard<std::mutex> lock(faultLock());
    return fault();
}

} // namespace

void AviRecorder::setWriteFault(const WriteFault& f)
{
    std::lock_guard<std::mutex> lock(faultLock());
    fault() = f;
}

AviRecorder::~AviRecorder()
{
    close();
}

bool AviRecorder::fail(int error)
{
    error_ = error;
    return false;
}

bool AviRecorder::writeAt(uint64_t offset, const void* data, size_t size)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        p += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

bool AviRecorder::open(const std::string& path, uint32_t width, uint32_t height, uint32_t channels,
                       float frameRate)
{
    if (fd_ >= 0 || width == 0 || height == 0 || (channels != 1 && channels != 3) || !(frameRate > 0.0f) ||
        !std::isfinite(frameRate))
        return fail(EINVAL);
    width_ = width;
    height_ = height;
    channels_ = channels;
    const double r = std::round(double(frameRate) * 1000.0);
    rate_ = r < 1.0 ? 1u : (r > 4.0e9 ? 4000000000u : uint32_t(r));
    frameBytes_ = ((width * channels + 3u) & ~3u) * height;
    index_.clear();
    error_ = 0;
    const WriteFault f = currentFault();
    if (f.error != 0 && f.framesWritten < 0)
        return fail(f.error);
    // A name already taken, by an earlier video or anything else, is
    // refused: a recording never empties another file.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return fail(errno);
    if (!writeHeaders()) {
        // A file without its headers is no video: it goes, unless the path
        // names another file by now.
        struct stat made {};
        const bool known = ::fstat(fd_, &made) == 0;
        ::close(fd_);
        fd_ = -1;
        if (known)
            platform::os::ReplacingFile::removeMade(path, made);
        return false;
    }
    return true;
}

bool AviRecorder::writeHeaders()
{
    const bool gray = channels_ == 1;
    const uint32_t paletteBytes = gray ? 256 * 4 : 0;
    const uint32_t strfSize = 40 + paletteBytes;
    const uint32_t strlSize = 4 + (8 + 56) + (8 + strfSize);
    const uint32_t hdrlSize = 4 + (8 + 56) + (8 + strlSize);

    std::vector<uint8_t> h;
    fourcc(h, "RIFF");
    put32(h, 0);  // patched
    fourcc(h, "AVI ");
    fourcc(h, "LIST");
    put32(h, hdrlSize);
    fourcc(h, "hdrl");
    fourcc(h, "avih");
    put32(h, 56);
    put32(h, uint32_t(1000000000.0 / rate_));  // microseconds per frame
    put32(h, uint32_t(std::min<uint64_t>(uint64_t(frameBytes_) * rate_ / 1000, 0xFFFFFFFFu)));
    put32(h, 0);
    put32(h, kHasIndex);
    put32(h, 0);     // total frames, patched (offset 48)
    put32(h, 0);
    put32(h, 1);
    put32(h, frameBytes_);
    put32(h, width_);
    put32(h, height_);
    for (int i = 0; i < 4; ++i)
        put32(h, 0);
    fourcc(h, "LIST");
    put32(h, strlSize);
    fourcc(h, "strl");
    fourcc(h, "strh");
    put32(h, 56);
    fourcc(h, "vids");
    fourcc(h, "DIB ");
    put32(h, 0);  // flags
    put16(h, 0);  // priority
    put16(h, 0);  // language
    put32(h, 0);  // initial frames
    put32(h, 1000);   // scale
    put32(h, rate_);  // rate
    put32(h, 0);      // start
    put32(h, 0);      // length, patched (offset 140)
    put32(h, frameBytes_);
    put32(h, 0xFFFFFFFFu);  // quality
    put32(h, 0);            // sample size
    put16(h, 0);
    put16(h, 0);
    put16(h, width_);
    put16(h, height_);
    fourcc(h, "strf");
    put32(h, strfSize);
    put32(h, 40);
    put32(h, width_);
    put32(h, height_);  // bottom-up rows
    put16(h, 1);
    put16(h, gray ? 8 : 24);
    put32(h, 0);  // BI_RGB
    put32(h, frameBytes_);
    put32(h, 0);
    put32(h, 0);
    put32(h, gray ? 256 : 0);
    put32(h, 0);
    for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
        h.push_back(uint8_t(i));
        h.push_back(uint8_t(i));
        h.push_back(uint8_t(i));
        h.push_back(0);
    }
    fourcc(h, "LIST");
    put32(h, 0);  // movi size, patched
    moviStart_ = h.size();
    fourcc(h, "movi");
    if (!writeAt(0, h.data(), h.size()))
        return false;
    written_ = h.size();
    return true;
}

bool AviRecorder::append(const ImageView& frame)
{
    if (fd_ < 0 || !frame.valid() || frame.width != width_ || frame.height != height_ ||
        frame.channels != channels_)
        return fail(EINVAL);
    const uint64_t after = written_ + 8 + frameBytes_ + 16ull * (index_.size() + 1) + 8;
    if (after > kMaxFileBytes)
        return fail(EFBIG);
    const std::vector<uint8_t> packed = frame.to8Bit();
    const uint32_t row = (width_ * channels_ + 3u) & ~3u;
    const size_t src = size_t(width_) * channels_;
    scratch_.assign(8 + size_t(frameBytes_), 0);
    std::memcpy(scratch_.data(), "00db", 4);
    for (int i = 0; i < 4; ++i)
        scratch_[4 + i] = uint8_t(frameBytes_ >> (8 * i));
    uint8_t* out = scratch_.data() + 8;
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* s = packed.data() + size_t(height_ - 1 - y) * src;
        uint8_t* d = out + size_t(y) * row;
        if (channels_ == 3) {
            for (uint32_t x = 0; x < width_; ++x) {
                d[3 * x] = s[3 * x + 2];
                d[3 * x + 1] = s[3 * x + 1];
                d[3 * x + 2] = s[3 * x];
            }
        } else {
            std::memcpy(d, s, src);
        }
    }
    const WriteFault f = currentFault();
    const bool faulted = f.error != 0 && f.framesWritten >= 0 && index_.size() >= size_t(f.framesWritten);
    // A faulted frame fills the disk part of the way, as a real one does.
    if (faulted)
        (void)writeAt(written_, scratch_.data(), scratch_.size() / 2);
    if (faulted || !writeAt(written_, scratch_.data(), scratch_.size())) {
        const int error = faulted ? f.error : error_;
        // The part that reached the file goes; the next frame is written in
        // its place, and the space is free for the index.
        (void)::ftruncate(fd_, off_t(written_));
        return fail(error);
    }
    index_.push_back({uint32_t(written_ - moviStart_), frameBytes_});
    written_ += scratch_.size();
    return true;
}

bool AviRecorder::close()
{
    if (fd_ < 0)
        return false;
    int firstError = 0;
    auto step = [this, &firstError](bool done) {
        if (!done && firstError == 0)
            firstError = error_ != 0 ? error_ : EIO;
    };
    const uint32_t moviSize = uint32_t(written_ - moviStart_);
    std::vector<uint8_t> idx;
    fourcc(idx, "idx1");
    put32(idx, uint32_t(index_.size() * 16));
    for (const IndexEntry& e : index_) {
        fourcc(idx, "00db");
        put32(idx, 0x10);  // AVIIF_KEYFRAME
        put32(idx, e.offset);
        put32(idx, e.size);
    }
    // Without room for the index the file still ends after its last whole
    // frame, and its headers say it has no index.
    const bool indexed = writeAt(written_, idx.data(), idx.size());
    step(indexed);
    if (!indexed)
        (void)::ftruncate(fd_, off_t(written_));
    const uint64_t end = written_ + (indexed ? idx.size() : 0);
    // Each field is patched whatever became of the one before: they lie in
    // the headers, which need no new room on the disk.
    auto patch = [this, &step](uint64_t at, uint32_t value) {
        const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        step(writeAt(at, b, 4));
    };
    patch(kRiffSize, uint32_t(end - 8));
    patch(kAviFlags, indexed ? kHasIndex : 0);
    patch(kTotalFrames, uint32_t(index_.size()));
    patch(kStreamLength, uint32_t(index_.size()));
    patch(moviStart_ - 4, moviSize);
    if (::close(fd_) != 0)
        step(fail(errno));
    fd_ = -1;
    index_.clear();
    error_ = firstError;
    return firstError == 0;
}

} // namespace ztcam
