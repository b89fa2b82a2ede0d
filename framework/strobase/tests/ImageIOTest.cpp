#include <TIcc.h>
#include <TImageIO.h>
#include <TMemory.h>
#include <TPresetFile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>
#include <lcms2.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <zlib.h>
#include <functional>
#include <memory>

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

TEST(ImageIO, AsStoredTheFileKeepsItsSpaceLayoutAndProfile)
{
    // For a host: read and written again without any conversion, the
    // profile's bytes handed out and embedded as they are.
    QTemporaryDir dir;
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE grayProfile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsUInt32Number graySize = 0;
    cmsSaveProfileToMem(grayProfile, nullptr, &graySize);
    QByteArray gray(int(graySize), 0);
    cmsSaveProfileToMem(grayProfile, gray.data(), &graySize);
    cmsCloseProfile(grayProfile);
    cmsFreeToneCurve(gamma);

    struct Case {
        const char* name;
        int depth, channels;
        QByteArray profile;
        double tolerance;
    } cases[] = {
        {"rgb.png", 8, 3, TIcc::adobeRGB(), 0},   {"rgba.png", 16, 4, TIcc::adobeRGB(), 0},
        {"gray.png", 16, 1, gray, 0},            {"graya.png", 8, 2, QByteArray(), 0},
        {"rgb.tif", 16, 3, TIcc::adobeRGB(), 0}, {"rgba.tif", 8, 4, QByteArray(), 0},
        {"gray.tif", 8, 1, gray, 0},             {"rgb.jpg", 8, 3, TIcc::adobeRGB(), 6},
        {"gray.jpg", 8, 1, gray, 6},
    };
    for (const Case& c : cases) {
        const int depth = c.depth == 16 ? CV_16U : CV_8U;
        const cv::Mat colour = gradient(64, 48, depth);
        std::vector<cv::Mat> planes;
        cv::split(colour, planes);
        std::vector<cv::Mat> wanted = c.channels >= 3 ? planes : std::vector<cv::Mat>{planes[0]};
        if (c.channels == 2 || c.channels == 4)
            wanted.push_back(planes[1]);
        cv::Mat source;
        cv::merge(wanted, source);
        TImageIO::SaveOptions options;
        options.asStored = true;
        options.iccProfile = c.profile;
        options.depth = c.depth;
        options.saveAlpha = c.channels == 2 || c.channels == 4;
        // The format by name, whatever the path says.
        options.format = QFileInfo(QLatin1String(c.name)).suffix();
        const QString path = dir.filePath(QLatin1String(c.name) + QStringLiteral(".out"));
        QString error;
        ASSERT_TRUE(TImageIO::save(path, source, options, &error)) << c.name << error.toStdString();
        EXPECT_EQ(TImageIO::formatOf(path), options.format) << c.name;

        QByteArray profile("not read");
        TImageIO::LoadOptions load;
        load.storedProfile = &profile;
        TSMat read;
        ASSERT_TRUE(TImageIO::load(path, &read, &error, load)) << c.name << error.toStdString();
        EXPECT_EQ(profile, c.profile) << c.name;
        ASSERT_EQ(read.mat().type(), source.type()) << c.name;
        EXPECT_LE(cv::norm(read.mat(), source, cv::NORM_INF), c.tolerance) << c.name;
    }
    // Gray and alpha is a layout OpenCV's TIFF encoder lacks: said, not half done.
    TImageIO::SaveOptions options;
    options.asStored = true;
    options.saveAlpha = true;
    QString error;
    EXPECT_FALSE(TImageIO::save(dir.filePath("graya.tif"), cv::Mat(8, 8, CV_8UC2, cv::Scalar(1, 2)), options, &error));
    EXPECT_TRUE(error.contains("gray TIFF with alpha")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("graya.tif")));
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

// A chunk that claims more than the file holds is refused before decoding:
// the decoder would allocate what it claims (here 1.7 GB) first.
TEST(ImageIO, APngChunkLongerThanTheFileIsRefusedUnread)
{
    QTemporaryDir dir;
    std::vector<uchar> png;
    cv::imencode(".png", gradient(8, 8, CV_8U), png);
    QByteArray bytes(reinterpret_cast<const char*>(png.data()), int(png.size()));
    const int iend = bytes.lastIndexOf("IEND") - 4;
    const QByteArray lying = QByteArray::fromHex("69000000") + "tEXt" + "Comment\0x" + QByteArray(4, '\0');
    bytes.insert(iend, lying);
    const QString path = dir.filePath("lying.png");
    writeAll(path, bytes);
    TSMat image;
    QString error;
    EXPECT_FALSE(TImageIO::load(path, &image, &error));
    EXPECT_TRUE(error.contains("truncated")) << error.toStdString();
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

namespace {

cv::Mat flat(int width, int height, const cv::Vec3b& bgr)
{
    return cv::Mat(height, width, CV_8UC3, cv::Scalar(bgr[0], bgr[1], bgr[2]));
}

QByteArray encoded(const char* ext, const cv::Mat& image, const std::vector<int>& params = {})
{
    std::vector<uchar> bytes;
    cv::imencode(ext, image, bytes, params);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

// Rewrites a file's metadata with exiv2, as a camera or another program would.
void editMetadata(const QString& path, const std::function<void(Exiv2::Image&)>& edit)
{
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    edit(*image);
    image->writeMetadata();
}

std::unique_ptr<Exiv2::Image> metadataOf(const QString& path)
{
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    return std::unique_ptr<Exiv2::Image>(image.release());
}

std::string exifText(Exiv2::Image& image, const char* key)
{
    const auto it = image.exifData().findKey(Exiv2::ExifKey(key));
    return it == image.exifData().end() ? std::string() : it->toString();
}

// An 8-bit sRGB colour as the same colour in Adobe RGB (1998) coordinates:
// both spaces have the D65 white, so XYZ links them without adaptation.
cv::Vec3b srgbToAdobe(const cv::Vec3b& bgr)
{
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const double r = linear(bgr[2] / 255.0), g = linear(bgr[1] / 255.0), b = linear(bgr[0] / 255.0);
    const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
    const double ar = 2.0413690 * x - 0.5649464 * y - 0.3446944 * z;
    const double ag = -0.9692660 * x + 1.8760108 * y + 0.0415560 * z;
    const double ab = 0.0134474 * x - 0.1183897 * y + 1.0154096 * z;
    auto encode = [](double c) { return uchar(std::lround(255.0 * std::pow(std::clamp(c, 0.0, 1.0), 256.0 / 563.0))); };
    return cv::Vec3b(encode(ab), encode(ag), encode(ar));
}

} // namespace

TEST(ImageIO, TiffNeedsItsWholeSignature)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("letter.tif");
    writeAll(path, QByteArray("MMMM, a letter and no image"));
    TSMat image;
    QString error;
    EXPECT_FALSE(TImageIO::load(path, &image, &error));
    EXPECT_TRUE(error.contains("is not a JPEG, TIFF or PNG image")) << error.toStdString();

    // Big-endian TIFFs are TIFFs: a 2 x 1 RGB image written by hand.
    QByteArray tiff("MM\0*\0\0\0\x08", 8);
    auto u16 = [&](int v) { tiff += char(v >> 8); tiff += char(v & 0xff); };
    auto u32 = [&](int v) { u16(v >> 16); u16(v & 0xffff); };
    auto entry = [&](int tag, int type, int count, int value) {
        u16(tag), u16(type), u32(count);
        type == 3 && count == 1 ? (u16(value), u16(0)) : u32(value);
    };
    const int ifdSize = 2 + 9 * 12 + 4, bitsAt = 8 + ifdSize, pixelsAt = bitsAt + 6;
    u16(9);
    entry(256, 3, 1, 2);        // width
    entry(257, 3, 1, 1);        // height
    entry(258, 3, 3, bitsAt);   // 8 bits per sample
    entry(259, 3, 1, 1);        // no compression
    entry(262, 3, 1, 2);        // RGB
    entry(273, 4, 1, pixelsAt); // strip offset
    entry(277, 3, 1, 3);        // samples per pixel
    entry(278, 3, 1, 1);        // rows per strip
    entry(279, 4, 1, 6);        // strip bytes
    u32(0);
    u16(8), u16(8), u16(8);
    tiff += QByteArray("\xff\x00\x00\x00\x00\xff", 6); // red, blue
    writeAll(path, tiff);
    ASSERT_TRUE(TImageIO::load(path, &image, &error)) << error.toStdString();
    EXPECT_EQ(image.mat().at<cv::Vec3b>(0, 0), cv::Vec3b(0, 0, 255));
    EXPECT_EQ(image.mat().at<cv::Vec3b>(0, 1), cv::Vec3b(255, 0, 0));
}

TEST(ImageIO, EmbeddedProfileIsConvertedToTheWorkingSpace)
{
    QTemporaryDir dir;
    // Saturated colours, where the two spaces disagree most.
    const cv::Vec3b colours[] = {{60, 200, 40}, {210, 180, 30}, {40, 40, 220}, {128, 128, 128}};
    for (const cv::Vec3b& srgb : colours) {
        const cv::Vec3b adobe = srgbToAdobe(srgb);
        const QString path = dir.filePath("adobe.jpg");
        writeAll(path, encoded(".jpg", flat(32, 32, adobe), {cv::IMWRITE_JPEG_QUALITY, 100}));
        editMetadata(path, [](Exiv2::Image& image) {
            const QByteArray profile = TIcc::adobeRGB();
            Exiv2::DataBuf icc(reinterpret_cast<const Exiv2::byte*>(profile.constData()), long(profile.size()));
            image.setIccProfile(icc);
        });
        TSMat image;
        QString error;
        ASSERT_TRUE(TImageIO::load(path, &image, &error)) << error.toStdString();
        const cv::Vec3b got = image.mat().at<cv::Vec3b>(16, 16);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], srgb[c], 3) << "channel " << c << " of " << srgb << " stored as " << adobe;
    }
    EXPECT_GT(cv::norm(cv::Vec3d(srgbToAdobe(colours[0])) - cv::Vec3d(colours[0]), cv::NORM_INF), 20)
        << "the test colour must tell the spaces apart";
}

TEST(ImageIO, ExportKeepsTheSourceMetadataInEveryFormat)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("camera.jpg");
    writeAll(source, encoded(".jpg", gradient(60, 40, CV_8U)));
    editMetadata(source, [](Exiv2::Image& image) {
        Exiv2::ExifData& exif = image.exifData();
        exif["Exif.Image.Make"] = "Velmora Optics";
        exif["Exif.Image.Model"] = "VX-1";
        exif["Exif.Image.Orientation"] = uint16_t(6);
        exif["Exif.Photo.DateTimeOriginal"] = "2026:05:17 09:41:00";
        exif["Exif.Photo.PixelXDimension"] = uint32_t(60);
        exif["Exif.Photo.PixelYDimension"] = uint32_t(40);
        image.iptcData()["Iptc.Application2.Caption"] = "Poppies at dawn";
        image.xmpData()["Xmp.dc.title"] = "Poppies";
    });
    TSMat photo;
    QString error;
    ASSERT_TRUE(TImageIO::load(source, &photo, &error)) << error.toStdString();
    ASSERT_EQ(photo.width(), 40) << "turned upright";

    for (const char* name : {"painting.jpg", "painting.tif", "painting.png"}) {
        const QString path = dir.filePath(QLatin1String(name));
        TImageIO::SaveOptions options;
        options.metadataSource = source;
        ASSERT_TRUE(TImageIO::save(path, photo.mat(), options, &error)) << name << error.toStdString();
        auto written = metadataOf(path);
        EXPECT_EQ(exifText(*written, "Exif.Image.Make"), "Velmora Optics") << name;
        EXPECT_EQ(exifText(*written, "Exif.Image.Model"), "VX-1") << name;
        EXPECT_EQ(exifText(*written, "Exif.Photo.DateTimeOriginal"), "2026:05:17 09:41:00") << name;
        EXPECT_EQ(exifText(*written, "Exif.Image.Orientation"), "1") << name << ": the pixels are upright now";
        EXPECT_EQ(exifText(*written, "Exif.Photo.PixelXDimension"), "40") << name;
        EXPECT_EQ(exifText(*written, "Exif.Photo.PixelYDimension"), "60") << name;
        EXPECT_EQ(written->xmpData()["Xmp.dc.title"].toString(), "lang=\"x-default\" Poppies") << name;
        if (QByteArray(name).endsWith(".jpg")) {
            EXPECT_EQ(written->iptcData()["Iptc.Application2.Caption"].toString(), "Poppies at dawn");
        }
        ASSERT_TRUE(written->iccProfileDefined()) << name;
        const Exiv2::DataBuf* icc = written->iccProfile();
        EXPECT_EQ(TIcc::description(QByteArray(reinterpret_cast<const char*>(icc->pData_), int(icc->size_))),
                  TIcc::description(TIcc::sRGB()))
            << name;
        TSMat back;
        ASSERT_TRUE(TImageIO::load(path, &back, &error)) << name << error.toStdString();
        EXPECT_EQ(back.width(), 40) << name << ": not turned a second time";
    }
}

TEST(ImageIO, SaveOptionsFromTheDialogsMetadata)
{
    using Map = QVariantMap;
    struct Case {
        const char* what;
        Map meta;
        bool ok;
        std::function<bool(const TImageIO::SaveOptions&)> check;
    } cases[] = {
        {"jpeg named quality", Map{{"IMAGE_FORMAT", "JPEG"}, {"JPEG_QUALITY", "Maximum"}, {"JPEG_FORMAT", "Progressive"}}, true,
         [](const TImageIO::SaveOptions& o) { return o.jpegQuality == 100 && o.jpegProgressive && !o.jpegOptimized; }},
        {"jpeg number", Map{{"IMAGE_FORMAT", "JPEG"}, {"JPEG_QUALITY", 70}, {"JPEG_FORMAT", "Optimized"}, {"COLOR_SPACE", "Adobe RGB"}}, true,
         [](const TImageIO::SaveOptions& o) { return o.jpegQuality == 70 && o.jpegOptimized && o.adobeRGB && o.depth == 8; }},
        {"jpeg quality out of range", Map{{"IMAGE_FORMAT", "JPEG"}, {"JPEG_QUALITY", 140}}, false, nullptr},
        {"tiff", Map{{"IMAGE_FORMAT", "TIFF"}, {"TIFF_COMPRESSION", "ZIP"}, {"TIFF_BITDEPTH", "16 bit"}, {"SAVE_ALPHA", true}}, true,
         [](const TImageIO::SaveOptions& o) { return o.tiffCompression == TImageIO::TiffCompression::Zip && o.depth == 16 && o.saveAlpha; }},
        {"tiff depth 12", Map{{"IMAGE_FORMAT", "TIFF"}, {"TIFF_BITDEPTH", 12}}, false, nullptr},
        {"tiff unknown compression", Map{{"IMAGE_FORMAT", "TIFF"}, {"TIFF_COMPRESSION", "JPEG"}}, false, nullptr},
        {"png", Map{{"IMAGE_FORMAT", "PNG"}, {"PNG_COMPRESSION", "Best"}, {"PNG_BITDEPTH", 16}, {"PNG_INTERLACE", true}, {"COLOR_SPACE", "sRGB"}}, true,
         [](const TImageIO::SaveOptions& o) { return o.pngCompression == 9 && o.depth == 16 && o.pngInterlace && !o.adobeRGB; }},
        {"unknown colour space", Map{{"IMAGE_FORMAT", "PNG"}, {"COLOR_SPACE", "CMYK"}}, false, nullptr},
        {"empty map", Map{}, false, nullptr},
    };
    for (const Case& c : cases) {
        TImageIO::SaveOptions options;
        QString error;
        EXPECT_EQ(TImageIO::SaveOptions::fromMetaData(c.meta, &options, &error), c.ok) << c.what;
        if (c.ok)
            EXPECT_TRUE(c.check(options)) << c.what;
        else
            EXPECT_FALSE(error.isEmpty()) << c.what;
    }
}

TEST(ImageIO, WriterOptionsReachTheFile)
{
    QTemporaryDir dir;
    const cv::Mat image = gradient(64, 48, CV_16U);
    QString error;

    TImageIO::SaveOptions png;
    png.depth = 16;
    png.saveAlpha = true;
    png.pngInterlace = true;
    ASSERT_TRUE(TImageIO::save(dir.filePath("i.png"), image, png, &error)) << error.toStdString();
    const QByteArray pngBytes = readAll(dir.filePath("i.png"));
    EXPECT_EQ(int(pngBytes.at(28)), 1) << "IHDR says Adam7";
    const cv::Mat pngBack = cv::imread(dir.filePath("i.png").toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(pngBack.type(), CV_16UC4);
    cv::Mat pngColour;
    cv::cvtColor(pngBack, pngColour, cv::COLOR_BGRA2BGR);
    EXPECT_EQ(cv::norm(pngColour, image, cv::NORM_INF), 0) << "16-bit samples in the right byte order";

    TImageIO::SaveOptions jpeg;
    jpeg.jpegProgressive = true;
    ASSERT_TRUE(TImageIO::save(dir.filePath("p.jpg"), image, jpeg, &error));
    EXPECT_TRUE(readAll(dir.filePath("p.jpg")).contains("\xff\xc2")) << "a progressive frame";

    TImageIO::SaveOptions tiff;
    tiff.depth = 16;
    qint64 sizes[3];
    for (auto compression : {TImageIO::TiffCompression::None, TImageIO::TiffCompression::Lzw, TImageIO::TiffCompression::Zip}) {
        tiff.tiffCompression = compression;
        const QString path = dir.filePath(QStringLiteral("c%1.tif").arg(int(compression)));
        ASSERT_TRUE(TImageIO::save(path, image, tiff, &error));
        sizes[int(compression)] = QFileInfo(path).size();
        TSMat back;
        ASSERT_TRUE(TImageIO::load(path, &back, &error));
        EXPECT_EQ(back.mat().depth(), CV_16U) << "16-bit TIFF stays 16-bit";
        EXPECT_EQ(cv::norm(back.mat(), image, cv::NORM_INF), 0);
    }
    EXPECT_LT(sizes[1], sizes[0]);
    EXPECT_LT(sizes[2], sizes[0]);
}

TEST(ImageIO, FailedWritesLeaveEverythingAsItWas)
{
    const cv::Mat image = gradient(400, 300, CV_8U);
    QString error;

    // A folder nobody may write to; /proc refuses new files even to root.
    QTemporaryDir dir;
    const QString locked = dir.filePath("locked");
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString folder = ::access(qPrintable(locked), W_OK) == 0 ? QStringLiteral("/proc") : locked;
    error.clear();
    EXPECT_FALSE(TImageIO::save(folder + "/painting.png", image, 8, &error));
    EXPECT_TRUE(error.startsWith("cannot write")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(folder + "/painting.png"));
    EXPECT_TRUE(QDir(locked).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // An overwrite that runs out of room half way (a file size limit stands
    // in for a full disk).
    const QString path = dir.filePath("old.tif");
    ASSERT_TRUE(TImageIO::save(path, gradient(40, 30, CV_8U), 8, &error));
    const QByteArray before = readAll(path);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    TImageIO::SaveOptions options;
    options.tiffCompression = TImageIO::TiffCompression::None;
    const bool saved = TImageIO::save(path, image, options, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.startsWith("cannot write")) << error.toStdString();
    EXPECT_EQ(readAll(path), before) << "the old file is intact";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.tif"}) << "no temporary left";
}

namespace {

// What the call wrote to the process's stderr.
QByteArray stderrOf(const std::function<void()>& call)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("stderr");
    std::fflush(stderr);
    const int saved = ::dup(2);
    const int file = ::open(qPrintable(path), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, 2);
    call();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    return readAll(path);
}

// A PNG that claims a size and holds no pixels.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    auto be32 = [](quint32 v) { return QByteArray::fromHex(QByteArray::number(v, 16).rightJustified(8, '0')); };
    auto chunk = [&](const QByteArray& typeAndData) {
        return be32(quint32(typeAndData.size() - 4)) + typeAndData
            + be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()), uInt(typeAndData.size()))));
    };
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR" + be32(width) + be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5))
        + chunk("IEND");
}

// The JPEG with its frame header claiming rows times its height.
QByteArray jpegClaimingMoreRows(const QByteArray& jpeg, int times)
{
    QByteArray lying = jpeg;
    const int sof = lying.indexOf("\xff\xc0");
    const int height = (uchar(lying[sof + 5]) << 8 | uchar(lying[sof + 6])) * times;
    lying[sof + 5] = char(height >> 8);
    lying[sof + 6] = char(height & 0xff);
    return lying;
}

} // namespace

TEST(ImageIO, OnlyRegularFilesAreReadAndAtOnce)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.jpg");
    ASSERT_EQ(::mkfifo(qPrintable(fifo), 0600), 0);
    QDir().mkdir(dir.filePath("folder.png"));
    for (const QString& path : {QStringLiteral("/dev/zero"), fifo, dir.filePath("folder.png")}) {
        TSMat image;
        QString error;
        EXPECT_FALSE(TImageIO::load(path, &image, &error)) << path.toStdString();
        EXPECT_TRUE(error.contains("not a regular file") || error.contains("is a folder")) << error.toStdString();
        int depth = 0, channels = 0;
        EXPECT_FALSE(TImageIO::storedLayout(path, &depth, &channels)) << path.toStdString();
        QVariantMap preset;
        EXPECT_FALSE(TPresetFile::read(path, &preset, &error)) << path.toStdString();
        EXPECT_TRUE(error.contains("not a regular file") || error.contains("is a folder")) << error.toStdString();
    }
}

TEST(ImageIO, AJpegThatEndsBeforeItsPictureIsTruncatedNotGrey)
{
    QTemporaryDir dir;
    const QByteArray jpeg = encoded(".jpg", gradient(120, 40, CV_8U));
    struct Case {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"ten-times-the-rows.jpg", jpegClaimingMoreRows(jpeg, 10)},
        {"cut-then-ended.jpg", jpeg.left(jpeg.size() * 2 / 3) + QByteArray("\xff\xd9", 2)},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        writeAll(path, c.content);
        TSMat image;
        QString error;
        EXPECT_FALSE(TImageIO::load(path, &image, &error)) << c.name;
        EXPECT_TRUE(error.contains("truncated")) << c.name << ": " << error.toStdString();
    }
}

TEST(ImageIO, TheDecodersWriteNothingToTheTerminal)
{
    QTemporaryDir dir;
    const QByteArray jpeg = encoded(".jpg", gradient(120, 40, CV_8U));
    QByteArray badCrc = encoded(".png", gradient(120, 40, CV_8U));
    const int idat = badCrc.indexOf("IDAT");
    badCrc[idat + 10] = char(badCrc[idat + 10] ^ 0x55);
    QByteArray corruptJpeg = jpeg;
    const int scan = corruptJpeg.indexOf("\xff\xda") + 40;
    for (int i = 0; i < 40; ++i)
        corruptJpeg[scan + i] = char(0x3c);
    QByteArray corruptTiff = encoded(".tif", gradient(120, 40, CV_8U));
    corruptTiff.truncate(corruptTiff.size() / 2);
    struct Case {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"more-rows.jpg", jpegClaimingMoreRows(jpeg, 10)},
        {"corrupt.jpg", corruptJpeg},
        {"bad-crc.png", badCrc},
        {"cut.tif", corruptTiff},
        {"not-an-image.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, 'z')},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        writeAll(path, c.content);
        const QByteArray printed = stderrOf([&] {
            TSMat image;
            QString error;
            TImageIO::load(path, &image, &error);
        });
        EXPECT_TRUE(printed.isEmpty()) << c.name << ": " << printed.constData();
    }
}

TEST(ImageIO, OutputThroughASymbolicLinkIsRefused)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.txt");
    writeAll(victim, "keep me");
    struct Case {
        const char* link;
        QString target;
    } cases[] = {{"painting.png", victim}, {"style.json", victim}, {"dangling.tif", dir.filePath("nowhere.tif")}};
    for (const Case& c : cases) {
        const QString link = dir.filePath(QLatin1String(c.link));
        ASSERT_TRUE(QFile::link(c.target, link));
        QString error;
        const bool written = QString(c.link).endsWith(".json")
            ? TPresetFile::write(link, {{QStringLiteral("version"), QStringLiteral("2.0")}, {QStringLiteral("params"), QVariantMap()}}, &error)
            : TImageIO::save(link, gradient(40, 30, CV_8U), 8, &error);
        EXPECT_FALSE(written) << c.link;
        EXPECT_TRUE(error.contains("symbolic link")) << c.link << ": " << error.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink()) << c.link << ": the link stays a link";
    }
    EXPECT_EQ(readAll(victim), QByteArray("keep me"));
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere.tif")));
}

// What we write anew is the user's alone; a file written over keeps the
// mode its owner chose.
TEST(ImageIO, NewFilesAreTheUsersAloneAndReplacedOnesKeepTheirMode)
{
    QTemporaryDir dir;
    const QString shared = dir.filePath("shared.png");
    writeAll(shared, "old");
    const QFileDevice::Permissions sharedMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(shared, sharedMode));
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    struct Case {
        QString path;
        QFileDevice::Permissions mode;
    } cases[] = {{dir.filePath("painting.png"), ownerOnly}, {dir.filePath("style.json"), ownerOnly}, {shared, sharedMode}};
    for (const Case& c : cases) {
        QString error;
        const bool written = c.path.endsWith(".json")
            ? TPresetFile::write(c.path, {{QStringLiteral("version"), QStringLiteral("2.0")}, {QStringLiteral("params"), QVariantMap()}}, &error)
            : TImageIO::save(c.path, gradient(40, 30, CV_8U), 8, &error);
        ASSERT_TRUE(written) << error.toStdString();
        const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
            | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        EXPECT_EQ(QFile::permissions(c.path) & all, c.mode) << c.path.toStdString();
    }
}

TEST(ImageIO, TexturesLargerThanTheLimitAreRefusedBeforeDecoding)
{
    QTemporaryDir dir;
    const QString small = dir.filePath("atlas.png"), huge = dir.filePath("huge.png");
    ASSERT_TRUE(cv::imwrite(small.toStdString(), cv::Mat(32, 64, CV_8UC4, cv::Scalar(1, 2, 3, 4))));
    writeAll(huge, pngHeaderOnly(16000, 16000));
    cv::Mat texture;
    QString error;
    ASSERT_TRUE(TImageIO::loadTexture(small, TImageIO::kMaxTextureSide, &texture, &error)) << error.toStdString();
    EXPECT_EQ(texture.size(), cv::Size(64, 32));
    EXPECT_EQ(texture.channels(), 4);
    EXPECT_FALSE(TImageIO::loadTexture(huge, TImageIO::kMaxTextureSide, &texture, &error));
    EXPECT_TRUE(error.contains("16000 x 16000")) << error.toStdString();
    EXPECT_FALSE(TImageIO::decodeTexture(readAll(huge), TImageIO::kMaxTextureSide, &texture, &error));
}

TEST(ImageIO, APictureTheMachineCannotDecodeIsRefusedWithTheFigures)
{
    // In a child whose address space is limited to 2 GB more than it uses.
    QTemporaryDir dir;
    const QString huge = dir.filePath("huge.png");
    writeAll(huge, pngHeaderOnly(16000, 16000));
    const QString report = dir.filePath("report");
    const pid_t child = fork();
    if (child == 0) {
        rlimit limit{};
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        const QByteArray text = status.readAll();
        const int at = text.indexOf("VmSize:");
        const qint64 used = text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().split(' ').first().toLongLong() * 1024;
        limit.rlim_cur = limit.rlim_max = rlim_t(used + (qint64(2) << 30));
        setrlimit(RLIMIT_AS, &limit);
        TSMat image;
        QString error;
        const bool loaded = TImageIO::load(huge, &image, &error);
        writeAll(report, loaded ? QByteArray("loaded") : error.toUtf8());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "no crash";
    const QString error = QString::fromUtf8(readAll(report));
    EXPECT_TRUE(error.contains("decoding it takes about 1.4 GB")) << error.toStdString();
    EXPECT_TRUE(error.contains("address-space limit")) << error.toStdString();
}

TEST(Memory, SizesAreReadAsPeopleWriteThem)
{
    struct Case {
        const char* text;
        qint64 bytes;
    } cases[] = {{"4G", qint64(4) << 30}, {"512M", qint64(512) << 20}, {"1.5g", qint64(3) << 29},
                 {"2048K", qint64(2) << 20}, {"1000000", 1000000}, {"3 GB", qint64(3) << 30},
                 {"", -1}, {"lots", -1}, {"-1G", -1}, {"4X", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(TMemory::parseSize(QString::fromLatin1(c.text)), c.bytes) << c.text;
    EXPECT_GT(TMemory::available(), 0);
    EXPECT_EQ(TMemory::describe(qint64(3) << 29), QStringLiteral("1.5 GB"));
    EXPECT_EQ(TMemory::describe(qint64(300) << 20), QStringLiteral("300 MB"));
}
