#include "AviRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
constexpr long kRiffSize = 4;
constexpr long kTotalFrames = 48;   // avih dwTotalFrames
constexpr long kStreamLength = 140; // strh dwLength

} // namespace

AviRecorder::~AviRecorder()
{
    close();
}

bool AviRecorder::open(const std::string& path, uint32_t width, uint32_t height, uint32_t channels,
                       float frameRate)
{
    if (file_ || width == 0 || height == 0 || (channels != 1 && channels != 3) || !(frameRate > 0.0f) ||
        !std::isfinite(frameRate))
        return false;
    width_ = width;
    height_ = height;
    channels_ = channels;
    const double r = std::round(double(frameRate) * 1000.0);
    rate_ = r < 1.0 ? 1u : (r > 4.0e9 ? 4000000000u : uint32_t(r));
    frameBytes_ = ((width * channels + 3u) & ~3u) * height;
    index_.clear();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return false;
    if (!writeHeaders()) {
        std::fclose(file_);
        file_ = nullptr;
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
    put32(h, 0x10);  // AVIF_HASINDEX
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
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size())
        return false;
    written_ = h.size();
    return true;
}

bool AviRecorder::append(const ImageView& frame)
{
    if (!file_ || !frame.valid() || frame.width != width_ || frame.height != height_ ||
        frame.channels != channels_)
        return false;
    const uint64_t after = written_ + 8 + frameBytes_ + 16ull * (index_.size() + 1) + 8;
    if (after > kMaxFileBytes)
        return false;
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
    if (std::fwrite(scratch_.data(), 1, scratch_.size(), file_) != scratch_.size())
        return false;
    index_.push_back({uint32_t(written_ - moviStart_), frameBytes_});
    written_ += scratch_.size();
    return true;
}

bool AviRecorder::close()
{
    if (!file_)
        return false;
    bool ok = true;
    const uint32_t moviSize = uint32_t(written_ - moviStart_);
    std::vector<uint8_t> idx;
    fourcc(idx, "idx1");
    put32(idx, uint32_t(index_.size() * 16));
    for (const IndexEntry& e : index_) {
        fourcc(idx, "00db");
        put32(idx, 0x10);  // key frame
        put32(idx, e.offset);
        put32(idx, e.size);
    }
    ok = ok && std::fwrite(idx.data(), 1, idx.size(), file_) == idx.size();
    written_ += idx.size();
    auto patch = [this, &ok](long at, uint32_t value) {
        uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        ok = ok && std::fseek(file_, at, SEEK_SET) == 0 && std::fwrite(b, 1, 4, file_) == 4;
    };
    patch(kRiffSize, uint32_t(written_ - 8));
    patch(kTotalFrames, uint32_t(index_.size()));
    patch(kStreamLength, uint32_t(index_.size()));
    patch(long(moviStart_ - 4), moviSize);
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    index_.clear();
    return ok;
}

} // namespace ztcam
