#pragma once

#include "strobase_global.h"

#include <QString>
#include <opencv2/core.hpp>

// Images in the filter plug-in's exchange layout: three planes of 16-bit
// samples in 0..32767 (plane 0 alone for gray), rows of rowBytes bytes,
// colours in the host's profile. The program works on 16-bit BGR in the
// working space.
class STROBASE_EXPORT ImageIOManager {
public:
    // image: 16-bit BGR of width x height in the working space. A profile
    // that cannot be read is passed over (the samples are taken as sRGB).
    static bool loadFromPS(int width, int height, const uchar* plane0, const uchar* plane1, const uchar* plane2,
                           int rowBytes, int bytesPerSample, bool isGray, const uchar* profile, int iccSize,
                           cv::Mat& image, QString* error = nullptr);
    // image: 8 or 16-bit BGR or BGRA of exactly width x height. Writes the
    // samples of every row and leaves its spare bytes alone; gray writes
    // plane 0 only.
    static bool saveToPS(int width, int height, uchar* plane0, uchar* plane1, uchar* plane2, int rowBytes,
                         int bytesPerSample, bool isGray, const uchar* profile, int iccSize, const cv::Mat& image,
                         QString* error = nullptr);
};
