#include "CalibrationFile.h"

#include "WholeFileOutput.h"

#include <fstream>
#include <sstream>

namespace ztcam {

namespace {
const char* const kMagic = "ZTCam calibration data";
}

bool CalibrationFile::write(const std::string& path, const std::string& kind, const std::string& serial,
                            const std::vector<int32_t>& values)
{
    std::ostringstream text;
    text << kMagic << "\nkind " << kind << "\nserial " << serial << "\ncount " << values.size() << "\n";
    for (int32_t v : values)
        text << v << "\n";
    const std::string bytes = text.str();
    WholeFileOutput file(path);
    return file.isOpen() && file.write(bytes.data(), bytes.size()) && file.finish();
}

CalibrationFile::Result CalibrationFile::read(const std::string& path, const std::string& kind,
                                              size_t expectedCount, std::vector<int32_t>& values)
{
    std::ifstream f(path);
    if (!f)
        return Result::CannotOpen;
    std::string line;
    if (!std::getline(f, line) || line.rfind(kMagic, 0) != 0)
        return Result::BadFormat;
    std::string key, value;
    size_t count = 0;
    bool haveKind = false, haveCount = false;
    while (!haveCount && std::getline(f, line)) {
        std::istringstream ls(line);
        ls >> key;
        std::getline(ls >> std::ws, value);
        if (key == "kind") {
            if (value != kind)
                return Result::BadFormat;
            haveKind = true;
        } else if (key == "count") {
            std::istringstream cs(value);
            if (!(cs >> count))
                return Result::BadFormat;
            haveCount = true;
        }
    }
    if (!haveKind || !haveCount || count != expectedCount)
        return Result::BadFormat;
    std::vector<int32_t> out;
    out.reserve(count);
    long long v = 0;
    while (out.size() < count && (f >> v)) {
        if (v < INT32_MIN || v > INT32_MAX)
            return Result::BadFormat;
        out.push_back(int32_t(v));
    }
    if (out.size() != count)
        return Result::BadFormat;
    std::string rest;
    if (f >> rest)
        return Result::BadFormat;  // more values than announced
    values.swap(out);
    return Result::Ok;
}

} // namespace ztcam
