#include "PexSimConfig.h"

#include "PexCameraDescription.h"
#include "PexText.h"

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

// Empty when `v` can be served as a text of at most `max` characters;
// otherwise why not.
std::string textRefusal(const std::string& v, size_t max)
{
    if (v.size() > max)
        return "a text of at most " + std::to_string(max) + " characters is expected, this one has " +
               std::to_string(v.size());
    for (unsigned char c : v)
        if (c < 0x20 || c > 0x7E)
            return "a text of printable ASCII characters is expected";
    return std::string();
}

// A key with a value that may be refused: the result says whether the key
// is known; a refusal says why the value cannot be taken.
struct Setting {
    const std::string& key;
    const std::string& value;
    std::string* refusal;

    // A text of at most `max` characters: for a camera register, its length
    // less the NUL it serves the text with; else a system name's or board
    // serial's limit.
    bool text(const char* name, std::string& to, size_t max)
    {
        if (key != name)
            return false;
        *refusal = textRefusal(value, max);
        if (refusal->empty())
            to = value;
        return true;
    }
    // An integer from min to max; one outside is refused, text that is no
    // integer is not understood.
    bool integer(const char* name, int64_t min, int64_t max, int64_t* to, bool* understood)
    {
        if (key != name)
            return false;
        int64_t n = 0;
        *understood = toInt(value, &n);
        if (!*understood)
            return true;
        if (n < min || n > max)
            *refusal = "a number from " + std::to_string(min) + " to " + std::to_string(max) + " is expected";
        else
            *to = n;
        return true;
    }
};

bool setCamera(PexCameraConfig& c, const std::string& key, const std::string& value, std::string* refusal)
{
    using R = PexCameraRegisters;
    Setting s{key, value, refusal};
    int64_t n = 0;
    bool understood = true;
    const int64_t sensorMax = PexSimLimits::kSensorSizeMax;
    if (s.integer("device", 0, PexSimLimits::kDeviceNumberMax, &c.device, &understood))
        return understood;
    if (s.text("vendor", c.vendor, R::kVendorNameLength - 1) || s.text("model", c.model, R::kModelNameLength - 1) ||
        s.text("manufacturer_info", c.manufacturerInfo, R::kManufacturerInfoLength - 1) ||
        s.text("version", c.version, R::kDeviceVersionLength - 1) ||
        s.text("serial", c.serial, R::kSerialNumberLength - 1) || s.text("user_id", c.userId, R::kUserIdLength - 1))
        return true;
    for (auto size : {std::make_pair("sensor_width", &c.sensorWidth), std::make_pair("sensor_height", &c.sensorHeight),
                      std::make_pair("width", &c.width), std::make_pair("height", &c.height)}) {
        if (s.integer(size.first, 1, sensorMax, &n, &understood)) {
            if (refusal->empty() && understood)
                *size.second = uint32_t(n);
            return understood;
        }
    }
    if (key == "frame_rate") {
        char* end = nullptr;
        const double rate = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' ||
            (rate != 0.0 && !PexCameraRanges::frameRateAllowed(rate)))
            *refusal = "0 (free run) or a rate from " + PexText::decimal(PexCameraRanges::kFrameRateMin) + " to " +
                       PexText::decimal(PexCameraRanges::kFrameRateMax) + " frames per second is expected";
        else
            c.frameRate = rate;
        return true;
    }
    if (s.integer("io_period_ms", 0, PexSimLimits::kIoPeriodMsMax, &c.ioPeriodMs, &understood))
        return understood;
    if (key == "pixel_format")
        c.pixelFormat = value;
    else if (key == "exposure_timer" && toInt(value, &n) && n >= 0 && n <= 4)
        c.exposureTimer = int(n);
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

bool setBoard(PexBoardConfig& b, int64_t& cameras, const std::string& key, const std::string& value,
              std::string* refusal)
{
    Setting s{key, value, refusal};
    int64_t n = 0;
    bool understood = true;
    if (s.text("serial", b.serial, PexSimLimits::kNameLength))
        return true;
    if (s.integer("cameras", 0, PexSimLimits::kCamerasPerBoard, &cameras, &understood))
        return understood;
    if (key == "value" && toInt(value, &n)) {
        b.hasValue = true;
        b.value = n;
    } else if (key == "refuse_discovery")
        b.refuseDiscovery = toBool(value);
    else if (key == "fail_sys_alloc")
        b.failSysAlloc = toBool(value);
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
    std::string refusal;
    auto addSystem = [&] {
        if (int64_t(cfg.systems.size()) == PexSimLimits::kSystems) {
            refusal = "an installation holds at most " + std::to_string(PexSimLimits::kSystems) + " systems";
            return;
        }
        cfg.systems.emplace_back();
        pending.boardCounts.push_back(1);
        pending.cameraCounts.emplace_back();
    };
    auto addBoard = [&] {
        if (cfg.systems.empty())
            addSystem();
        if (int64_t(cfg.systems.back().boards.size()) == PexSimLimits::kBoardsPerSystem) {
            refusal = "a system holds at most " + std::to_string(PexSimLimits::kBoardsPerSystem) + " boards";
            return;
        }
        cfg.systems.back().boards.emplace_back();
        pending.cameraCounts.back().push_back(2);
    };
    auto addCamera = [&] {
        if (cfg.systems.empty() || cfg.systems.back().boards.empty())
            addBoard();
        if (!refusal.empty())
            return;
        auto& cams = cfg.systems.back().boards.back().cameras;
        if (int64_t(cams.size()) == PexSimLimits::kCamerasPerBoard) {
            refusal = "a board holds at most " + std::to_string(PexSimLimits::kCamerasPerBoard) + " cameras";
            return;
        }
        cams.push_back(defaultCamera(int64_t(cams.size())));
    };

    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (refusal.empty() && std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        line = trim(line);
        if (line.empty())
            continue;
        std::string key = line;
        if (line == "[library]") {
            section = Section::Library;
        } else if (line == "[system]") {
            addSystem();
            section = Section::System;
        } else if (line == "[board]") {
            addBoard();
            section = Section::Board;
        } else if (line == "[camera]") {
            addCamera();
            section = Section::Camera;
        } else {
            const size_t eq = line.find('=');
            bool ok = eq != std::string::npos && section != Section::None;
            if (ok) {
                key = trim(line.substr(0, eq));
                const std::string value = trim(line.substr(eq + 1));
                int64_t n = 0;
                if (section == Section::Library) {
                    if (key == "sizes_without_nul")
                        cfg.sizesWithoutNul = toBool(value);
                    else
                        ok = false;
                } else if (section == Section::System) {
                    PexSystemConfig& s = cfg.systems.back();
                    Setting setting{key, value, &refusal};
                    if (key == "type" && toInt(value, &n))
                        s.type = n;
                    else if (!setting.text("name", s.name, PexSimLimits::kNameLength) &&
                             !setting.integer("boards", 0, PexSimLimits::kBoardsPerSystem,
                                              &pending.boardCounts.back(), &ok))
                        ok = false;
                } else if (section == Section::Board) {
                    ok = setBoard(cfg.systems.back().boards.back(), pending.cameraCounts.back().back(), key, value,
                                  &refusal);
                } else {
                    ok = setCamera(cfg.systems.back().boards.back().cameras.back(), key, value, &refusal);
                }
            }
            if (!ok)
                cfg.warnings.push_back("line " + std::to_string(number) + ": " + line);
        }
        if (!refusal.empty())
            refusal = "line " + std::to_string(number) + ", " + key.substr(0, 32) + ": " + refusal + ".";
    }
    if (!refusal.empty()) {
        cfg.systems.clear();
        cfg.refusal = refusal;
        return cfg;
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
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return defaults();
    // Reading stops past the size a configuration may have (a device file
    // never ends).
    std::string text;
    char chunk[65536];
    while (text.size() <= PexSimLimits::kFileSize && (file.read(chunk, sizeof chunk) || file.gcount() > 0))
        text.append(chunk, size_t(file.gcount()));
    const std::string named = "PEX_SIM_CONFIG " + std::string(path);
    if (text.size() > PexSimLimits::kFileSize) {
        PexSimConfig cfg;
        cfg.refusal = named + ": the file is larger than " + std::to_string(PexSimLimits::kFileSize) + " bytes.";
        return cfg;
    }
    PexSimConfig cfg = parse(text);
    if (!cfg.refusal.empty())
        cfg.refusal = named + ", " + cfg.refusal;
    return cfg;
}

}  // namespace platform::pex
