#include "TImageIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <opencv2/imgcodecs.hpp>

#include <vector>

namespace {

enum class Kind { Unknown, Jpeg, Png, Tiff };

Kind kindOfData(const QByteArray& data)
{
    if (data.startsWith("\xff\xd8\xff"))
        return Kind::Jpeg;
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return Kind::Png;
    if (data.startsWith("II*") || data.startsWith("MM\0*"))
        return Kind::Tiff;
    return Kind::Unknown;
}

Kind kindOfName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return Kind::Jpeg;
    if (suffix == QLatin1String("png"))
        return Kind::Png;
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return Kind::Tiff;
    return Kind::Unknown;
}

// The decoders fill a cut-off file with grey and call it a success. A
// complete JPEG has its end marker after the last scan (data a camera appends
// after it does not matter); a complete PNG ends with its IEND chunk.
bool looksComplete(Kind kind, const QByteArray& data)
{
    if (kind == Kind::Jpeg) {
        const int lastScan = data.lastIndexOf("\xff\xda");
        return lastScan >= 0 && data.indexOf("\xff\xd9", lastScan) >= 0;
    }
    if (kind == Kind::Png)
        return data.lastIndexOf("IEND") >= data.size() - 12;
    return true;
}

} // namespace

namespace TImageIO {

bool load(const QString& path, TSMat* image, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    const Kind kind = kindOfData(data);
    if (kind == Kind::Unknown) {
        *error = QStringLiteral("%1 is not a JPEG, TIFF or PNG image").arg(path);
        return false;
    }
    if (!looksComplete(kind, data)) {
        *error = QStringLiteral("%1 is truncated").arg(path);
        return false;
    }
    cv::Mat mat;
    try {
        const cv::Mat buffer(1, data.size(), CV_8U, const_cast<char*>(data.constData()));
        mat = cv::imdecode(buffer, cv::IMREAD_COLOR | cv::IMREAD_ANYDEPTH);
    } catch (const cv::Exception& e) {
        *error = QStringLiteral("cannot decode %1: %2").arg(path, QString::fromStdString(e.msg));
        return false;
    }
    if (mat.empty()) {
        *error = QStringLiteral("cannot decode %1").arg(path);
        return false;
    }
    if (mat.depth() != CV_8U && mat.depth() != CV_16U)
        mat.convertTo(mat, CV_16U, mat.depth() == CV_32F ? 65535.0 : 1.0);
    *image = TSMat(mat);
    return true;
}

bool save(const QString& path, const cv::Mat& image, int depth, QString* error)
{
    const Kind kind = kindOfName(path);
    if (kind == Kind::Unknown) {
        *error = QStringLiteral("%1: unknown image format (use .png, .jpg or .tif)").arg(path);
        return false;
    }
    if (depth != 8 && depth != 16) {
        *error = QStringLiteral("unsupported depth %1 (8 or 16)").arg(depth);
        return false;
    }
    if (depth == 16 && kind == Kind::Jpeg) {
        *error = QStringLiteral("JPEG files hold 8 bits per channel only");
        return false;
    }
    cv::Mat out = image;
    const int wanted = depth == 16 ? CV_16U : CV_8U;
    if (out.depth() != wanted)
        out.convertTo(out, wanted, out.depth() == CV_16U ? 1.0 / 257.0 : 257.0);
    const char* ext = kind == Kind::Jpeg ? ".jpg" : kind == Kind::Png ? ".png" : ".tif";
    std::vector<uchar> bytes;
    std::vector<int> options;
    if (kind == Kind::Jpeg)
        options = {cv::IMWRITE_JPEG_QUALITY, 95};
    try {
        if (!cv::imencode(ext, out, bytes, options)) {
            *error = QStringLiteral("cannot encode %1").arg(path);
            return false;
        }
    } catch (const cv::Exception& e) {
        *error = QStringLiteral("cannot encode %1: %2").arg(path, QString::fromStdString(e.msg));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size())
        || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace TImageIO
