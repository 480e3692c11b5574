#include "PexCameraDescription.h"

#include "PexText.h"

#include <cctype>
#include <cstdio>

namespace platform::pex {

namespace {

std::string genApiName(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    if (out.empty() || !std::isalpha(static_cast<unsigned char>(out[0])))
        out.insert(0, "C");
    return out;
}

std::string hex(uint64_t v)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

struct Writer {
    std::string out;

    void line(const std::string& s) { out += "  " + s + "\n"; }

    void intReg(const char* name, uint64_t address, const char* access, const char* visibility = "Beginner")
    {
        line(std::string("<IntReg Name=\"") + name + "\">");
        line(std::string("  <Visibility>") + visibility + "</Visibility>");
        line("  <Address>" + hex(address) + "</Address>");
        line("  <Length>4</Length>");
        line(std::string("  <AccessMode>") + access + "</AccessMode>");
        line("  <pPort>Device</pPort>");
        line("  <Cachable>NoCache</Cachable>");
        line("  <Endianess>BigEndian</Endianess>");
        line("</IntReg>");
    }

    void stringReg(const char* name, uint64_t address, uint32_t length, const char* access)
    {
        line(std::string("<StringReg Name=\"") + name + "\">");
        line("  <Address>" + hex(address) + "</Address>");
        line("  <Length>" + std::to_string(length) + "</Length>");
        line(std::string("  <AccessMode>") + access + "</AccessMode>");
        line("  <pPort>Device</pPort>");
        line("  <Cachable>NoCache</Cachable>");
        line("</StringReg>");
    }

    // An Integer feature over an IntReg named <name>Reg.
    void integer(const char* name, uint64_t address, const std::string& min, const std::string& max, bool locked)
    {
        line(std::string("<Integer Name=\"") + name + "\">");
        if (locked)
            line("  <pIsLocked>TLParamsLocked</pIsLocked>");
        line(std::string("  <pValue>") + name + "Reg</pValue>");
        line("  " + min);
        line("  " + max);
        line("</Integer>");
        intRegAt((std::string(name) + "Reg").c_str(), address, "RW");
    }

    void floatFeature(const char* name, uint64_t address, double min, double max, const char* unit)
    {
        line(std::string("<Float Name=\"") + name + "\">");
        line(std::string("  <pValue>") + name + "Reg</pValue>");
        line("  <Min>" + PexText::decimal(min) + "</Min>");
        line("  <Max>" + PexText::decimal(max) + "</Max>");
        line(std::string("  <Unit>") + unit + "</Unit>");
        line("</Float>");
        line(std::string("<FloatReg Name=\"") + name + "Reg\">");
        line("  <Visibility>Invisible</Visibility>");
        line("  <Address>" + hex(address) + "</Address>");
        line("  <Length>8</Length>");
        line("  <AccessMode>RW</AccessMode>");
        line("  <pPort>Device</pPort>");
        line("  <Cachable>NoCache</Cachable>");
        line("  <Endianess>BigEndian</Endianess>");
        line("</FloatReg>");
    }

    void command(const char* name, uint64_t address)
    {
        line(std::string("<Command Name=\"") + name + "\">");
        line(std::string("  <pValue>") + name + "Reg</pValue>");
        line("  <CommandValue>1</CommandValue>");
        line("</Command>");
        intRegAt((std::string(name) + "Reg").c_str(), address, "WO");
    }

    void intRegAt(const char* name, uint64_t address, const char* access)
    {
        intReg(name, address, access, "Invisible");
    }

    void enumeration(const char* name, const char* reg, const char* const* entries, const uint64_t* values,
                     int count, bool locked)
    {
        line(std::string("<Enumeration Name=\"") + name + "\">");
        if (locked)
            line("  <pIsLocked>TLParamsLocked</pIsLocked>");
        for (int i = 0; i < count; ++i) {
            line(std::string("  <EnumEntry Name=\"") + entries[i] + "\">");
            line("    <Value>" + hex(values[i]) + "</Value>");
            line(std::string("    <Symbolic>") + entries[i] + "</Symbolic>");
            line("  </EnumEntry>");
        }
        line(std::string("  <pValue>") + reg + "</pValue>");
        line("</Enumeration>");
    }

    void category(const char* name, const char* const* features, int count)
    {
        line(std::string("<Category Name=\"") + name + "\">");
        for (int i = 0; i < count; ++i)
            line(std::string("  <pFeature>") + features[i] + "</pFeature>");
        line("</Category>");
    }
};

void build(Writer& w, const std::string& vendor, const std::string& model)
{
    using R = PexCameraRegisters;
    w.out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<RegisterDescription xmlns=\"http://www.genicam.org/GenApi/Version_1_1\""
            " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
            " xsi:schemaLocation=\"http://www.genicam.org/GenApi/Version_1_1"
            " http://www.genicam.org/GenApi/GenApiSchema_Version_1_1.xsd\""
            " ModelName=\"" + genApiName(model) + "\" VendorName=\"" + genApiName(vendor) + "\""
            " ToolTip=\"Simulated CoaXPress camera\" StandardNameSpace=\"None\""
            " SchemaMajorVersion=\"1\" SchemaMinorVersion=\"1\" SchemaSubMinorVersion=\"0\""
            " MajorVersion=\"1\" MinorVersion=\"0\" SubMinorVersion=\"0\""
            " ProductGuid=\"6B1E4C20-7D35-4A8F-9C02-5E3F81A7D4B9\""
            " VersionGuid=\"0D9A2F6E-3B47-4C81-A5E2-97C4B18F2E63\">\n";

    static const char* const root[] = {"DeviceControl", "ImageFormatControl", "AcquisitionControl",
                                       "TransportLayerControl"};
    w.category("Root", root, 4);

    static const char* const device[] = {"DeviceVendorName", "DeviceModelName", "DeviceManufacturerInfo",
                                         "DeviceVersion",    "DeviceSerialNumber", "DeviceUserID"};
    w.category("DeviceControl", device, 6);
    w.stringReg("DeviceVendorName", R::kVendorName, R::kVendorNameLength, "RO");
    w.stringReg("DeviceModelName", R::kModelName, R::kModelNameLength, "RO");
    w.stringReg("DeviceManufacturerInfo", R::kManufacturerInfo, R::kManufacturerInfoLength, "RO");
    w.stringReg("DeviceVersion", R::kDeviceVersion, R::kDeviceVersionLength, "RO");
    w.stringReg("DeviceSerialNumber", R::kSerialNumber, R::kSerialNumberLength, "RO");
    w.stringReg("DeviceUserID", R::kUserId, R::kUserIdLength, "RW");

    static const char* const format[] = {"SensorWidth", "SensorHeight", "WidthMax", "HeightMax", "Width",
                                         "Height",      "OffsetX",      "OffsetY",  "PixelFormat", "PixelSize"};
    w.category("ImageFormatControl", format, 10);
    w.intReg("SensorWidth", R::kSensorWidth, "RO");
    w.intReg("SensorHeight", R::kSensorHeight, "RO");
    w.intReg("WidthMax", R::kWidthMax, "RO");
    w.intReg("HeightMax", R::kHeightMax, "RO");
    w.integer("Width", R::kWidth, "<Min>1</Min>", "<pMax>WidthMax</pMax>", true);
    w.integer("Height", R::kHeight, "<Min>1</Min>", "<pMax>HeightMax</pMax>", true);
    w.integer("OffsetX", R::kOffsetX, "<Min>0</Min>", "<pMax>OffsetXMax</pMax>", true);
    w.integer("OffsetY", R::kOffsetY, "<Min>0</Min>", "<pMax>OffsetYMax</pMax>", true);
    for (const char* axis : {"X", "Y"}) {
        const std::string size = axis[0] == 'X' ? "Width" : "Height";
        w.line(std::string("<IntSwissKnife Name=\"Offset") + axis + "Max\">");
        w.line("  <Visibility>Invisible</Visibility>");
        w.line("  <pVariable Name=\"MAX\">" + size + "Max</pVariable>");
        w.line("  <pVariable Name=\"SIZE\">" + size + "</pVariable>");
        w.line("  <Formula>MAX-SIZE</Formula>");
        w.line("</IntSwissKnife>");
    }
    static const char* const pixelNames[] = {"Mono8",     "Mono10",    "Mono12", "Mono16",
                                             "BayerRG8",  "BayerRG12", "RGB8"};
    static const uint64_t pixelValues[] = {0x01080001, 0x01100003, 0x01100005, 0x01100007,
                                           0x01080009, 0x01100011, 0x02180014};
    w.enumeration("PixelFormat", "PixelFormatReg", pixelNames, pixelValues, 7, true);
    w.intRegAt("PixelFormatReg", R::kPixelFormat, "RW");
    static const char* const sizeNames[] = {"Bpp8", "Bpp16", "Bpp24"};
    static const uint64_t sizeValues[] = {8, 16, 24};
    w.enumeration("PixelSize", "PixelSizeReg", sizeNames, sizeValues, 3, false);
    w.intRegAt("PixelSizeReg", R::kPixelSize, "RO");

    static const char* const acquisition[] = {"AcquisitionMode",  "AcquisitionFrameCount", "AcquisitionStart",
                                              "AcquisitionStop",  "AcquisitionFrameRate",  "ExposureTime"};
    w.category("AcquisitionControl", acquisition, 6);
    static const char* const modeNames[] = {"Continuous", "SingleFrame", "MultiFrame"};
    static const uint64_t modeValues[] = {0, 1, 2};
    w.enumeration("AcquisitionMode", "AcquisitionModeReg", modeNames, modeValues, 3, false);
    w.intRegAt("AcquisitionModeReg", R::kAcquisitionMode, "RW");
    w.integer("AcquisitionFrameCount", R::kAcquisitionFrameCount, "<Min>1</Min>", "<Max>65535</Max>", false);
    w.command("AcquisitionStart", R::kAcquisitionStart);
    w.command("AcquisitionStop", R::kAcquisitionStop);
    w.floatFeature("AcquisitionFrameRate", R::kAcquisitionFrameRate, PexCameraRanges::kFrameRateMin,
                   PexCameraRanges::kFrameRateMax, "Hz");
    w.floatFeature("ExposureTime", R::kExposureTime, PexCameraRanges::kExposureMin, PexCameraRanges::kExposureMax,
                   "us");

    static const char* const transport[] = {"PayloadSize", "TLParamsLocked"};
    w.category("TransportLayerControl", transport, 2);
    w.intReg("PayloadSize", R::kPayloadSize, "RO");
    w.integer("TLParamsLocked", R::kTLParamsLocked, "<Min>0</Min>", "<Max>1</Max>", false);

    w.line("<Port Name=\"Device\">");
    w.line("  <Visibility>Invisible</Visibility>");
    w.line("</Port>");
    w.out += "</RegisterDescription>\n";
}

}  // namespace

std::string PexCameraDescription::text(const std::string& vendor, const std::string& model)
{
    Writer w;
    build(w, vendor, model);
    return w.out;
}

}  // namespace platform::pex
