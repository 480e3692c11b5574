#include "ToneCurve.h"

#include <algorithm>
#include <cmath>

namespace ztcam {

void ToneCurve::build(const Settings& s)
{
    settings_ = s;
    table_.clear();
    if (s.isIdentity())
        return;
    const uint32_t top = s.maxValue();
    const uint32_t left = std::min(s.left, top);
    const uint32_t right = std::max(std::min(s.right, top), left + 1);
    const double exponent = std::max(s.gamma, 1.0) / 100.0;
    const double contrast = std::max(s.contrast, 0.0) / 100.0;
    auto render = [&](double t) {
        t = std::pow(t, exponent);
        t = std::clamp(0.5 + (t - 0.5) * contrast, 0.0, 1.0);
        return uint16_t(std::lround(t * top));
    };
    // Only the samples between the levels need the power curve; the others
    // take the value of the nearer end.
    table_.assign(size_t(top) + 1, render(0.0));
    const double span = double(right - left);
    for (uint32_t v = left + 1; v < right && v <= top; ++v)
        table_[v] = render(double(v - left) / span);
    if (right <= top)
        std::fill(table_.begin() + right, table_.end(), render(1.0));
}

} // namespace ztcam
