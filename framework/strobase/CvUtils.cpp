#include "CvUtils.h"

#include <opencv2/imgproc.hpp>

namespace CvUtils {

cv::Mat convertC3ToC4(const cv::Mat& src)
{
    if (src.channels() != 3)
        return src;
    cv::Mat dst;
    cv::cvtColor(src, dst, cv::COLOR_BGR2BGRA);
    return dst;
}

cv::Mat convertC4ToC3(const cv::Mat& src)
{
    if (src.channels() != 4)
        return src;
    cv::Mat dst;
    cv::cvtColor(src, dst, cv::COLOR_BGRA2BGR);
    return dst;
}

} // namespace CvUtils
