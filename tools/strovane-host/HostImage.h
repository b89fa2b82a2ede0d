#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <opencv2/core.hpp>

class HostExchange;

// The host's picture: read as stored (its own colour space, depth and
// profile), the area handed to the program, and written back in the same
// format, depth and profile with everything outside the area and the
// alpha channel as they were.
class HostImage {
public:
    // False with the reason for a file that is no image we can hand over.
    bool read(const QString& path, QString* error);
    // The area, clipped to the picture; false when nothing is left.
    bool select(const QRect& wanted, QString* error);

    QRect area() const { return m_area; }
    bool isGray() const { return m_pixels.channels() == 1; }
    const QByteArray& profile() const { return m_profile; }
    // "jpg", "png" or "tif": what OUT is written as.
    const QString& format() const { return m_format; }
    QString description() const;

    void toExchange(const HostExchange& exchange) const;
    void fromExchange(const HostExchange& exchange);
    bool write(const QString& path, QString* error) const;

private:
    cv::Mat m_pixels; // BGR or gray, 8 or 16 bit, alpha aside
    cv::Mat m_alpha;  // empty when the file has none
    QByteArray m_profile;
    QString m_format;
    QString m_source;
    QRect m_area;
};
