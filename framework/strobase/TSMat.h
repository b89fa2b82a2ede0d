#pragma once

#include "strobase_global.h"

#include <QMetaType>

#include <opencv2/core.hpp>

// An image value passed between QML and native code: an OpenCV matrix (BGR
// or BGRA, 8 or 16 bit, as read from a file) and an identity that changes
// only when the image does.
class STROBASE_EXPORT TSMat {
public:
    TSMat() = default;
    explicit TSMat(const cv::Mat& mat);

    bool isEmpty() const { return m_mat.empty(); }
    const cv::Mat& mat() const { return m_mat; }
    quint32 uid() const { return m_uid; }
    int width() const { return m_mat.cols; }
    int height() const { return m_mat.rows; }

private:
    cv::Mat m_mat;
    quint32 m_uid = 0;
};

Q_DECLARE_METATYPE(TSMat)
