#include "PexCamera.h"

#include "PexCameraDescription.h"
#include "PexText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace platform::pex {

namespace {

const PexPixelFormat kFormats[] = {
    {"Mono8", 0x01080001, 1, 8, 1, false},     {"Mono10", 0x01100003, 2, 10, 1, false},
    {"Mono12", 0x01100005, 2, 12, 1, false},   {"Mono16", 0x01100007, 2, 16, 1, false},
    {"BayerRG8", 0x01080009, 1, 8, 1, true},   {"BayerRG12", 0x01100011, 2, 12, 1, true},
    {"RGB8", 0x02180014, 3, 8, 3, false},
};

using R = PexCameraRegisters;

enum class Access { RO, WO, RW };

struct Region {
    uint64_t address;
    uint64_t length;
    Access access;
    bool locks;  // refused while TLParamsLocked is 1
};

const Region kRegions[] = {
    {R::kStandard, 4, Access::RO, false},         {R::kRevision, 4, Access::RO, false},
    {R::kManifestSize, 4, Access::RO, false},     {R::kManifestSelector, 4, Access::RW, false},
    {R::kXmlVersion, 4, Access::RO, false},       {R::kXmlSchemaVersion, 4, Access::RO, false},
    {R::kUrlAddress, 4, Access::RO, false},       {R::kUrlText, R::kUrlTextLength, Access::RO, false},
    {R::kVendorName, R::kVendorNameLength, Access::RO, false},
    {R::kModelName, R::kModelNameLength, Access::RO, false},
    {R::kManufacturerInfo, R::kManufacturerInfoLength, Access::RO, false},
    {R::kDeviceVersion, R::kDeviceVersionLength, Access::RO, false},
    {R::kSerialNumber, R::kSerialNumberLength, Access::RO, false},
    {R::kUserId, R::kUserIdLength, Access::RW, false},
    {R::kSensorWidth, 4, Access::RO, false},      {R::kSensorHeight, 4, Access::RO, false},
    {R::kWidthMax, 4, Access::RO, false},         {R::kHeightMax, 4, Access::RO, false},
    {R::kWidth, 4, Access::RW, true},             {R::kHeight, 4, Access::RW, true},
    {R::kOffsetX, 4, Access::RW, true},           {R::kOffsetY, 4, Access::RW, true},
    {R::kPixelFormat, 4, Access::RW, true},       {R::kPixelSize, 4, Access::RO, false},
    {R::kAcquisitionMode, 4, Access::RW, false},  {R::kAcquisitionFrameCount, 4, Access::RW, false},
    {R::kAcquisitionStart, 4, Access::WO, false}, {R::kAcquisitionStop, 4, Access::WO, false},
    {R::kAcquisitionFrameRate, 8, Access::RW, false}, {R::kExposureTime, 8, Access::RW, false},
    {R::kPayloadSize, 4, Access::RO, false},      {R::kTLParamsLocked, 4, Access::RW, false},
};

void putBig32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (24 - 8 * i));
}

uint32_t getBig32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void putBigDouble(uint8_t* p, double d)
{
    uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (56 - 8 * i));
}

double getBigDouble(const uint8_t* p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | p[i];
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

}  // namespace

const PexPixelFormat* PexPixelFormat::byName(const std::string& name)
{
    for (const PexPixelFormat& f : kFormats)
        if (name == f.name)
            return &f;
    return nullptr;
}

const PexPixelFormat* PexPixelFormat::byCode(uint32_t pfnc)
{
    for (const PexPixelFormat& f : kFormats)
        if (pfnc == f.pfnc)
            return &f;
    return nullptr;
}

PexCamera::PexCamera(const PexCameraConfig& config, const std::string& serial)
    : m_config(config), m_serial(serial), m_userId(config.userId),
      m_description(PexCameraDescription::text(config.vendor, config.model)),
      m_width(std::min(config.width, config.sensorWidth)), m_height(std::min(config.height, config.sensorHeight)),
      m_format(PexPixelFormat::byName(config.pixelFormat)),
      m_frameRate(PexCameraRanges::frameRateAllowed(config.frameRate) ? config.frameRate : 0.0)
{
    if (!m_format)
        m_format = &kFormats[0];
}

std::string PexCamera::manifestUrl() const
{
    char tail[48];
    std::snprintf(tail, sizeof tail, ".xml;%llx;%llx", static_cast<unsigned long long>(R::kXml),
                  static_cast<unsigned long long>(m_description.size()));
    std::string model;
    for (char c : m_config.model)
        model += (c == ';' || c == ':' || c == '/' || c == '\\' || c == '?') ? '_' : c;
    return "local:" + model + tail;
}

uint32_t PexCamera::readInt(uint64_t address) const
{
    switch (address) {
    case R::kStandard: return 0xC0A79AE5u;
    case R::kRevision: return 0x00010000u;
    case R::kManifestSize: return 1;
    case R::kManifestSelector: return 0;
    case R::kXmlVersion: return 0x00010000u;
    case R::kXmlSchemaVersion: return 0x00010001u;
    case R::kUrlAddress: return uint32_t(R::kUrlText);
    case R::kSensorWidth:
    case R::kWidthMax: return m_config.sensorWidth;
    case R::kSensorHeight:
    case R::kHeightMax: return m_config.sensorHeight;
    case R::kWidth: return m_width;
    case R::kHeight: return m_height;
    case R::kOffsetX: return m_offsetX;
    case R::kOffsetY: return m_offsetY;
    case R::kPixelFormat: return m_format->pfnc;
    case R::kPixelSize: return m_format->bytes * 8;
    case R::kAcquisitionMode: return m_mode;
    case R::kAcquisitionFrameCount: return m_frameCount;
    case R::kPayloadSize: return uint32_t(payloadSize());
    case R::kTLParamsLocked: return m_locked;
    default: return 0;
    }
}

bool PexCamera::read(uint64_t address, uint64_t size, uint8_t* data, std::string* why) const
{
    if (address >= R::kXml && size <= m_description.size() && address - R::kXml <= m_description.size() - size) {
        std::memcpy(data, m_description.data() + (address - R::kXml), size);
        return true;
    }
    for (const Region& r : kRegions) {
        if (address < r.address || address >= r.address + r.length)
            continue;
        if (size == 0 || address - r.address + size > r.length)
            break;
        if (r.access == Access::WO) {
            *why = "the register is write-only";
            return false;
        }
        uint8_t bytes[256] = {};
        const std::string* text = nullptr;
        std::string url;
        switch (r.address) {
        case R::kUrlText: url = manifestUrl(); text = &url; break;
        case R::kVendorName: text = &m_config.vendor; break;
        case R::kModelName: text = &m_config.model; break;
        case R::kManufacturerInfo: text = &m_config.manufacturerInfo; break;
        case R::kDeviceVersion: text = &m_config.version; break;
        case R::kSerialNumber: text = &m_serial; break;
        case R::kUserId: text = &m_userId; break;
        case R::kAcquisitionFrameRate: putBigDouble(bytes, m_frameRate); break;
        case R::kExposureTime: putBigDouble(bytes, m_exposure); break;
        default: putBig32(bytes, readInt(r.address)); break;
        }
        if (text)
            std::memcpy(bytes, text->data(), std::min<size_t>(text->size(), r.length));
        std::memcpy(data, bytes + (address - r.address), size);
        return true;
    }
    *why = "no register at this address";
    return false;
}

bool PexCamera::write(uint64_t address, uint64_t size, const uint8_t* data, std::string* why, double now)
{
    const Region* region = nullptr;
    for (const Region& r : kRegions)
        if (address == r.address)
            region = &r;
    if (!region || size == 0 || size > region->length ||
        (region->address != R::kUserId && size != region->length)) {
        *why = "no register at this address";
        return false;
    }
    if (region->access == Access::RO) {
        *why = "the register is read-only";
        return false;
    }
    if (region->locks && m_locked) {
        *why = "the feature is locked while the transport layer parameters are locked";
        return false;
    }
    if (region->address == R::kUserId) {
        m_userId.assign(reinterpret_cast<const char*>(data), size);
        m_userId.resize(std::strlen(m_userId.c_str()));
        return true;
    }
    if (region->length == 8) {
        const double v = getBigDouble(data);
        const bool rate = region->address == R::kAcquisitionFrameRate;
        if (!(rate ? PexCameraRanges::frameRateAllowed(v) : PexCameraRanges::exposureAllowed(v))) {
            const double min = rate ? PexCameraRanges::kFrameRateMin : PexCameraRanges::kExposureMin;
            const double max = rate ? PexCameraRanges::kFrameRateMax : PexCameraRanges::kExposureMax;
            const std::string unit = rate ? " Hz" : " us";
            *why = std::string(rate ? "the frame rate " : "the exposure time ") + PexText::decimal(v) + unit +
                   " lies outside " + PexText::decimal(min) + " to " + PexText::decimal(max) + unit;
            return false;
        }
        (rate ? m_frameRate : m_exposure) = v;
        if (m_acquiring && rate)
            startAcquisition(now);  // the new rate counts from now
        return true;
    }
    const uint32_t v = getBig32(data);
    bool ok = true;
    switch (region->address) {
    case R::kManifestSelector: ok = v == 0; break;
    case R::kWidth: ok = v >= 1 && uint64_t(m_offsetX) + v <= m_config.sensorWidth; if (ok) m_width = v; break;
    case R::kHeight: ok = v >= 1 && uint64_t(m_offsetY) + v <= m_config.sensorHeight; if (ok) m_height = v; break;
    case R::kOffsetX: ok = uint64_t(v) + m_width <= m_config.sensorWidth; if (ok) m_offsetX = v; break;
    case R::kOffsetY: ok = uint64_t(v) + m_height <= m_config.sensorHeight; if (ok) m_offsetY = v; break;
    case R::kPixelFormat: {
        const PexPixelFormat* f = PexPixelFormat::byCode(v);
        ok = f != nullptr;
        if (ok)
            m_format = f;
        break;
    }
    case R::kAcquisitionMode: ok = v <= 2; if (ok) m_mode = v; break;
    case R::kAcquisitionFrameCount: ok = v >= 1; if (ok) m_frameCount = v; break;
    case R::kAcquisitionStart: if (v && !m_acquiring) startAcquisition(now); break;
    case R::kAcquisitionStop: if (v) m_acquiring = false; break;
    case R::kTLParamsLocked: ok = v <= 1; if (ok) m_locked = v; break;
    default: ok = false; break;
    }
    if (!ok)
        *why = "the value is out of range";
    return ok;
}

void PexCamera::startAcquisition(double now)
{
    m_acquiring = true;
    m_start = now;
    m_produced = 0;
}

bool PexCamera::takeFrame(double now, uint64_t* frame, double* due)
{
    const uint64_t limit = m_mode == 1 ? 1 : m_mode == 2 ? m_frameCount : 0;
    if (limit && m_produced >= limit)
        m_acquiring = false;  // the mode or count changed to fewer frames than were made
    if (!m_acquiring) {
        *due = 0.0;
        return false;
    }
    uint64_t available;
    if (m_frameRate <= 0.0) {
        available = m_produced + 1;
    } else {
        // The next frame is there from the very time named as its due time,
        // so that a grab woken then never finds it missing and waits again
        // for a time already past. The rate lies within its range and both
        // times come from the steady clock under the library's lock, so the
        // count is small and not negative.
        const double next = m_start + double(m_produced) / m_frameRate;
        if (now < next) {
            *due = next;
            return false;
        }
        available = std::max(uint64_t(std::floor((now - m_start) * m_frameRate)) + 1, m_produced + 1);
        if (limit)
            available = std::min(available, limit);
    }
    // The newest frame goes to the grab; older ones nobody waited for.
    const uint64_t skipped = available - 1 - m_produced;
    m_missed += int64_t(skipped);
    m_frameCounter += skipped;
    *frame = m_frameCounter++;
    m_produced = available;
    if (limit && m_produced >= limit)
        m_acquiring = false;
    return true;
}

}  // namespace platform::pex
