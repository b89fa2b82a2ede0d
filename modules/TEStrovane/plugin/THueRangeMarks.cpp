#include "THueRangeMarks.h"

#include "passes/HSLAdjustPass.h"

#include <QPainter>

#include <opencv2/imgproc.hpp>

namespace {
const QStringList kRanges{QStringLiteral("red"), QStringLiteral("orange"), QStringLiteral("yellow"),
                          QStringLiteral("green"), QStringLiteral("aqua"), QStringLiteral("blue"),
                          QStringLiteral("purple"), QStringLiteral("magenta")};
} // namespace

THueRangeMarks::THueRangeMarks(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
}

void THueRangeMarks::setImage(const TSMat& image)
{
    if (image.uid() == m_image.uid())
        return;
    m_image = image;
    rebuild();
}

void THueRangeMarks::setRange(const QString& range)
{
    if (range == m_range)
        return;
    m_range = range;
    rebuild();
}

void THueRangeMarks::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    rebuild();
}

void THueRangeMarks::rebuild()
{
    const int range = kRanges.indexOf(m_range);
    m_marks = range < 0 || m_image.isEmpty() ? QImage() : marks(m_image.mat(), range, m_color, 480);
    emit changed();
    update();
}

QImage THueRangeMarks::marks(const cv::Mat& bgr, int range, const QColor& color, int maxSide)
{
    const double scale = std::min(1.0, double(maxSide) / std::max(bgr.cols, bgr.rows));
    cv::Mat small;
    cv::resize(bgr, small, cv::Size(), scale, scale, cv::INTER_AREA);
    cv::Mat rgb;
    small.convertTo(rgb, CV_32F, small.depth() == CV_16U ? 1.0 / 65535.0 : 1.0 / 255.0);
    QImage out(rgb.cols, rgb.rows, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    for (int y = 0; y < rgb.rows; ++y) {
        const cv::Vec3f* row = rgb.ptr<cv::Vec3f>(y);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < rgb.cols; ++x) {
            // Hatching: diagonal lines two pixels wide, four apart.
            if ((x + y) % 4 > 1)
                continue;
            const float b = row[x][0], g = row[x][1], r = row[x][2];
            const float mx = std::max({r, g, b}), mn = std::min({r, g, b}), chroma = mx - mn;
            // Near-greys belong to no range, as in the adjustment.
            const float chromaWeight = std::min(1.0f, chroma / 0.15f);
            if (chromaWeight <= 0.0f)
                continue;
            float hue = mx == r ? (g - b) / chroma : mx == g ? 2.0f + (b - r) / chroma : 4.0f + (r - g) / chroma;
            hue *= 60.0f;
            if (hue < 0.0f)
                hue += 360.0f;
            const float w = hslRangeWeight(range, hue) * chromaWeight;
            if (w < 0.25f)
                continue;
            line[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), int(color.alpha() * w)));
        }
    }
    return out;
}

void THueRangeMarks::paint(QPainter* painter)
{
    if (m_marks.isNull())
        return;
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(boundingRect(), m_marks);
}
