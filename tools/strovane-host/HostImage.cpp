#include "HostImage.h"

#include <ExchangeSamples.h>
#include <HostExchange.h>
#include <TImageIO.h>

#include <lcms2.h>
#include <opencv2/imgproc.hpp>

#include <cstring>
#include <vector>

namespace {

// Exchange plane i holds red, green, blue (gray: plane 0); OpenCV keeps BGR.
int channelOf(int plane, bool gray)
{
    return gray ? 0 : 2 - plane;
}

// The profile's colour space as the exchange can take it; false with the
// reason for a profile that cannot go with these pixels.
bool profileFits(const QByteArray& profile, bool gray, QString* error)
{
    if (profile.isEmpty())
        return true;
    cmsHPROFILE p = cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()));
    if (!p) {
        *error = QStringLiteral("its colour profile cannot be read");
        return false;
    }
    const cmsColorSpaceSignature space = cmsGetColorSpace(p);
    cmsCloseProfile(p);
    if (space != (gray ? cmsSigGrayData : cmsSigRgbData)) {
        *error = gray ? QStringLiteral("its colour profile is not a gray one")
                      : QStringLiteral("its colour profile is not an RGB one (CMYK and others cannot be painted)");
        return false;
    }
    return true;
}

} // namespace

bool HostImage::read(const QString& path, QString* error)
{
    m_format = TImageIO::formatOf(path);
    TImageIO::LoadOptions options;
    options.storedProfile = &m_profile;
    TSMat image;
    QString why;
    if (!TImageIO::load(path, &image, &why, options)) {
        *error = why;
        return false;
    }
    cv::Mat pixels = image.mat();
    if (pixels.channels() == 2 || pixels.channels() == 4) {
        cv::extractChannel(pixels, m_alpha, pixels.channels() - 1);
        cv::Mat colour;
        if (pixels.channels() == 4)
            cv::cvtColor(pixels, colour, cv::COLOR_BGRA2BGR);
        else
            cv::extractChannel(pixels, colour, 0);
        pixels = colour;
    }
    m_pixels = pixels;
    if (m_format.isEmpty() || m_pixels.empty() || (m_pixels.channels() != 1 && m_pixels.channels() != 3)) {
        *error = QStringLiteral("%1 is not a JPEG, TIFF or PNG image").arg(path);
        return false;
    }
    // Found out before the painting, not when it is written.
    if (isGray() && !m_alpha.empty() && m_format == QLatin1String("tif")) {
        *error = QStringLiteral("%1: a gray TIFF with alpha cannot be written back").arg(path);
        return false;
    }
    if (!profileFits(m_profile, isGray(), &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    m_source = path;
    m_area = QRect(0, 0, m_pixels.cols, m_pixels.rows);
    return true;
}

bool HostImage::select(const QRect& wanted, QString* error)
{
    const QRect clipped = wanted.intersected(QRect(0, 0, m_pixels.cols, m_pixels.rows));
    if (clipped.isEmpty()) {
        *error = QStringLiteral("the selection %1,%2,%3,%4 lies outside the %5 x %6 picture")
                     .arg(wanted.x()).arg(wanted.y()).arg(wanted.width()).arg(wanted.height())
                     .arg(m_pixels.cols).arg(m_pixels.rows);
        return false;
    }
    m_area = clipped;
    return true;
}

QString HostImage::description() const
{
    return QStringLiteral("%1 x %2, %3 %4-bit%5%6")
        .arg(m_pixels.cols).arg(m_pixels.rows)
        .arg(isGray() ? QStringLiteral("gray") : QStringLiteral("RGB"))
        .arg(m_pixels.depth() == CV_16U ? 16 : 8)
        .arg(m_alpha.empty() ? QString() : QStringLiteral(" with alpha"))
        .arg(m_profile.isEmpty() ? QStringLiteral(", no profile") : QStringLiteral(", own profile"));
}

void HostImage::toExchange(const HostExchange& exchange) const
{
    const cv::Mat area = m_pixels(cv::Rect(m_area.x(), m_area.y(), m_area.width(), m_area.height()));
    const bool sixteen = area.depth() == CV_16U;
    const int channels = area.channels();
    for (int plane = 0; plane < exchange.planeCount(); ++plane) {
        const int c = channelOf(plane, isGray());
        for (int y = 0; y < area.rows; ++y) {
            std::uint8_t* out = exchange.plane(plane) + std::size_t(y) * std::size_t(exchange.rowBytes());
            for (int x = 0; x < area.cols; ++x) {
                const std::size_t at = std::size_t(x) * std::size_t(channels) + std::size_t(c);
                // 8-bit samples as 16-bit ones (v * 257), which come back as they went.
                const std::uint16_t host = sixteen ? area.ptr<std::uint16_t>(y)[at] : std::uint16_t(area.ptr<std::uint8_t>(y)[at] * 257);
                const std::uint16_t v = ExchangeSamples::fromHost(host);
                std::memcpy(out + 2 * x, &v, 2);
            }
        }
    }
}

void HostImage::fromExchange(const HostExchange& exchange)
{
    // The planes are read in the layout the host wrote, whatever the record says now.
    cv::Mat area = m_pixels(cv::Rect(m_area.x(), m_area.y(), m_area.width(), m_area.height()));
    const bool sixteen = area.depth() == CV_16U;
    const int channels = area.channels();
    for (int plane = 0; plane < exchange.planeCount(); ++plane) {
        const int c = channelOf(plane, isGray());
        for (int y = 0; y < area.rows; ++y) {
            const std::uint8_t* in = exchange.plane(plane) + std::size_t(y) * std::size_t(exchange.rowBytes());
            for (int x = 0; x < area.cols; ++x) {
                std::uint16_t v;
                std::memcpy(&v, in + 2 * x, 2);
                const std::uint16_t host = ExchangeSamples::toHost(std::min<std::uint16_t>(v, 32767));
                const std::size_t at = std::size_t(x) * std::size_t(channels) + std::size_t(c);
                if (sixteen)
                    area.ptr<std::uint16_t>(y)[at] = host;
                else
                    area.ptr<std::uint8_t>(y)[at] = std::uint8_t((std::uint32_t(host) + 128) / 257);
            }
        }
    }
}

bool HostImage::write(const QString& path, QString* error) const
{
    cv::Mat out = m_pixels;
    if (!m_alpha.empty()) {
        std::vector<cv::Mat> channels;
        cv::split(m_pixels, channels);
        channels.push_back(m_alpha);
        cv::merge(channels, out);
    }
    TImageIO::SaveOptions options;
    options.asStored = true;
    options.iccProfile = m_profile;
    options.format = m_format;
    options.depth = m_pixels.depth() == CV_16U ? 16 : 8;
    options.saveAlpha = !m_alpha.empty();
    options.metadataSource = m_source;
    return TImageIO::save(path, out, options, error);
}
