#include "FeatureTree.h"

namespace ztcam {

namespace {

class Builder {
public:
    explicit Builder(NodeMap& map) : map_(map) {}

    void category(const char* name, uint8_t level, const char* tip, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n;
        n.name = name;
        n.type = ZTCAM_ELEM_CATEGORY;
        n.level = level;
        n.access = ZTCAM_ACCESS_READ_ONLY;
        n.visibility = vis;
        n.tooltip = tip;
        map_.add(n);
        level_ = uint8_t(level + 1);
    }
    FeatureNode& integer(const char* name, int64_t value, int64_t min, int64_t max, int64_t inc, const char* tip,
                         int access = ZTCAM_ACCESS_READ_WRITE, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_INTEGER, tip, access, vis);
        n.intValue = value;
        n.intMin = min;
        n.intMax = max;
        n.intInc = inc;
        return map_.add(n);
    }
    FeatureNode& boolean(const char* name, bool value, const char* tip, int access = ZTCAM_ACCESS_READ_WRITE,
                         int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_BOOLEAN, tip, access, vis);
        n.intValue = value ? 1 : 0;
        return map_.add(n);
    }
    FeatureNode& floating(const char* name, double value, double min, double max, double inc, int decimals,
                          const char* tip, int access = ZTCAM_ACCESS_READ_WRITE, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_FLOAT, tip, access, vis);
        n.floatValue = value;
        n.floatMin = min;
        n.floatMax = max;
        n.floatInc = inc;
        n.decimals = decimals;
        return map_.add(n);
    }
    FeatureNode& string(const char* name, const std::string& value, int64_t maxLength, const char* tip,
                        int access = ZTCAM_ACCESS_READ_ONLY, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_STRING, tip, access, vis);
        n.text = value;
        n.maxLength = maxLength;
        return map_.add(n);
    }
    FeatureNode& enumeration(const char* name, std::vector<std::string> entries, int64_t value, const char* tip,
                             int access = ZTCAM_ACCESS_READ_WRITE, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_ENUMERATION, tip, access, vis);
        n.entries = std::move(entries);
        n.intValue = value;
        return map_.add(n);
    }
    FeatureNode& command(const char* name, const char* tip, int vis = ZTCAM_VIS_BEGINNER)
    {
        FeatureNode n = base(name, ZTCAM_ELEM_COMMAND, tip, ZTCAM_ACCESS_WRITE_ONLY, vis);
        n.commandValue = 1;
        return map_.add(n);
    }

private:
    FeatureNode base(const char* name, int type, const char* tip, int access, int vis) const
    {
        FeatureNode n;
        n.name = name;
        n.type = type;
        n.level = level_;
        n.access = access;
        n.visibility = vis;
        n.tooltip = tip;
        return n;
    }

    NodeMap& map_;
    uint8_t level_ = 0;
};

const int RO = ZTCAM_ACCESS_READ_ONLY;
const int RW = ZTCAM_ACCESS_READ_WRITE;
const int EXPERT = ZTCAM_VIS_EXPERT;
const int GURU = ZTCAM_VIS_GURU;
const int INVISIBLE = ZTCAM_VIS_INVISIBLE;
const std::vector<std::string> kOffOn{"Off", "On"};

} // namespace

void FeatureTree::buildCamera(const CameraConfig& c, NodeMap& map)
{
    Builder b(map);
    int64_t formatIndex = 0;
    for (size_t i = 0; i < c.pixelFormats.size(); ++i) {
        if (c.pixelFormats[i] == c.pixelFormat)
            formatIndex = int64_t(i);
    }
    const int64_t sw = c.sensorWidth, sh = c.sensorHeight;

    b.category("DeviceControl", 0, "Device information and control");
    b.string("DeviceVendorName", "ZELTRA", 31, "Maker of the device");
    b.string("DeviceModelName", c.modelName, 31, "Model of the device");
    b.string("DeviceSerialNumber", c.serial, 63, "Serial number of the device", RO, EXPERT);
    b.string("DeviceVersion", c.deviceVersion, 31, "Firmware version of the device");
    b.string("DeviceUserID", c.userId, 15, "User-defined name of the device (at most 15 bytes)", RW);
    b.integer("DeviceChannel", c.channel, 0, 255, 1, "Channel of the device this camera is", RO, EXPERT);
    b.enumeration("DeviceScanType", {"Areascan", "Linescan"}, 0, "Scan type of the sensor", RW, EXPERT);
    b.floating("SensorTemperature", c.sensorTemperature, -100, 200, 0.1, 1, "Sensor temperature in degrees Celsius",
               RO).polled = true;
    b.floating("DeviceTemperature", c.deviceTemperature, -100, 200, 0.1, 1, "FPGA temperature in degrees Celsius",
               RO).polled = true;
    FeatureNode& uptime = b.integer("DeviceUptime", 0, 0, INT64_MAX, 1, "Time since the device was opened", RO, EXPERT);
    uptime.representation = ZTCAM_REPR_TIME;
    uptime.polled = true;
    b.enumeration("DeviceFactoryTestMode", kOffOn, 0, "Factory test mode", RW, GURU);
    b.command("DeviceReset", "Resets the device; it reconnects afterwards", EXPERT);

    b.category("ImageFormatControl", 0, "Image geometry and format");
    b.integer("SensorWidth", sw, sw, sw, 1, "Sensor width in pixels", RO, EXPERT);
    b.integer("SensorHeight", sh, sh, sh, 1, "Sensor height in pixels", RO, EXPERT);
    b.integer("Width", c.width, 16, sw, 4, "Image width in pixels").lockWhileCapturing = true;
    b.integer("Height", c.height, 16, sh, 4, "Image height in rows").lockWhileCapturing = true;
    b.integer("OffsetX", 0, 0, sw - c.width, 4, "Horizontal offset of the image").lockWhileCapturing = true;
    b.integer("OffsetY", 0, 0, sh - c.height, 4, "Vertical offset of the image").lockWhileCapturing = true;
    b.enumeration("PixelFormat", c.pixelFormats, formatIndex, "Format of the pixels").lockWhileCapturing = true;
    b.enumeration("SensorBinning", {"1x1", "2x2"}, 0, "Binning on the sensor", RW, EXPERT).lockWhileCapturing = true;
    b.integer("BinningHorizontal", 1, 1, 4, 1, "Horizontal binning factor", RW, EXPERT).lockWhileCapturing = true;
    b.integer("BinningVertical", 1, 1, 4, 1, "Vertical binning factor", RW, EXPERT).lockWhileCapturing = true;
    b.enumeration("BinningType", {"Sum", "Average"}, 0, "How binned pixels are combined", RW, EXPERT);
    b.enumeration("ReadoutMode", {"Normal", "HighSpeed"}, 0, "Sensor read-out mode", RW, EXPERT);
    b.boolean("ReverseX", false, "Mirrors the image horizontally", RW, EXPERT);
    b.enumeration("LineInfo", kOffOn, 0, "Line information in the image", RW, GURU);
    b.enumeration("TestPattern", {"Off", "GreyHorizontalRamp", "GreyDiagonalRampMoving"}, 2,
                  "Test pattern of the sensor", RW, EXPERT);
    b.enumeration("ImageStamping", {"OFF", "ON"}, 0, "Frame stamp in the first pixels of the image", RW, EXPERT);
    b.enumeration("ScanDirection", {"Forward", "Backward"}, 0, "Scan direction of a line scan", RW, GURU);
    b.integer("TDIStagesP1", 1, 1, 256, 1, "TDI stages", RW, GURU);

    b.category("AcquisitionControl", 0, "Acquisition and trigger");
    b.command("AcquisitionStart", "Starts the acquisition");
    b.command("AcquisitionStop", "Stops the acquisition");
    b.enumeration("OperationMode", {"Normal", "HighDynamic"}, 0, "Operation mode of the sensor", RW, EXPERT);
    b.floating("AcquisitionFrameRate", c.frameRate, 0.1, 1000, 0.1, 2, "Frame rate in frames per second");
    b.enumeration("FrameRateMode", kOffOn, 1, "Fixed frame rate", RW, EXPERT);
    b.floating("AcquisitionLineRate", 10000, 100, 200000, 1, 1, "Line rate in lines per second", RW, GURU);
    b.floating("ExposureTime", 10000, 10, 1000000, 1, 1, "Exposure time in microseconds");
    b.enumeration("TriggerMode", kOffOn, 0, "Frames start on a trigger");
    b.enumeration("TriggerSource", {"Software", "Line0", "Line1"}, 0, "Source of the trigger");
    b.integer("TriggerBurrFilter", 0, 0, 1000, 1, "Trigger de-glitch time", RW, GURU);
    b.integer("ScanDirectionBurrFilter", 0, 0, 1000, 1, "Scan direction de-glitch time", RW, GURU);
    b.enumeration("TriggerRescalerMode", kOffOn, 0, "Trigger rescaler", RW, GURU);
    b.floating("TriggerRescalerRate", 1.0, 0.01, 100, 0.01, 2, "Trigger rescaler rate", RW, GURU);
    b.integer("TriggerRescalerFilter", 0, 0, 255, 1, "Trigger rescaler filter", RW, GURU);
    b.integer("SoftTriggerNum", 1, 1, 65535, 1, "Frames per software trigger", RW, EXPERT);

    b.category("AnalogControl", 0, "Gain and black level");
    b.floating("AnalogGain", 1.0, 1.0, 16.0, 0.1, 1, "Analog gain");
    b.floating("DigitalGain", 1.0, 1.0, 8.0, 0.01, 2, "Digital gain");
    b.integer("BlackLevel", 100, 0, 4095, 1, "Black level");

    b.category("LUTControl", 0, "Look-up table", EXPERT);
    b.boolean("LUTEnable", false, "Applies the look-up table", RW, EXPERT);
    b.integer("LUTIndex", 0, 0, 4095, 1, "Entry of the look-up table", RW, EXPERT);
    b.integer("LUTValue", 0, 0, 4095, 1, "Value of the selected entry", RW, EXPERT);

    b.category("StrobeControl", 0, "Strobe output", EXPERT);
    b.enumeration("StrobeMode", kOffOn, 0, "Strobe output", RW, EXPERT);
    b.enumeration("StrobeSourceSelect", {"Exposure", "Frame", "Line"}, 0, "Signal of the strobe", RW, EXPERT);
    b.boolean("StrobeInverter", false, "Inverts the strobe", RW, EXPERT);
    b.integer("StrobeOutDelay", 0, 0, 100000, 1, "Strobe delay in microseconds", RW, EXPERT);
    b.integer("StrobeDuration", 100, 1, 100000, 1, "Strobe duration in microseconds", RW, EXPERT);

    // Elements of a category come before its sub-categories.
    b.category("CoolingControl", 0, "Fan and thermo-electric cooling");
    b.floating("CoolOperationTemperature", 0.0, -40.0, 40.0, 0.5, 1, "Target sensor temperature", RW, EXPERT);
    b.category("FanControl", 1, "Fan");
    b.enumeration("FanOperationMode", kOffOn, c.fanOn ? 1 : 0, "Fan on or off");
    b.integer("FanDutyFactor", 80, 0, 100, 1, "Fan duty factor in percent", RW, EXPERT);
    b.integer("FanSpeed", 0, 0, 10000, 1, "Fan speed in revolutions per minute", RO, EXPERT).polled = true;
    b.category("TECControl", 1, "Thermo-electric cooling");
    b.enumeration("TECOperationMode", kOffOn, c.tecOn ? 1 : 0, "Thermo-electric cooling on or off");
    b.integer("TECDutyFactor", 0, 0, 100, 1, "TEC duty factor in percent", RO, EXPERT).polled = true;

    b.category("CalibrationControl", 0, "Dark signal and photo response non-uniformity", EXPERT);
    b.enumeration("DSNUMode", kOffOn, 0, "Dark signal correction", RW, EXPERT);
    b.command("DSNUSave", "Stores the dark signal data in the camera", EXPERT);
    b.command("DSNULoad", "Loads the stored dark signal data", EXPERT);
    b.command("DSNUGenerateAll", "Measures the dark signal of every mode", EXPERT);
    b.command("DSNUGenerate", "Measures the dark signal of the current mode", EXPERT);
    b.integer("DSNUStatus", 0, 0, INT32_MAX, 1, "Completed dark signal operations", RO, EXPERT).polled = true;
    b.enumeration("PRNUSelector", {"User0", "User1", "Factory"}, 0, "Photo response data set", RW, EXPERT);
    b.command("PRNUSave", "Stores the photo response data", EXPERT);
    b.command("PRNULoad", "Loads the selected photo response data", EXPERT);
    b.command("PRNUFactoryReset", "Restores the factory photo response data", EXPERT);
    b.enumeration("PRNUMode", kOffOn, 0, "Photo response correction", RW, EXPERT);
    b.enumeration("TargetLevelAUTO", kOffOn, 1, "Automatic target level", RW, EXPERT);
    b.integer("PRNUTargetLevel", 2048, 0, 4095, 1, "Target level of the photo response correction", RW, EXPERT);
    b.integer("PRNUStatus", 0, 0, INT32_MAX, 1, "Completed photo response operations", RO, EXPERT).polled = true;
    b.integer("StartX", 0, 0, sw - 1, 1, "First column of the correction", RW, EXPERT);
    b.integer("EndX", sw - 1, 0, sw - 1, 1, "Last column of the correction", RW, EXPERT);

    b.category("UserSetControl", 0, "User sets");
    b.enumeration("UserSetSelector", {"Default", "UserSet1", "UserSet2"}, 0, "User set to load or save");
    b.command("UserSetLoad", "Loads the selected user set");
    b.command("UserSetSave", "Saves the current settings in the selected user set");
    b.enumeration("UserSetDefault", {"Default", "UserSet1", "UserSet2"}, 0, "User set loaded at power-up");
    b.command("UserSetRefresh", "Updates the list of stored user sets; settings stay as they are", INVISIBLE);

    b.category("TransportLayerControl", 0, "Connection", EXPERT);
    FeatureNode& ip = b.integer("GevCurrentIPAddress", 0xC0A80164, 0, 0xFFFFFFFFll, 1, "IP address", RO, EXPERT);
    ip.representation = ZTCAM_REPR_IPV4;
    FeatureNode& persistentIp = b.integer("GevPersistentIPAddress", 0xC0A80164, 0, 0xFFFFFFFFll, 1,
                                          "IP address used after the next restart", RW, EXPERT);
    persistentIp.representation = ZTCAM_REPR_IPV4;
    FeatureNode& mac = b.integer("GevMACAddress", 0x00A0B1C2D300ll + (c.serial.empty() ? 0 : c.serial.back()), 0,
                                 0xFFFFFFFFFFFFll, 1, "MAC address", RO, EXPERT);
    mac.representation = ZTCAM_REPR_MAC;
    b.command("ConnectionReset", "Resets the connection", EXPERT);
    b.command("Connection Config", "Applies the connection settings", GURU);
}

void FeatureTree::buildStream(const CameraConfig& c, NodeMap& map)
{
    Builder b(map);
    b.category("StreamInformation", 0, "Data stream");
    b.string("StreamID", "Stream0", 31, "Id of the data stream");
    b.enumeration("StreamType", {"Mixed", "Custom"}, 1, "Transport of the stream", RO);
    b.integer("StreamPayloadSize", int64_t(c.width) * c.height * 2, 0, INT32_MAX, 1, "Bytes per frame", RO);
    b.category("BufferHandlingControl", 0, "Buffers of the stream");
    b.enumeration("StreamBufferHandlingMode", {"OldestFirst", "NewestOnly"}, 0, "Order of delivered buffers");
    b.integer("StreamAnnouncedBufferCount", 0, 0, 1024, 1, "Announced buffers", RO).polled = true;
    b.integer("StreamDeliveredFrameCount", 0, 0, INT64_MAX, 1, "Frames delivered since the start", RO).polled = true;
    b.integer("StreamLostFrameCount", 0, 0, INT64_MAX, 1, "Frames lost since the start", RO).polled = true;
    b.integer("BufferHeight", c.height, 1, c.sensorHeight, 1, "Rows per buffer");
    // Changes while capturing without being marked polled; the stream panel
    // polls it by name.
    b.integer("LineFillCount", 0, 0, INT64_MAX, 1, "Rows filled in the current buffer", RO);
    b.floating("AcquisitionFrameRate", c.frameRate, 0.1, 1000, 0.1, 2, "Frame rate of the stream in frames per second",
               RO);
    b.floating("StreamTransferRate", 0, 0, 1.0e5, 0.1, 1, "Transfer rate in MB/s", RO).polled = true;
    b.boolean("StreamEnableResend", true, "Resends lost packets");
    b.command("StreamCounterReset", "Resets the stream counters");
}

} // namespace ztcam
