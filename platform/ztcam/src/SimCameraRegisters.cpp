// Registers of one simulated camera: device string, product id and the user-set block.
#include "SimCamera.h"

#include <cstring>

namespace ztcam {

namespace {

constexpr uint64_t kRegDeviceString = ZTCAM_REG_DEVICE_STRING;
constexpr uint64_t kRegProductId = ZTCAM_REG_PRODUCT_ID;
constexpr uint64_t kRegSelector = 0x8000;
constexpr uint64_t kRegWordCount = 0x8004;
constexpr uint64_t kRegReserved = 0x8008;
constexpr uint64_t kRegMode = 0x800C;
constexpr uint64_t kRegState = 0x8010;
constexpr uint64_t kRegWindow = ZTCAM_REG_USERSET_WINDOW;
constexpr uint32_t kUserSetSelector = 7;

uint32_t readBE32(const uint8_t* b)
{
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

void writeBE32(uint8_t* b, uint32_t v)
{
    b[0] = uint8_t(v >> 24);
    b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8);
    b[3] = uint8_t(v);
}

// True when [address, address + count) lies inside [base, base + size);
// written so that no sum can wrap around.
bool inBlock(uint64_t address, uint32_t count, uint64_t base, uint64_t size)
{
    return address >= base && count <= size && address - base <= size - count;
}

} // namespace


bool SimCamera::userSetSupported() const
{
    const std::string& v = config_.deviceVersion;
    if (v.size() < 5)
        return false;
    return std::atoi(v.substr(4, 4).c_str()) > 2504;
}

std::vector<int32_t> SimCamera::buildUserSetBlock() const
{
    const auto values = snapshotValues();
    std::vector<int32_t> words;
    words.push_back(int32_t(values.size()));
    words.push_back(int32_t(2 + 2 * values.size()));
    for (const auto& [index, value] : values) {
        words.push_back(index);
        words.push_back(int32_t(value));
    }
    // A longer block (as newer firmware keeps) ends in zero words.
    if (config_.userSetWords > words.size()) {
        words.resize(config_.userSetWords, 0);
        words[1] = int32_t(words.size());
    }
    return words;
}

bool SimCamera::applyUserSetBlock(const std::vector<int32_t>& words)
{
    if (words.size() < 2)
        return false;
    const int64_t items = words[0];
    const int64_t length = words[1];
    if (items < 0 || length < 2 + 2 * items || int64_t(words.size()) < length)
        return false;
    std::vector<std::pair<int, int64_t>> values;
    for (int64_t i = 0; i < items; ++i) {
        const int index = words[size_t(2 + 2 * i)];
        const int32_t word = words[size_t(3 + 2 * i)];
        // A word holds the low 32 bits; features that cannot be negative
        // (an IPv4 address, say) read it back unsigned.
        const bool unsignedValue = index >= 0 && size_t(index) < cameraMap_.size() &&
                                   cameraMap_.at(size_t(index)).type == ZTCAM_ELEM_INTEGER &&
                                   cameraMap_.at(size_t(index)).intMin >= 0;
        values.emplace_back(index, unsignedValue ? int64_t(uint32_t(word)) : int64_t(word));
    }
    if (capturing_)
        return false;
    return applyValues(values);
}

ZTCamStatus SimCamera::readRegister(uint8_t* bytes, uint64_t address, uint32_t count)
{
    if (!bytes || count == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    if (inBlock(address, count, kRegDeviceString, ZTCAM_REG_DEVICE_STRING_LEN)) {
        uint8_t buf[ZTCAM_REG_DEVICE_STRING_LEN] = {};
        std::memcpy(buf, config_.serial.data(), std::min<size_t>(config_.serial.size(), sizeof buf - 1));
        std::memcpy(bytes, buf + (address - kRegDeviceString), count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (inBlock(address, count, kRegProductId, 4)) {
        uint8_t buf[4];
        writeBE32(buf, config_.productId);
        std::memcpy(bytes, buf + (address - kRegProductId), count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address == kRegWindow) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count > ZTCAM_REG_USERSET_WINDOW_SIZE)
            return ZTCAM_STATUS_INVALID_PARAM;
        if (usMode_ != 2)
            return ZTCAM_STATUS_WRONG_STATE;
        const size_t total = usReadBlock_.size() * 4;
        if (usReadPos_ + count > total)
            return ZTCAM_STATUS_OUT_OF_RANGE;
        std::memcpy(bytes, reinterpret_cast<const uint8_t*>(usReadBlock_.data()) + usReadPos_, count);
        usReadPos_ += count;
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address >= kRegSelector && address <= kRegState) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count != 4 || (address & 3) != 0)
            return ZTCAM_STATUS_INVALID_PARAM;
        uint32_t v = 0;
        switch (address) {
        case kRegSelector: v = usSelector_; break;
        case kRegWordCount: v = usMode_ == 2 ? uint32_t(usReadBlock_.size()) : 0; break;
        case kRegReserved: v = 0; break;
        case kRegMode: v = usMode_; break;
        default: v = usState_; break;
        }
        writeBE32(bytes, v);
        return ZTCAM_STATUS_SUCCESS;
    }
    return ZTCAM_STATUS_NOT_FOUND;
}

ZTCamStatus SimCamera::writeRegister(const uint8_t* bytes, uint64_t address, uint32_t count)
{
    if (!bytes || count == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    if ((address >= kRegDeviceString && address < kRegDeviceString + ZTCAM_REG_DEVICE_STRING_LEN) ||
        (address >= kRegProductId && address < kRegProductId + 4))
        return ZTCAM_STATUS_ACCESS_DENIED;
    if (address == kRegWindow) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count > ZTCAM_REG_USERSET_WINDOW_SIZE)
            return ZTCAM_STATUS_INVALID_PARAM;
        if (usMode_ != 1)
            return ZTCAM_STATUS_WRONG_STATE;
        if (usWriteBytes_.size() + count > 1024 * 1024)
            return ZTCAM_STATUS_OUT_OF_RANGE;
        usWriteBytes_.insert(usWriteBytes_.end(), bytes, bytes + count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address >= kRegSelector && address <= kRegState) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count != 4 || (address & 3) != 0)
            return ZTCAM_STATUS_INVALID_PARAM;
        const uint32_t v = readBE32(bytes);
        if (address == kRegSelector) {
            usSelector_ = v;
            return ZTCAM_STATUS_SUCCESS;
        }
        if (address != kRegMode)
            return ZTCAM_STATUS_ACCESS_DENIED;
        if (v == 2) {
            usReadBlock_ = usSelector_ == kUserSetSelector ? buildUserSetBlock() : std::vector<int32_t>();
            usReadPos_ = 0;
        } else if (v == 1) {
            usWriteBytes_.clear();
            usState_ = 1;  // busy until the data is taken
        } else if (v == 0) {
            if (usMode_ == 1) {
                std::vector<int32_t> words(usWriteBytes_.size() / 4);
                std::memcpy(words.data(), usWriteBytes_.data(), words.size() * 4);
                const bool ok = usSelector_ == kUserSetSelector && usWriteBytes_.size() % 4 == 0 &&
                                applyUserSetBlock(words);
                usState_ = ok ? 0 : 2;
                setMessage(ok ? "User-set data loaded" : "User-set data rejected");
                usWriteBytes_.clear();
            }
            usReadBlock_.clear();
            usReadPos_ = 0;
        } else {
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        usMode_ = v;
        return ZTCAM_STATUS_SUCCESS;
    }
    return ZTCAM_STATUS_NOT_FOUND;
}

} // namespace ztcam
