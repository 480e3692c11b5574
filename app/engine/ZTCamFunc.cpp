#include "ZTCamFunc.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstring>
#include <memory>

#include "DebugLine.h"

std::atomic<ZTCamFunc*> ZTCamFunc::s_instance{nullptr};

namespace {

QMutex g_instanceMutex;

bool contains(std::initializer_list<int> ids, int id)
{
    for (int v : ids)
        if (v == id)
            return true;
    return false;
}

}  // namespace

ZTCamFunc* ZTCamFunc::instance()
{
    ZTCamFunc* p = s_instance.load(std::memory_order_acquire);
    if (!p) {
        QMutexLocker lock(&g_instanceMutex);
        p = s_instance.load(std::memory_order_relaxed);
        if (!p) {
            p = new ZTCamFunc;
            s_instance.store(p, std::memory_order_release);
        }
    }
    return p;
}

ZTCamFunc::ZTCamFunc()
{
    m_elementNames = QStringList{
        "DeviceScanType", "SensorBinning", "BinningHorizontal", "BinningVertical", "BinningType",
        "ReverseX", "PixelFormat", "LineInfo", "TestPattern", "ScanDirection",
        "TDIStagesP1", "Width", "Height", "OffsetX", "OffsetY",
        "OperationMode", "AcquisitionLineRate", "ExposureTime", "TriggerMode", "TriggerSource",
        "TriggerBurrFilter", "ScanDirectionBurrFilter", "TriggerRescalerMode", "TriggerRescalerRate",
        "TriggerRescalerFilter", "SoftTriggerNum", "AnalogGain", "DigitalGain", "BlackLevel",
        "LUTEnable", "LUTIndex", "LUTValue", "StrobeMode", "StrobeInverter",
        "StrobeOutDelay", "StrobeDuration", "FanOperationMode", "FanDutyFactor", "FanSpeed",
        "TECOperationMode", "TECDutyFactor", "CoolOperationTemperature", "DSNUMode", "PRNUSelector",
        "PRNUMode", "TargetLevelAUTO", "PRNUTargetLevel", "StartX", "EndX",
        "UserSetSelector", "UserSetDefault"};
    m_dsnuCommands = QStringList{"DSNUSave", "DSNULoad", "DSNUGenerateAll", "DSNUGenerate"};
    m_prnuCommands = QStringList{"PRNUSelector", "PRNUSave", "PRNULoad", "PRNUFactoryReset"};
}

bool ZTCamFunc::IsValidTemperature(double celsius)
{
    return celsius - 200.0 <= 0.000001 && celsius + 100.0 >= 0.000001;
}

int ZTCamFunc::PixelBitDepth(const QString& pixelFormat)
{
    if (!pixelFormat.startsWith(QLatin1String("Mono")))
        return 0;
    QStringRef digits = pixelFormat.midRef(4);
    if (digits.startsWith(QLatin1Char(' ')))
        digits = digits.mid(1);
    if (digits.isEmpty() || digits.size() > 2)
        return 0;
    for (QChar c : digits)
        if (!c.isDigit())
            return 0;
    const int bits = digits.toInt();
    return bits >= 8 && bits <= 16 ? bits : 0;
}

int ZTCamFunc::DisplayShift(const QString& pixelFormat)
{
    const int bits = PixelBitDepth(pixelFormat);
    return bits > 0 ? bits - 8 : 2;
}

// A string element's value needs a text buffer of maximum + 1 bytes. Keep the
// caller's; otherwise lend ours, sized from the element. A record that comes
// back holding our buffer from an earlier read (a record reused for the next
// feature) is lent the buffer again, sized for the new element: the SDK must
// never write the longer text of one feature into room sized for another.
// The buffer only grows, and starts large enough for any usual text, so that
// records still pointing at it stay valid.
void ZTCamFunc::prepareText(ZTCamElement& element)
{
    if (element.type != ZTCAM_ELEM_STRING)
        return;
    if (element.text && element.text != m_textBuffer.constData())
        return;
    int64_t max = element.maximum.intValue;
    if (max < 0 || max > (1 << 20))
        max = 0;
    const int needed = static_cast<int>(max) + 1;
    if (m_textBuffer.size() < needed)
        m_textBuffer.resize(needed > kLentTextSize ? needed : kLentTextSize);
    m_textBuffer.fill('\0');
    element.text = m_textBuffer.data();
}

void ZTCamFunc::GetGenICamElement(ZTCamElement& element, ZTCamHandle handle, const char* name)
{
    if (!handle)
        return;
    // The record is the answer, as far as the SDK filled it: the statuses
    // are not looked at (QueryGenICamElement is the checked form).
    char* callerText = element.text;
    (void)ZTCAM_GenICam_ElementAttr(handle, &element, name, ZTCAM_NODEMAP_CAMERA);
    element.text = callerText;
    prepareText(element);
    (void)ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA);
}

bool ZTCamFunc::QueryGenICamElement(ZTCamHandle handle, const char* name, ZTCamElement& element)
{
    if (!handle)
        return false;
    char* callerText = element.text;
    if (ZTCAM_GenICam_ElementAttr(handle, &element, name, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return false;
    element.text = callerText;
    prepareText(element);
    return ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA) == ZTCAM_STATUS_SUCCESS;
}

bool ZTCamFunc::SetGenICamElement(ZTCamHandle handle, ZTCamElement element)
{
    if (handle && ZTCAM_GenICam_SetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA) == ZTCAM_STATUS_SUCCESS)
        return true;
    LUMA_DEBUG("ZTCamFunc::SetGenICamElement", "Set element:%s value failed", element.name ? element.name : "");
    return false;
}

int64_t ZTCamFunc::GetOffsetX(ZTCamHandle handle)
{
    if (!handle)
        return 0;
    std::strcpy(m_scratchName, "OffsetX");
    ZTCamElement element{};
    if (ZTCAM_GenICam_ElementAttr(handle, &element, m_scratchName, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return 0;
    // Only a failed attribute call gives 0: it has filled the value already.
    (void)ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA);
    return element.value.intValue;
}

int64_t ZTCamFunc::GetOffsetY(ZTCamHandle handle)
{
    if (!handle)
        return 0;
    std::strcpy(m_scratchName, "OffsetY");
    ZTCamElement element{};
    if (ZTCAM_GenICam_ElementAttr(handle, &element, m_scratchName, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return 0;
    // Only a failed attribute call gives 0: it has filled the value already.
    (void)ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA);
    return element.value.intValue;
}

bool ZTCamFunc::GetDeviceVersion(ZTCamHandle handle, char* version)
{
    if (!handle || !version)
        return false;
    ZTCamElement element{};
    if (ZTCAM_GenICam_ElementAttr(handle, &element, "DeviceVersion", ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return false;
    // The text buffer is sized from the element (maximum + 1 bytes).
    int64_t max = element.maximum.intValue;
    if (max < 32)
        max = 32;
    if (max > (1 << 20))
        max = 1 << 20;
    std::unique_ptr<char[]> text(new char[static_cast<size_t>(max) + 1]());
    element.text = text.get();
    if (ZTCAM_GenICam_GetElementValue(handle, &element, ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return false;
    std::memset(version, 0, 32);
    std::strncpy(version, text.get(), 31);
    return true;
}

QByteArray ZTCamFunc::readDeviceString(ZTCamHandle handle)
{
    uint8_t bytes[kDeviceStringSize] = {0};
    if (handle)
        ZTCAM_GenICam_GetRegisterValue(handle, bytes, ZTCAM_REG_DEVICE_STRING, kDeviceStringSize);
    // The register need not be terminated: take at most its 64 bytes.
    const char* text = reinterpret_cast<const char*>(bytes);
    return QByteArray(text, static_cast<int>(strnlen(text, kDeviceStringSize)));
}

QString ZTCamFunc::GetChannelName(ZTCamHandle handle, QByteArray& lastDeviceString, int& deviceCounter,
                                  int defaultChannel)
{
    const QByteArray device = readDeviceString(handle);
    int channel = defaultChannel;
    ZTCamElement element{};
    if (QueryGenICamElement(handle, "DeviceChannel", element))
        channel = static_cast<int>(element.value.intValue);
    if (!lastDeviceString.isEmpty() && lastDeviceString != device)
        ++deviceCounter;
    lastDeviceString = device;
    return QString("%1_%2").arg(deviceCounter).arg(channel);
}

char* ZTCamFunc::GetDeviceSN(ZTCamHandle handle)
{
    // One spare byte keeps the text terminated even when all 64 are used.
    char* sn = new char[kDeviceStringSize + 1]();
    if (handle)  // a failed read leaves the buffer zeroed
        (void)ZTCAM_GenICam_GetRegisterValue(handle, reinterpret_cast<uint8_t*>(sn), ZTCAM_REG_DEVICE_STRING,
                                             kDeviceStringSize);
    sn[kDeviceStringSize] = '\0';
    return sn;
}

bool ZTCamFunc::IsSameDevice(ZTCamHandle a, ZTCamHandle b)
{
    if (!a || !b)
        return false;
    if (a == b)
        return true;
    return readDeviceString(a) == readDeviceString(b);
}

int ZTCamFunc::ReadRegister32(ZTCamHandle handle, uint64_t address)
{
    if (!handle)
        return -1;
    uint8_t b[4] = {0};
    if (ZTCAM_GenICam_GetRegisterValue(handle, b, address, 4) != ZTCAM_STATUS_SUCCESS)
        return -1;
    return static_cast<int>((uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]));
}

bool ZTCamFunc::WriteRegister32(ZTCamHandle handle, uint64_t address, int value, uint32_t byteCount)
{
    if (!handle)
        return false;
    const uint32_t v = static_cast<uint32_t>(value);
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    // Never more than the four bytes we hold.
    const uint32_t count = byteCount > 4 ? 4 : byteCount;
    return ZTCAM_GenICam_SetRegisterValue(handle, b, address, count) == ZTCAM_STATUS_SUCCESS;
}

int ZTCamFunc::GetGrayValue(ZTCamHandle handle, int x, int y)
{
    uint16_t values[12] = {0};
    if (handle)  // a failed read gives the zeroed first entry
        (void)ZTCAM_Get_GrayValue(handle, x, y, values);
    return values[0];
}

int ZTCamFunc::readProductId(ZTCamHandle handle)
{
    if (!handle)
        return 0;
    const uint8_t kind = static_cast<const uint8_t*>(handle)[ZTCAM_HANDLE_INTERFACE_KIND_OFFSET];
    if (kind != ZTCAM_INTERFACE_KIND_PRODUCT_ID)
        return 0;
    uint8_t b[4] = {0};
    if (ZTCAM_GenICam_GetRegisterValue(handle, b, ZTCAM_REG_PRODUCT_ID, 4) != ZTCAM_STATUS_SUCCESS)
        return 0;
    return b[2] * 256 + b[3];
}

void ZTCamFunc::RefreshProductId(ZTCamHandle handle) { m_productIds[handle] = readProductId(handle); }

bool ZTCamFunc::EnsureProductId(ZTCamHandle handle)
{
    if (!m_productIds.contains(handle))
        m_productIds[handle] = readProductId(handle);
    return true;
}

int ZTCamFunc::productId(ZTCamHandle handle)
{
    EnsureProductId(handle);
    return m_productIds.value(handle);
}

bool ZTCamFunc::IsProductE41A(ZTCamHandle handle) { return productId(handle) == 0xE41A; }

bool ZTCamFunc::IsProductE427(ZTCamHandle handle) { return productId(handle) == 0xE427; }

bool ZTCamFunc::IsProductGroupA(ZTCamHandle handle)
{
    return contains({0xE415, 0xE421, 0xE427, 0xE42C, 0xE433}, productId(handle));
}

bool ZTCamFunc::IsProductGroupB(ZTCamHandle handle)
{
    return contains({0xE415, 0xE41A, 0xE421, 0xE427, 0xE428, 0xE42A, 0xE42B, 0xE42C, 0xE42F, 0xE430, 0xE431,
                     0xE432, 0xE433, 0xE43C},
                    productId(handle));
}

void ZTCamFunc::ClearProductIds() { m_productIds.clear(); }

QString ZTCamFunc::CurrentEntryName(const ZTCamElement& element)
{
    const int64_t value = element.value.intValue;
    if (!element.entries || value < 0 || value > element.maximum.intValue)
        return QString();
    const char* name = element.entries[value];
    return name ? QString::fromUtf8(name) : QString();
}
