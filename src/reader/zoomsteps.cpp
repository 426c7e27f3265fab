#include "zoomsteps.h"

#include <algorithm>
#include <array>

namespace reader {
namespace {

constexpr std::array kZoomSteps = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                   1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};

} // namespace

double zoomedIn(double now)
{
    const auto next = std::find_if(kZoomSteps.begin(), kZoomSteps.end(), [&](double s) { return s > now + 0.001; });
    return next == kZoomSteps.end() ? kZoomSteps.back() : *next;
}

double zoomedOut(double now)
{
    const auto next = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(), [&](double s) { return s < now - 0.001; });
    return next == kZoomSteps.rend() ? kZoomSteps.front() : *next;
}

double withinZoomSteps(double factor)
{
    return std::clamp(factor, kZoomSteps.front(), kZoomSteps.back());
}

} // namespace reader
