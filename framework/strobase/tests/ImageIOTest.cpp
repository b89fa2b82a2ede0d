#include <TImageIO.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

namespace {

cv::Mat gradient(int width, int height, int depth)
{
    cv::Mat m(height, width, CV_MAKETYPE(depth, 3));
    const double maxValue = depth == CV_16U ? 65535 : 255;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const cv::Vec3d v(maxValue * x / (width - 1), maxValue * y / (height - 1), maxValue / 2);
            if (depth == CV_16U)
                m.at<cv::Vec3w>(y, x) = v;
            else
                m.at<cv::Vec3b>(y, x) = v;
        }
    return m;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}

// A JPEG whose EXIF says "rotate 90 degrees clockwise to display".
QByteArray jpegWithOrientation6(const cv::Mat& image)
{
    std::vector<uchar> bytes;
    cv::imencode(".jpg", image, bytes);
    const QByteArray tiff = QByteArray("II*\0\x08\0\0\0", 8) + QByteArray("\x01\0", 2) // one entry
        + QByteArray("\x12\x01\x03\0\x01\0\0\0\x06\0\0\0", 12) + QByteArray(4, '\0');
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = payload.size() + 2;
    const QByteArray app1 = QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) + payload;
    QByteArray jpeg(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

} // namespace

TEST(ImageIO, RoundTripsEveryFormatAndDepth)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int depth;
        double tolerance;
    } cases[] = {{"a.png", 8, 0}, {"b.png", 16, 0}, {"c.tif", 8, 0}, {"d.tiff", 16, 0}, {"e.jpg", 8, 6}};
    for (const Case& c : cases) {
        const cv::Mat source = gradient(64, 48, c.depth == 16 ? CV_16U : CV_8U);
        QString error;
        const QString path = dir.filePath(QLatin1String(c.name));
        ASSERT_TRUE(TImageIO::save(path, source, c.depth, &error)) << error.toStdString();
        TSMat read;
        ASSERT_TRUE(TImageIO::load(path, &read, &error)) << c.name << error.toStdString();
        EXPECT_EQ(read.mat().depth(), c.depth == 16 ? CV_16U : CV_8U) << c.name;
        EXPECT_LE(cv::norm(read.mat(), source, cv::NORM_INF), c.tolerance * (c.depth == 16 ? 257 : 1)) << c.name;
        EXPECT_NE(read.uid(), 0u);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5) << "no temporary files left";
}

TEST(ImageIO, RefusesWhatItCannotWrite)
{
    QTemporaryDir dir;
    QString error;
    const cv::Mat image = gradient(8, 8, CV_8U);
    EXPECT_FALSE(TImageIO::save(dir.filePath("x.bmp"), image, 8, &error));
    EXPECT_FALSE(TImageIO::save(dir.filePath("x.jpg"), image, 16, &error));
    EXPECT_FALSE(TImageIO::save(dir.filePath("x.png"), image, 12, &error));
}

TEST(ImageIO, BrokenFilesAreErrorsNotImages)
{
    QTemporaryDir dir;
    std::vector<uchar> jpeg, png;
    cv::imencode(".jpg", gradient(200, 150, CV_8U), jpeg);
    cv::imencode(".png", gradient(200, 150, CV_8U), png);
    const QByteArray jpegBytes(reinterpret_cast<const char*>(jpeg.data()), int(jpeg.size()));
    const QByteArray pngBytes(reinterpret_cast<const char*>(png.data()), int(png.size()));
    struct Case {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"truncated.jpg", jpegBytes.left(jpegBytes.size() / 2)},
        {"truncated.png", pngBytes.left(pngBytes.size() / 2)},
        {"garbage.jpg", QByteArray(1000, 'x')},
        {"empty.png", QByteArray()},
        {"header-only.jpg", jpegBytes.left(20)},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        writeAll(path, c.content);
        TSMat image;
        QString error;
        EXPECT_FALSE(TImageIO::load(path, &image, &error)) << c.name;
        EXPECT_TRUE(image.isEmpty()) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    TSMat image;
    QString error;
    EXPECT_FALSE(TImageIO::load(dir.filePath("missing.jpg"), &image, &error));
}

TEST(ImageIO, AppliesExifOrientation)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("rotated.jpg");
    writeAll(path, jpegWithOrientation6(gradient(80, 40, CV_8U)));
    TSMat image;
    QString error;
    ASSERT_TRUE(TImageIO::load(path, &image, &error)) << error.toStdString();
    EXPECT_EQ(image.width(), 40);
    EXPECT_EQ(image.height(), 80);
}
