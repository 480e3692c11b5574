#pragma once
// The one process-wide object through which the program reads and writes
// GenICam features and raw registers of a camera, identifies the camera model
// and finds the fixed lists of feature and calibration command names.
// Every operation takes the camera's SDK handle and tolerates a null handle.
// Apart from instance(), all operations are for the GUI thread.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>

#include <ZTCam.h>

class ZTCamFunc {
public:
    static ZTCamFunc* instance();

    // Temperature warning limits (degrees Celsius).
    static constexpr double SensorTempLimit = 65.0;
    static constexpr double FpgaTempLimit = 85.0;
    static constexpr double FpgaTempLimitE41A = 80.0;
    static constexpr double FpgaTempLimitGroupA = 75.0;
    static bool IsValidTemperature(double celsius);
    // The entry text of an enumeration element's current value; empty when
    // the value lies outside its entries.
    static QString CurrentEntryName(const ZTCamElement& element);
    // Significant bits of a mono PixelFormat entry ("Mono 8" .. "Mono 16",
    // with or without the space); 0 for any other entry.
    static int PixelBitDepth(const QString& pixelFormat);
    // Right shift that turns a sample of that format into an 8-bit display
    // value: bits - 8 for a known mono depth, 2 for anything else.
    static int DisplayShift(const QString& pixelFormat);

    QStringList elementNames() const { return m_elementNames; }
    QStringList dsnuCommands() const { return m_dsnuCommands; }
    QStringList prnuCommands() const { return m_prnuCommands; }

    // GenICam features of the camera (node map 0). For a string feature the
    // caller may point element.text at a buffer of maximum + 1 bytes; when it
    // is null the text goes into a buffer of this object that stays valid
    // until the next element read through this object.
    void GetGenICamElement(ZTCamElement& element, ZTCamHandle handle, const char* name);
    bool QueryGenICamElement(ZTCamHandle handle, const char* name, ZTCamElement& element);
    bool SetGenICamElement(ZTCamHandle handle, ZTCamElement element);
    int64_t GetOffsetX(ZTCamHandle handle);
    int64_t GetOffsetY(ZTCamHandle handle);
    // Text of "DeviceVersion" into `version` (32 bytes, always terminated).
    bool GetDeviceVersion(ZTCamHandle handle, char* version);
    QString GetChannelName(ZTCamHandle handle, QByteArray& lastDeviceString, int& deviceCounter,
                           int defaultChannel);

    // Registers.
    static constexpr int kDeviceStringSize = 64;
    // New 64-byte zeroed buffer (plus a terminator byte) with the device
    // string used as serial number; the caller frees it with delete[].
    char* GetDeviceSN(ZTCamHandle handle);
    bool IsSameDevice(ZTCamHandle a, ZTCamHandle b);
    int ReadRegister32(ZTCamHandle handle, uint64_t address);
    bool WriteRegister32(ZTCamHandle handle, uint64_t address, int value, uint32_t byteCount);
    int GetGrayValue(ZTCamHandle handle, int x, int y);

    // Model identification by product id.
    void RefreshProductId(ZTCamHandle handle);
    bool EnsureProductId(ZTCamHandle handle);
    bool IsProductE41A(ZTCamHandle handle);
    bool IsProductE427(ZTCamHandle handle);
    bool IsProductGroupA(ZTCamHandle handle);
    bool IsProductGroupB(ZTCamHandle handle);
    void ClearProductIds();
    // The id as cached (reads it on first use); 0 for unknown models.
    int productId(ZTCamHandle handle);

private:
    ZTCamFunc();
    ZTCamFunc(const ZTCamFunc&) = delete;
    ZTCamFunc& operator=(const ZTCamFunc&) = delete;

    static int readProductId(ZTCamHandle handle);
    QByteArray readDeviceString(ZTCamHandle handle);
    void prepareText(ZTCamElement& element);

    QStringList m_elementNames;
    char m_scratchName[128] = {0};
    QStringList m_dsnuCommands;
    QStringList m_prnuCommands;
    QMap<ZTCamHandle, int> m_productIds;
    static constexpr int kLentTextSize = 4096;
    QByteArray m_textBuffer;  // lent to string reads (see prepareText)

    static std::atomic<ZTCamFunc*> s_instance;
};
