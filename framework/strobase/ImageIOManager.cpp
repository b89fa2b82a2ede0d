#include "ImageIOManager.h"

#include "TIcc.h"

#include <QDebug>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kHostMax = 32767;

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool layoutFits(int width, int height, int rowBytes, int bytesPerSample, QString* error)
{
    if (width <= 0 || height <= 0)
        return fail(error, QStringLiteral("empty image"));
    if (bytesPerSample != 2)
        return fail(error, QStringLiteral("%1 bytes per sample; the exchange has 2").arg(bytesPerSample));
    if (rowBytes < 2 * width)
        return fail(error, QStringLiteral("rows of %1 bytes cannot hold %2 samples").arg(rowBytes).arg(width));
    return true;
}

// The host's profile, or none when it is absent or unreadable.
QByteArray hostProfile(const uchar* profile, int iccSize)
{
    if (!profile || iccSize <= 0)
        return QByteArray();
    const QByteArray bytes(reinterpret_cast<const char*>(profile), iccSize);
    if (TIcc::description(bytes).isNull()) {
        qWarning() << "The host's colour profile cannot be read; its samples are taken as sRGB.";
        return QByteArray();
    }
    return bytes;
}

// 0..32767 to 0..65535 and back, rounded.
void planeToMat(const uchar* plane, int rowBytes, cv::Mat& out)
{
    for (int y = 0; y < out.rows; ++y) {
        const uchar* row = plane + std::size_t(y) * std::size_t(rowBytes);
        ushort* dst = out.ptr<ushort>(y);
        for (int x = 0; x < out.cols; ++x) {
            ushort v;
            std::memcpy(&v, row + 2 * x, 2);
            const unsigned s = std::min<unsigned>(v, kHostMax);
            dst[x] = ushort((s * 65535u + kHostMax / 2) / kHostMax);
        }
    }
}
void matToPlane(const cv::Mat& in, uchar* plane, int rowBytes)
{
    for (int y = 0; y < in.rows; ++y) {
        uchar* row = plane + std::size_t(y) * std::size_t(rowBytes);
        const ushort* src = in.ptr<ushort>(y);
        for (int x = 0; x < in.cols; ++x) {
            const ushort v = ushort((unsigned(src[x]) * kHostMax + 32767u) / 65535u);
            std::memcpy(row + 2 * x, &v, 2);
        }
    }
}

} // namespace

bool ImageIOManager::loadFromPS(int width, int height, const uchar* plane0, const uchar* plane1,
                                const uchar* plane2, int rowBytes, int bytesPerSample, bool isGray,
                                const uchar* profile, int iccSize, cv::Mat& image, QString* error)
{
    if (!layoutFits(width, height, rowBytes, bytesPerSample, error))
        return false;
    if (!plane0 || (!isGray && (!plane1 || !plane2)))
        return fail(error, QStringLiteral("missing plane"));
    const QByteArray icc = hostProfile(profile, iccSize);
    QString why;
    if (isGray) {
        cv::Mat gray(height, width, CV_16UC1);
        planeToMat(plane0, rowBytes, gray);
        if (!TIcc::grayToWorkingSpace(gray, icc, &image, &why))
            return fail(error, why);
        return true;
    }
    cv::Mat channels[3] = {cv::Mat(height, width, CV_16UC1), cv::Mat(height, width, CV_16UC1),
                           cv::Mat(height, width, CV_16UC1)};
    // Planes are red, green, blue; the matrix is BGR.
    planeToMat(plane0, rowBytes, channels[2]);
    planeToMat(plane1, rowBytes, channels[1]);
    planeToMat(plane2, rowBytes, channels[0]);
    cv::merge(channels, 3, image);
    if (!icc.isEmpty() && !TIcc::toWorkingSpace(image, icc, &why))
        return fail(error, why);
    return true;
}

bool ImageIOManager::saveToPS(int width, int height, uchar* plane0, uchar* plane1, uchar* plane2, int rowBytes,
                              int bytesPerSample, bool isGray, const uchar* profile, int iccSize,
                              const cv::Mat& image, QString* error)
{
    if (!layoutFits(width, height, rowBytes, bytesPerSample, error))
        return false;
    if (image.cols != width || image.rows != height)
        return fail(error, QStringLiteral("the image is %1 x %2, the host's %3 x %4")
                               .arg(image.cols).arg(image.rows).arg(width).arg(height));
    if ((image.channels() != 3 && image.channels() != 4) || (image.depth() != CV_8U && image.depth() != CV_16U))
        return fail(error, QStringLiteral("the image is not 8 or 16-bit BGR"));
    if (!plane0 || (!isGray && (!plane1 || !plane2)))
        return fail(error, QStringLiteral("missing plane"));
    cv::Mat bgr;
    if (image.channels() == 4)
        cv::cvtColor(image, bgr, cv::COLOR_BGRA2BGR);
    else
        bgr = image.clone();
    if (bgr.depth() == CV_8U)
        bgr.convertTo(bgr, CV_16U, 257.0);
    const QByteArray icc = hostProfile(profile, iccSize);
    QString why;
    if (isGray) {
        cv::Mat gray;
        if (!TIcc::workingSpaceToGray(bgr, icc, &gray, &why))
            return fail(error, why);
        matToPlane(gray, plane0, rowBytes);
        return true;
    }
    if (!icc.isEmpty() && !TIcc::fromWorkingSpace(bgr, icc, &why))
        return fail(error, why);
    cv::Mat channels[3];
    cv::split(bgr, channels);
    matToPlane(channels[2], plane0, rowBytes);
    matToPlane(channels[1], plane1, rowBytes);
    matToPlane(channels[0], plane2, rowBytes);
    return true;
}
