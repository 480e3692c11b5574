#include "ToneCurve.h"

#include <algorithm>
#include <cmath>

namespace ztcam {

void ToneCurve::build(const Settings& s)
{
    settings_ = s;
    identity_ = s.isIdentity();
    if (identity_)
        return;
    top_ = s.maxValue();
    left_ = std::min(s.left, top_);
    right_ = std::max(std::min(s.right, top_), left_ + 1);
    span_ = double(right_ - left_);
    exponent_ = std::max(s.gamma, 1.0) / 100.0;
    contrast_ = std::max(s.contrast, 0.0) / 100.0;
    below_ = render(0.0);
    above_ = render(1.0);
}

uint32_t ToneCurve::render(double t) const
{
    t = std::pow(t, exponent_);
    t = std::clamp(0.5 + (t - 0.5) * contrast_, 0.0, 1.0);
    return uint32_t(std::lround(t * top_));
}

uint32_t ToneCurve::map(uint32_t v) const
{
    if (identity_)
        return v;
    if (v <= left_)
        return below_;
    if (v >= right_)
        return above_;
    return render(double(v - left_) / span_);
}

} // namespace ztcam
