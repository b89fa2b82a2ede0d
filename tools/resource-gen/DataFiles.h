#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <opencv2/imgcodecs.hpp>

#include <vector>

// Writing the generated data: whole files, replaced atomically.
namespace datafiles {

inline bool write(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

inline bool writePng(const QString& path, const cv::Mat& image)
{
    std::vector<uchar> bytes;
    return cv::imencode(".png", image, bytes)
        && write(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())));
}

} // namespace datafiles
