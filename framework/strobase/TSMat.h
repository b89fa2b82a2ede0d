#pragma once

#include "strobase_global.h"

#include <QMetaType>
#include <QObject>

#include <opencv2/core.hpp>

// An image value passed between QML and native code: an OpenCV matrix (BGR
// or BGRA, 8 or 16 bit, as read from a file) and an identity that changes
// only when the image does.
class STROBASE_EXPORT TSMat {
    Q_GADGET
    // What QML reads of an image value.
    Q_PROPERTY(int width READ width)
    Q_PROPERTY(int height READ height)
    Q_PROPERTY(bool empty READ isEmpty)
    Q_PROPERTY(quint32 uid READ uid)
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
