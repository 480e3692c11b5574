#include "PexSimConfig.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::pex {

namespace {

std::string trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return std::string();
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool toInt(const std::string& v, int64_t* out)
{
    char* end = nullptr;
    const long long n = std::strtoll(v.c_str(), &end, 0);
    if (v.empty() || *end != '\0')
        return false;
    *out = n;
    return true;
}

bool toBool(const std::string& v) { return v == "1" || v == "true" || v == "yes" || v == "on"; }

// Counts given by "boards" and "cameras" for sections that list none.
struct Pending {
    std::vector<int64_t> boardCounts;               // per system
    std::vector<std::vector<int64_t>> cameraCounts;  // per system, per board
};

bool setCamera(PexCameraConfig& c, const std::string& key, const std::string& value)
{
    int64_t n = 0;
    if (key == "device" && toInt(value, &n))
        c.device = n;
    else if (key == "vendor")
        c.vendor = value;
    else if (key == "model")
        c.model = value;
    else if (key == "manufacturer_info")
        c.manufacturerInfo = value;
    else if (key == "version")
        c.version = value;
    else if (key == "serial")
        c.serial = value;
    else if (key == "user_id")
        c.userId = value;
    else if (key == "sensor_width" && toInt(value, &n) && n > 0)
        c.sensorWidth = uint32_t(n);
    else if (key == "sensor_height" && toInt(value, &n) && n > 0)
        c.sensorHeight = uint32_t(n);
    else if (key == "width" && toInt(value, &n) && n > 0)
        c.width = uint32_t(n);
    else if (key == "height" && toInt(value, &n) && n > 0)
        c.height = uint32_t(n);
    else if (key == "pixel_format")
        c.pixelFormat = value;
    else if (key == "frame_rate")
        c.frameRate = std::atof(value.c_str());
    else if (key == "exposure_timer" && toInt(value, &n) && n >= 0 && n <= 4)
        c.exposureTimer = int(n);
    else if (key == "io_period_ms" && toInt(value, &n) && n >= 0)
        c.ioPeriodMs = n;
    else if (key == "io_pin" && toInt(value, &n) && n >= 0x501 && n <= 0x51F)
        c.ioPin = n;
    else if (key == "fail_dig_alloc")
        c.failDigAlloc = toBool(value);
    else if (key == "fail_control" && toInt(value, &n))
        c.failControls.push_back(n);
    else if (key == "silent_abort")
        c.silentAbort = toBool(value);
    else
        return false;
    return true;
}

bool setBoard(PexBoardConfig& b, int64_t& cameras, const std::string& key, const std::string& value)
{
    int64_t n = 0;
    if (key == "serial")
        b.serial = value;
    else if (key == "value" && toInt(value, &n)) {
        b.hasValue = true;
        b.value = n;
    } else if (key == "refuse_discovery")
        b.refuseDiscovery = toBool(value);
    else if (key == "fail_sys_alloc")
        b.failSysAlloc = toBool(value);
    else if (key == "cameras" && toInt(value, &n) && n >= 0)
        cameras = n;
    else
        return false;
    return true;
}

}  // namespace

PexCameraConfig PexSimConfig::defaultCamera(int64_t device)
{
    PexCameraConfig c;
    c.device = device;
    return c;
}

PexSimConfig PexSimConfig::defaults() { return parse(std::string()); }

PexSimConfig PexSimConfig::parse(const std::string& text)
{
    PexSimConfig cfg;
    Pending pending;
    enum class Section { None, Library, System, Board, Camera } section = Section::None;
    auto addSystem = [&] {
        cfg.systems.emplace_back();
        pending.boardCounts.push_back(1);
        pending.cameraCounts.emplace_back();
    };
    auto addBoard = [&] {
        if (cfg.systems.empty())
            addSystem();
        cfg.systems.back().boards.emplace_back();
        pending.cameraCounts.back().push_back(2);
    };
    auto addCamera = [&] {
        if (cfg.systems.empty() || cfg.systems.back().boards.empty())
            addBoard();
        auto& cams = cfg.systems.back().boards.back().cameras;
        cams.push_back(defaultCamera(int64_t(cams.size())));
    };

    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        line = trim(line);
        if (line.empty())
            continue;
        if (line == "[library]") {
            section = Section::Library;
            continue;
        }
        if (line == "[system]") {
            addSystem();
            section = Section::System;
            continue;
        }
        if (line == "[board]") {
            addBoard();
            section = Section::Board;
            continue;
        }
        if (line == "[camera]") {
            addCamera();
            section = Section::Camera;
            continue;
        }
        const size_t eq = line.find('=');
        bool ok = eq != std::string::npos && section != Section::None;
        if (ok) {
            const std::string key = trim(line.substr(0, eq));
            const std::string value = trim(line.substr(eq + 1));
            int64_t n = 0;
            if (section == Section::Library) {
                if (key == "sizes_without_nul")
                    cfg.sizesWithoutNul = toBool(value);
                else
                    ok = false;
            } else if (section == Section::System) {
                PexSystemConfig& s = cfg.systems.back();
                if (key == "type" && toInt(value, &n))
                    s.type = n;
                else if (key == "name")
                    s.name = value;
                else if (key == "boards" && toInt(value, &n) && n >= 0)
                    pending.boardCounts.back() = n;
                else
                    ok = false;
            } else if (section == Section::Board) {
                ok = setBoard(cfg.systems.back().boards.back(), pending.cameraCounts.back().back(), key, value);
            } else {
                ok = setCamera(cfg.systems.back().boards.back().cameras.back(), key, value);
            }
        }
        if (!ok)
            cfg.warnings.push_back("line " + std::to_string(number) + ": " + line);
    }
    if (cfg.systems.empty())
        addSystem();
    for (size_t s = 0; s < cfg.systems.size(); ++s) {
        auto& boards = cfg.systems[s].boards;
        if (boards.empty()) {
            for (int64_t b = 0; b < pending.boardCounts[s]; ++b) {
                boards.emplace_back();
                pending.cameraCounts[s].push_back(2);
            }
        }
        for (size_t b = 0; b < boards.size(); ++b) {
            if (!boards[b].cameras.empty())
                continue;
            for (int64_t c = 0; c < pending.cameraCounts[s][b]; ++c)
                boards[b].cameras.push_back(defaultCamera(c));
        }
    }
    return cfg;
}

PexSimConfig PexSimConfig::load()
{
    const char* path = std::getenv("PEX_SIM_CONFIG");
    if (!path || !*path)
        return defaults();
    std::ifstream file(path);
    if (!file)
        return defaults();
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str());
}

}  // namespace platform::pex
