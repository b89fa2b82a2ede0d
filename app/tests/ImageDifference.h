#pragma once
#include <opencv2/core.hpp>

// The mean absolute difference of two images of one size, per sample, in
// 8-bit levels (16-bit images are scaled down first).
inline double meanDifference(const cv::Mat& a, const cv::Mat& b)
{
    cv::Mat a8, b8;
    a.convertTo(a8, CV_8U, a.depth() == CV_16U ? 1.0 / 257 : 1.0);
    b.convertTo(b8, CV_8U, b.depth() == CV_16U ? 1.0 / 257 : 1.0);
    return cv::norm(a8, b8, cv::NORM_L1) / double(a8.total() * a8.channels());
}
