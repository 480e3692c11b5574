#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ztcam {

// DSNU and PRNU data files of the simulated cameras: a text file
//   ZTCam calibration data
//   kind DSNU            (or PRNU)
//   serial <device string>
//   count <n>
// followed by n signed decimal values, one per line (one per sensor column).
class CalibrationFile {
public:
    enum class Result { Ok, CannotOpen, BadFormat };

    // False when the file cannot be written whole; no cut file stays, and an
    // earlier file of that name is left as it was.
    static bool write(const std::string& path, const std::string& kind, const std::string& serial,
                      const std::vector<int32_t>& values);
    // Reads a file of the given kind with exactly expectedCount values.
    static Result read(const std::string& path, const std::string& kind, size_t expectedCount,
                       std::vector<int32_t>& values);
};

} // namespace ztcam
