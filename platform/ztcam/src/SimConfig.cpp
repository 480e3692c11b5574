#include "SimConfig.h"

#include "PixelFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ztcam {

namespace {

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A '#' or ';' at the start of a value or after white space begins a
// comment that runs to the end of the line.
std::string withoutComment(const std::string& value)
{
    for (size_t i = 0; i < value.size(); ++i) {
        if ((value[i] == '#' || value[i] == ';') && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t'))
            return trim(value.substr(0, i));
    }
    return value;
}

bool parseBool(const std::string& v, bool& out)
{
    if (v == "1" || v == "true" || v == "yes" || v == "on" || v == "On" || v == "ON") {
        out = true;
        return true;
    }
    if (v == "0" || v == "false" || v == "no" || v == "off" || v == "Off" || v == "OFF") {
        out = false;
        return true;
    }
    return false;
}

bool parseUnsigned(const std::string& v, uint64_t& out)
{
    if (v.empty())
        return false;
    char* end = nullptr;
    unsigned long long n = std::strtoull(v.c_str(), &end, 0);
    if (end == v.c_str() || *end != '\0' || v[0] == '-')
        return false;
    out = n;
    return true;
}

bool parseDouble(const std::string& v, double& out)
{
    if (v.empty())
        return false;
    char* end = nullptr;
    double d = std::strtod(v.c_str(), &end);
    if (end == v.c_str() || *end != '\0' || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

bool applyCameraKey(CameraConfig& c, const std::string& key, const std::string& value)
{
    uint64_t n = 0;
    double d = 0;
    bool b = false;
    // A value that cannot be used leaves the setting as it was.
    if (key == "serial") { if (value.size() >= 64) return false; c.serial = value; return true; }
    if (key == "device_version") { if (value.size() >= 32) return false; c.deviceVersion = value; return true; }
    if (key == "model") { c.modelName = value; return true; }
    if (key == "user_id") { if (value.size() > 15) return false; c.userId = value; return true; }
    if (key == "product_id") { if (!parseUnsigned(value, n) || n > 0xFFFF) return false; c.productId = uint32_t(n); return true; }
    if (key == "interface_kind") { if (!parseUnsigned(value, n) || n > 255) return false; c.interfaceKind = uint8_t(n); return true; }
    if (key == "channel") { if (!parseUnsigned(value, n) || n > 255) return false; c.channel = int(n); return true; }
    if (key == "sensor_width") { if (!parseUnsigned(value, n) || n < 16 || n > 16384) return false; c.sensorWidth = uint32_t(n); return true; }
    if (key == "sensor_height") { if (!parseUnsigned(value, n) || n < 16 || n > 16384) return false; c.sensorHeight = uint32_t(n); return true; }
    if (key == "width") { if (!parseUnsigned(value, n) || n > 16384) return false; c.width = uint32_t(n); return true; }
    if (key == "height") { if (!parseUnsigned(value, n) || n > 16384) return false; c.height = uint32_t(n); return true; }
    if (key == "pixel_formats") {
        std::vector<std::string> list;
        std::stringstream ss(value);
        std::string item;
        while (std::getline(ss, item, ',')) {
            item = trim(item);
            PixelFormat f;
            if (!PixelFormat::fromName(item, f))
                return false;
            list.push_back(item);
        }
        if (list.empty())
            return false;
        c.pixelFormats = list;
        return true;
    }
    if (key == "pixel_format") { c.pixelFormat = value; return true; }
    if (key == "frame_rate") { if (!parseDouble(value, d) || d < 0.1 || d > 1000) return false; c.frameRate = d; return true; }
    if (key == "sensor_temperature") { if (!parseDouble(value, d)) return false; c.sensorTemperature = d; return true; }
    if (key == "device_temperature") { if (!parseDouble(value, d)) return false; c.deviceTemperature = d; return true; }
    if (key == "fan") { if (!parseBool(value, b)) return false; c.fanOn = b; return true; }
    if (key == "tec") { if (!parseBool(value, b)) return false; c.tecOn = b; return true; }
    if (key == "disconnect_after_ms") { if (!parseUnsigned(value, n) || n > 0xFFFFFFFFu) return false; c.disconnectAfterMs = uint32_t(n); return true; }
    if (key == "user_set_words") { if (!parseUnsigned(value, n) || n > 65536) return false; c.userSetWords = uint32_t(n); return true; }
    if (key == "ffc_phase_ms") { if (!parseUnsigned(value, n) || n > 60000) return false; c.ffcPhaseMs = uint32_t(n); return true; }
    if (!parseBool(value, b))
        return false;
    return SimConfig::setCameraFault(c, key, b);
}

void finishCamera(CameraConfig& c, std::vector<std::string>& warnings)
{
    if (c.width == 0 || c.width > c.sensorWidth)
        c.width = c.sensorWidth;
    if (c.height == 0 || c.height > c.sensorHeight)
        c.height = c.sensorHeight;
    bool found = false;
    for (const std::string& f : c.pixelFormats)
        found = found || f == c.pixelFormat;
    if (!found) {
        warnings.push_back("pixel_format '" + c.pixelFormat + "' is not in pixel_formats; using the first");
        c.pixelFormat = c.pixelFormats.front();
    }
}

} // namespace

bool SimConfig::setCameraFault(CameraConfig& c, const std::string& key, bool value)
{
    if (key == "fail_open") c.failOpen = value;
    else if (key == "fail_alloc") c.failAlloc = value;
    else if (key == "fail_announce") c.failAnnounce = value;
    else if (key == "fail_start") c.failStart = value;
    else if (key == "payload_zero") c.payloadZero = value;
    else if (key == "wait_timeout") c.waitTimeout = value;
    else if (key == "ffc_fails") c.ffcFails = value;
    else return false;
    return true;
}

// The image size stays 0 (the full sensor) until the camera is finished,
// so that a section's sensor size decides it.
CameraConfig SimConfig::defaultCamera(int index)
{
    CameraConfig c;
    char serial[32];
    std::snprintf(serial, sizeof serial, "ZT2A%06d", 101 + index);
    c.serial = serial;
    return c;
}

// What an empty file gives: the default cameras.
LibraryConfig SimConfig::defaults()
{
    return parse(std::string());
}

LibraryConfig SimConfig::parse(const std::string& text)
{
    LibraryConfig cfg;
    int defaultCount = 2;
    enum class Section { None, Global, Camera } section = Section::None;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            std::string name = trim(t.substr(1, t.size() - 2));
            if (name == "global") {
                section = Section::Global;
            } else if (name == "camera") {
                if (!cfg.cameras.empty())
                    finishCamera(cfg.cameras.back(), cfg.warnings);
                cfg.cameras.push_back(defaultCamera(int(cfg.cameras.size())));
                section = Section::Camera;
            } else {
                cfg.warnings.push_back("line " + std::to_string(lineNo) + ": unknown section [" + name + "]");
                section = Section::None;
            }
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            cfg.warnings.push_back("line " + std::to_string(lineNo) + ": no '='");
            continue;
        }
        std::string key = trim(t.substr(0, eq));
        std::string value = withoutComment(trim(t.substr(eq + 1)));
        bool ok = false;
        if (section == Section::Global) {
            uint64_t n = 0;
            bool b = false;
            if (key == "cameras") {
                ok = parseUnsigned(value, n) && n <= 16;
                if (ok)
                    defaultCount = int(n);
            } else if (key == "init_fails") {
                ok = parseBool(value, b);
                cfg.initFails = ok && b;
            } else if (key == "zero_cameras") {
                ok = parseBool(value, b);
                cfg.zeroCameras = ok && b;
            }
        } else if (section == Section::Camera) {
            ok = applyCameraKey(cfg.cameras.back(), key, value);
        }
        if (!ok)
            cfg.warnings.push_back("line " + std::to_string(lineNo) + ": cannot use '" + t + "'");
    }
    if (cfg.cameras.empty()) {
        for (int i = 0; i < defaultCount; ++i) {
            cfg.cameras.push_back(defaultCamera(i));
            finishCamera(cfg.cameras.back(), cfg.warnings);
        }
    } else {
        finishCamera(cfg.cameras.back(), cfg.warnings);
    }
    return cfg;
}

LibraryConfig SimConfig::load(const std::string& configDir)
{
    std::string path;
    const char* env = std::getenv("ZTCAM_SIM_CONFIG");
    if (env && *env)
        path = env;
    else
        path = (configDir.empty() ? std::string(".") : configDir) + "/ZTCamSim.conf";
    std::ifstream f(path);
    if (!f) {
        LibraryConfig cfg = defaults();
        if (env && *env)
            cfg.warnings.push_back("cannot read " + path + "; using two default cameras");
        return cfg;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    return parse(ss.str());
}

} // namespace ztcam
