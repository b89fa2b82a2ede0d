#pragma once

#include "strobase_global.h"

#include <opencv2/core.hpp>

namespace CvUtils {

// Adds an opaque alpha channel (of the image's depth) to a 3-channel image.
STROBASE_EXPORT cv::Mat convertC3ToC4(const cv::Mat& src);
// Drops the alpha channel of a 4-channel image.
STROBASE_EXPORT cv::Mat convertC4ToC3(const cv::Mat& src);

} // namespace CvUtils
