#pragma once

#include <cstdint>

namespace ztcam {

// How a camera renders its samples of one bit depth: display levels, gamma
// and contrast, folded into one curve that map() evaluates per sample.
//
// A sample v of a depth with maximum M goes through
//   t = (v - left) / (right - left), held to [0, 1]   levels
//   t = t ^ (gamma / 100)                             gamma (100: none)
//   t = 0.5 + (t - 0.5) * contrast / 100, held to [0, 1]   contrast
// and comes out as round(t * M). At left 0, right M, gamma 100 and
// contrast 100 the curve is the identity. Setting a curve costs nothing
// beyond its two ends; a caller maps only the samples it needs.
class ToneCurve {
public:
    struct Settings {
        uint8_t bits = 8;
        uint32_t left = 0;
        uint32_t right = 255;
        double gamma = 100;     // hundredths
        double contrast = 100;  // percent

        bool operator==(const Settings& o) const
        {
            return bits == o.bits && left == o.left && right == o.right && gamma == o.gamma &&
                   contrast == o.contrast;
        }
        bool operator!=(const Settings& o) const { return !(*this == o); }
        uint32_t maxValue() const { return (1u << bits) - 1u; }
        bool isIdentity() const { return left == 0 && right == maxValue() && gamma == 100 && contrast == 100; }
    };

    // Takes the curve of s. Levels outside the depth are held to it; a right
    // level not above the left one acts as left + 1.
    void build(const Settings& s);
    const Settings& settings() const { return settings_; }
    bool isIdentity() const { return identity_; }
    // The rendered sample of v (v at most the depth's maximum).
    uint32_t map(uint32_t v) const;

private:
    uint32_t render(double t) const;

    Settings settings_;
    bool identity_ = true;
    uint32_t top_ = 255;
    uint32_t left_ = 0;
    uint32_t right_ = 255;
    double span_ = 255;
    double exponent_ = 1;
    double contrast_ = 1;
    uint32_t below_ = 0;   // at and below the left level
    uint32_t above_ = 255; // at and above the right level
};

} // namespace ztcam
