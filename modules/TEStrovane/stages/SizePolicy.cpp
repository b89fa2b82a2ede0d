#include "SizePolicy.h"

#include <algorithm>
#include <cmath>

namespace {
int longestSide(const QSize& s)
{
    return std::max(s.width(), s.height());
}
} // namespace

SizePolicy SizePolicy::of(const QSize& input, const QSize& request, bool lowResolution)
{
    SizePolicy p;
    const float factor = longestSide(input) > kWorkingSide ? float(double(kWorkingSide) / longestSide(input)) : 1.0f;
    // A side never shrinks below one pixel, however thin the image.
    p.preprocessing = QSize(std::max(1, int(input.width() * factor)), std::max(1, int(input.height() * factor)));
    p.preprocessingScale = float(longestSide(p.preprocessing)) * (1.0f / float(kWorkingSide));
    p.reduction = 1.0;
    p.working = request;
    if (lowResolution && longestSide(request) > kWorkingSide) {
        p.reduction = double(kWorkingSide) / longestSide(request);
        p.working = QSize(std::max(1, int(std::lround(request.width() * p.reduction))),
                          std::max(1, int(std::lround(request.height() * p.reduction))));
    }
    return p;
}

qint64 SizePolicy::memoryOf(const QSize& input, const QSize& working)
{
    constexpr qint64 kFixed = qint64(400) << 20;
    constexpr qint64 kPerInputPixel = 20;
    constexpr qint64 kPerWorkingPixel = 25;
    return kFixed + kPerInputPixel * input.width() * input.height() + kPerWorkingPixel * working.width() * working.height();
}
