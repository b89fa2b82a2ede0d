#include "TImageIO.h"

#include "TIcc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <exiv2/exiv2.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

enum class Kind { Unknown, Jpeg, Png, Tiff };

Kind kindOfData(const QByteArray& data)
{
    if (data.startsWith("\xff\xd8\xff"))
        return Kind::Jpeg;
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return Kind::Png;
    // Both byte orders; the literals hold a NUL, so their length is given.
    if (data.startsWith(QByteArray("II*\0", 4)) || data.startsWith(QByteArray("MM\0*", 4)))
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
// Every chunk lies within the file, and the chunks reach IEND: libpng
// allocates what a chunk claims before it finds the data missing (a 251-byte
// file had it take 1.7 GB).
bool pngChunksFit(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    qint64 at = 8;
    while (at + 12 <= data.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes + at);
        if (length > 0x7fffffffu || at + 12 + qint64(length) > data.size())
            return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0)
            return true;
        at += 12 + qint64(length);
    }
    return false;
}

bool looksComplete(Kind kind, const QByteArray& data)
{
    if (kind == Kind::Jpeg) {
        const int lastScan = data.lastIndexOf("\xff\xda");
        return lastScan >= 0 && data.indexOf("\xff\xd9", lastScan) >= 0;
    }
    if (kind == Kind::Png)
        return pngChunksFit(data);
    return true;
}

void quietExiv2()
{
    static const bool once = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        return true;
    }();
    Q_UNUSED(once);
}

const Exiv2::byte* bytesOf(const QByteArray& data)
{
    return reinterpret_cast<const Exiv2::byte*>(data.constData());
}

struct FileMetadata {
    int orientation = 1;
    QByteArray iccProfile;
    qint64 width = 0, height = 0; // from the header; 0 when unknown
};

// The largest picture read: 16-bit colour of this size takes 1.5 GB before
// the painting starts. Larger files are refused before they are decoded.
constexpr qint64 kMaxPixels = qint64(1) << 28;
constexpr qint64 kMaxSide = 65535;

// What the pixels need from the metadata. Unreadable metadata is no reason
// to refuse an image the decoder can read.
FileMetadata readMetadata(const QByteArray& data)
{
    quietExiv2();
    FileMetadata meta;
    try {
        auto image = Exiv2::ImageFactory::open(bytesOf(data), long(data.size()));
        image->readMetadata();
        meta.width = image->pixelWidth();
        meta.height = image->pixelHeight();
        const Exiv2::ExifData& exif = image->exifData();
        const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (it != exif.end() && it->count() > 0)
            meta.orientation = int(it->toLong());
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* icc = image->iccProfile();
            meta.iccProfile = QByteArray(reinterpret_cast<const char*>(icc->pData_), int(icc->size_));
        }
    } catch (const Exiv2::AnyError&) {
    } catch (const std::exception&) {
    }
    return meta;
}

// EXIF orientations 2 to 8 describe how the stored pixels must be turned to
// be seen upright.
cv::Mat upright(const cv::Mat& m, int orientation)
{
    cv::Mat out;
    switch (orientation) {
    case 2: cv::flip(m, out, 1); break;
    case 3: cv::flip(m, out, -1); break;
    case 4: cv::flip(m, out, 0); break;
    case 5: cv::transpose(m, out); break;
    case 6: cv::rotate(m, out, cv::ROTATE_90_CLOCKWISE); break;
    case 7: cv::transpose(m, out); cv::flip(out, out, -1); break;
    case 8: cv::rotate(m, out, cv::ROTATE_90_COUNTERCLOCKWISE); break;
    default: out = m; break;
    }
    return out;
}

// libpng reports errors by longjmp; the writer keeps no C++ objects with
// destructors between setjmp and the calls that may jump.
// The profile of the chosen space, embedded in every written file.
QByteArray profileFor(const TImageIO::SaveOptions& options)
{
    return options.adobeRGB ? TIcc::adobeRGB() : TIcc::sRGB();
}

bool encodePng(const cv::Mat& image, const TImageIO::SaveOptions& options, std::vector<uchar>* out, QString* error)
{
    const QByteArray profile = profileFor(options);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *error = QStringLiteral("out of memory");
        return false;
    }
    std::vector<png_bytep> rows(size_t(image.rows));
    for (int y = 0; y < image.rows; ++y)
        rows[size_t(y)] = const_cast<png_bytep>(image.ptr(y));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = QStringLiteral("cannot encode PNG");
        return false;
    }
    png_set_write_fn(
        png, out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* buffer = static_cast<std::vector<uchar>*>(png_get_io_ptr(p));
            buffer->insert(buffer->end(), data, data + length);
        },
        nullptr);
    png_set_compression_level(png, std::clamp(options.pngCompression, 0, 9));
    png_set_IHDR(png, info, png_uint_32(image.cols), png_uint_32(image.rows), image.depth() == CV_16U ? 16 : 8,
                 image.channels() == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 options.pngInterlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // libpng writes the profile chunk itself: exiv2 leaves its name empty.
    png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                 reinterpret_cast<png_const_bytep>(profile.constData()), png_uint_32(profile.size()));
    png_write_info(png, info);
    png_set_bgr(png);
    if (image.depth() == CV_16U)
        png_set_swap(png); // OpenCV's samples are in the machine's order
    png_set_interlace_handling(png);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool encode(Kind kind, const cv::Mat& image, const TImageIO::SaveOptions& options, std::vector<uchar>* bytes,
            QString* error)
{
    if (kind == Kind::Png)
        return encodePng(image, options, bytes, error);
    std::vector<int> params;
    const char* ext = ".tif";
    if (kind == Kind::Jpeg) {
        ext = ".jpg";
        params = {cv::IMWRITE_JPEG_QUALITY, std::clamp(options.jpegQuality, 0, 100),
                  cv::IMWRITE_JPEG_OPTIMIZE, options.jpegOptimized ? 1 : 0,
                  cv::IMWRITE_JPEG_PROGRESSIVE, options.jpegProgressive ? 1 : 0};
    } else {
        // libtiff's codes: none, LZW, Adobe deflate.
        const int code = options.tiffCompression == TImageIO::TiffCompression::None ? 1
            : options.tiffCompression == TImageIO::TiffCompression::Lzw          ? 5
                                                                                  : 8;
        params = {cv::IMWRITE_TIFF_COMPRESSION, code};
    }
    try {
        if (cv::imencode(ext, image, *bytes, params))
            return true;
        *error = QStringLiteral("cannot encode the image");
    } catch (const cv::Exception& e) {
        *error = QStringLiteral("cannot encode the image: %1").arg(QString::fromStdString(e.msg));
    }
    return false;
}

// Structure of the written file that must not come from the source's tags.
bool isStructuralTag(const std::string& key)
{
    static const char* const keys[] = {
        "Exif.Image.ImageWidth", "Exif.Image.ImageLength", "Exif.Image.BitsPerSample",
        "Exif.Image.Compression", "Exif.Image.PhotometricInterpretation", "Exif.Image.StripOffsets",
        "Exif.Image.SamplesPerPixel", "Exif.Image.RowsPerStrip", "Exif.Image.StripByteCounts",
        "Exif.Image.PlanarConfiguration", "Exif.Image.TileWidth", "Exif.Image.TileLength",
        "Exif.Image.TileOffsets", "Exif.Image.TileByteCounts", "Exif.Image.SubIFDs",
        "Exif.Image.InterColorProfile", "Exif.Image.ExtraSamples", "Exif.Image.SampleFormat",
        "Exif.Image.Predictor", "Exif.Image.NewSubfileType", "Exif.Image.JPEGInterchangeFormat",
        "Exif.Image.JPEGInterchangeFormatLength", "Exif.Image.XMLPacket", "Exif.Image.IPTCNAA",
        "Exif.Image.ImageResources", "Exif.Photo.ColorSpace",
    };
    for (const char* k : keys)
        if (key == k)
            return true;
    return false;
}

// The source's EXIF (its image description, camera and dates; not its
// structure or thumbnail), IPTC and XMP, with the orientation reset and the
// pixel size of the written image.
void carryMetadata(Exiv2::Image& target, const QString& sourcePath, const cv::Size& size)
{
    auto source = Exiv2::ImageFactory::open(QFile::encodeName(sourcePath).toStdString());
    source->readMetadata();
    Exiv2::ExifData exif;
    for (const Exiv2::Exifdatum& d : source->exifData()) {
        const std::string group = d.groupName();
        if ((group == "Image" || group == "Photo" || group == "GPSInfo" || group == "Iop")
            && !isStructuralTag(d.key()))
            exif.add(d);
    }
    exif["Exif.Image.Orientation"] = uint16_t(1);
    if (exif.findKey(Exiv2::ExifKey("Exif.Photo.PixelXDimension")) != exif.end()
        || exif.findKey(Exiv2::ExifKey("Exif.Photo.ExifVersion")) != exif.end()) {
        exif["Exif.Photo.PixelXDimension"] = uint32_t(size.width);
        exif["Exif.Photo.PixelYDimension"] = uint32_t(size.height);
    }
    exif["Exif.Photo.ColorSpace"] = uint16_t(1); // sRGB or, with its profile, uncalibrated readers' default
    target.setExifData(exif);
    target.setIptcData(source->iptcData());
    Exiv2::XmpData xmp = source->xmpData();
    const auto orientation = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    if (orientation != xmp.end())
        xmp.erase(orientation);
    target.setXmpData(xmp);
}

bool addMetadata(Kind kind, std::vector<uchar>* bytes, const cv::Size& size, const TImageIO::SaveOptions& options,
                 QString* error)
{
    quietExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(bytes->data(), long(bytes->size()));
        image->readMetadata();
        if (!options.metadataSource.isEmpty()) {
            try {
                carryMetadata(*image, options.metadataSource, size);
            } catch (const Exiv2::AnyError&) {
                // A source without readable metadata gives none.
            }
        }
        if (kind != Kind::Png) {
            const QByteArray profile = profileFor(options);
            Exiv2::DataBuf icc(bytesOf(profile), long(profile.size()));
            image->setIccProfile(icc, false);
        }
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        io.open();
        const long length = long(io.size());
        Exiv2::DataBuf written = io.read(length);
        io.close();
        if (written.size_ != length) {
            *error = QStringLiteral("cannot add the metadata");
            return false;
        }
        bytes->assign(written.pData_, written.pData_ + written.size_);
        return true;
    } catch (const Exiv2::AnyError& e) {
        *error = QStringLiteral("cannot add the metadata: %1").arg(QString::fromStdString(e.what()));
    }
    return false;
}

// "16 bit", "16-bit" and 16 read alike.
int intOf(const QVariant& v, bool* ok)
{
    const QString text = v.toString().trimmed();
    int digits = 0;
    while (digits < text.size() && text[digits].isDigit())
        ++digits;
    return text.left(digits).toInt(ok);
}

} // namespace

namespace TImageIO {

bool SaveOptions::fromMetaData(const QVariantMap& meta, SaveOptions* options, QString* error)
{
    SaveOptions o;
    const QString format = meta.value(QStringLiteral("IMAGE_FORMAT")).toString().toUpper();
    auto bad = [&](const char* key) {
        *error = QStringLiteral("cannot read %1 \"%2\"").arg(QLatin1String(key), meta.value(QLatin1String(key)).toString());
        return false;
    };
    bool ok = true;
    const QString space = meta.value(QStringLiteral("COLOR_SPACE")).toString();
    if (space.startsWith(QLatin1String("Adobe"), Qt::CaseInsensitive))
        o.adobeRGB = true;
    else if (!space.isEmpty() && space.compare(QLatin1String("sRGB"), Qt::CaseInsensitive) != 0
             && space.compare(QLatin1String("Default"), Qt::CaseInsensitive) != 0)
        return bad("COLOR_SPACE");

    if (format == QLatin1String("JPEG")) {
        const QVariant quality = meta.value(QStringLiteral("JPEG_QUALITY"), 95);
        static const QVariantMap named{{QStringLiteral("Low"), 30}, {QStringLiteral("Medium"), 60},
                                       {QStringLiteral("High"), 80}, {QStringLiteral("Very High"), 90},
                                       {QStringLiteral("Maximum"), 100}};
        if (named.contains(quality.toString()))
            o.jpegQuality = named.value(quality.toString()).toInt();
        else if (o.jpegQuality = quality.toInt(&ok); !ok || o.jpegQuality < 0 || o.jpegQuality > 100)
            return bad("JPEG_QUALITY");
        const QString form = meta.value(QStringLiteral("JPEG_FORMAT"), QStringLiteral("Standard")).toString();
        o.jpegOptimized = form.contains(QLatin1String("Optimi"), Qt::CaseInsensitive);
        o.jpegProgressive = form.contains(QLatin1String("Progressive"), Qt::CaseInsensitive);
        if (!o.jpegOptimized && !o.jpegProgressive && form.compare(QLatin1String("Standard"), Qt::CaseInsensitive) != 0
            && form.compare(QLatin1String("Baseline"), Qt::CaseInsensitive) != 0)
            return bad("JPEG_FORMAT");
    } else if (format == QLatin1String("TIFF")) {
        const QString compression = meta.value(QStringLiteral("TIFF_COMPRESSION"), QStringLiteral("LZW")).toString().toUpper();
        if (compression == QLatin1String("NONE"))
            o.tiffCompression = TiffCompression::None;
        else if (compression == QLatin1String("LZW"))
            o.tiffCompression = TiffCompression::Lzw;
        else if (compression == QLatin1String("ZIP"))
            o.tiffCompression = TiffCompression::Zip;
        else
            return bad("TIFF_COMPRESSION");
        o.depth = intOf(meta.value(QStringLiteral("TIFF_BITDEPTH"), 8), &ok);
        if (!ok || (o.depth != 8 && o.depth != 16))
            return bad("TIFF_BITDEPTH");
        o.saveAlpha = meta.value(QStringLiteral("SAVE_ALPHA"), false).toBool();
    } else if (format == QLatin1String("PNG")) {
        const QVariant level = meta.value(QStringLiteral("PNG_COMPRESSION"), 6);
        static const QVariantMap named{{QStringLiteral("None"), 0}, {QStringLiteral("Fast"), 1},
                                       {QStringLiteral("Normal"), 6}, {QStringLiteral("Best"), 9}};
        if (named.contains(level.toString()))
            o.pngCompression = named.value(level.toString()).toInt();
        else if (o.pngCompression = level.toInt(&ok); !ok || o.pngCompression < 0 || o.pngCompression > 9)
            return bad("PNG_COMPRESSION");
        o.depth = intOf(meta.value(QStringLiteral("PNG_BITDEPTH"), 8), &ok);
        if (!ok || (o.depth != 8 && o.depth != 16))
            return bad("PNG_BITDEPTH");
        o.pngInterlace = meta.value(QStringLiteral("PNG_INTERLACE"), false).toBool();
        o.saveAlpha = meta.value(QStringLiteral("SAVE_ALPHA"), false).toBool();
    } else {
        *error = QStringLiteral("unknown image format \"%1\"").arg(format);
        return false;
    }
    *options = o;
    return true;
}

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
    const FileMetadata meta = readMetadata(data);
    if (meta.width * meta.height > kMaxPixels || meta.width > kMaxSide || meta.height > kMaxSide) {
        *error = QStringLiteral("%1 is %2 x %3 pixels; the largest picture this program paints has %4 megapixels "
                                "and %5 pixels on a side")
                     .arg(path).arg(meta.width).arg(meta.height).arg(kMaxPixels / 1000000).arg(kMaxSide);
        return false;
    }
    // Headers exiv2 cannot read meet the decoder's own check at our limit.
    static const bool decoderLimited = [] {
        if (!qEnvironmentVariableIsSet("CV_IO_MAX_IMAGE_PIXELS"))
            qputenv("CV_IO_MAX_IMAGE_PIXELS", QByteArray::number(kMaxPixels));
        return true;
    }();
    Q_UNUSED(decoderLimited);
    cv::Mat mat;
    try {
        const cv::Mat buffer(1, data.size(), CV_8U, const_cast<char*>(data.constData()));
        mat = cv::imdecode(buffer, cv::IMREAD_COLOR | cv::IMREAD_ANYDEPTH | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception& e) {
        // The decoder's own size check speaks of its environment variable.
        if (e.msg.find("CV_IO_MAX_IMAGE_PIXELS") != std::string::npos)
            *error = QStringLiteral("%1 is too large to decode (more pixels than %2 megapixels)")
                         .arg(path).arg(kMaxPixels / 1000000);
        else
            *error = QStringLiteral("cannot decode %1: %2").arg(path, QString::fromStdString(e.msg));
        return false;
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("%1 does not fit in memory").arg(path);
        return false;
    }
    if (mat.empty()) {
        *error = QStringLiteral("cannot decode %1").arg(path);
        return false;
    }
    if (mat.depth() != CV_8U && mat.depth() != CV_16U)
        mat.convertTo(mat, CV_16U, mat.depth() == CV_32F ? 65535.0 : 1.0);
    mat = upright(mat, meta.orientation);
    if (!meta.iccProfile.isEmpty()) {
        QString why;
        // A profile we cannot apply leaves the pixels as they are.
        if (!TIcc::toWorkingSpace(mat, meta.iccProfile, &why))
            qWarning("TImageIO: %s: colour profile ignored (%s)", qPrintable(path), qPrintable(why));
    }
    *image = TSMat(mat);
    return true;
}

bool save(const QString& path, const cv::Mat& image, const SaveOptions& options, QString* error)
{
    const Kind kind = kindOfName(path);
    if (kind == Kind::Unknown) {
        *error = QStringLiteral("%1: unknown image format (use .png, .jpg or .tif)").arg(path);
        return false;
    }
    if (options.depth != 8 && options.depth != 16) {
        *error = QStringLiteral("unsupported depth %1 (8 or 16)").arg(options.depth);
        return false;
    }
    if (options.depth == 16 && kind == Kind::Jpeg) {
        *error = QStringLiteral("JPEG files hold 8 bits per channel only");
        return false;
    }
    if (image.empty() || (image.channels() != 3 && image.channels() != 4)) {
        *error = QStringLiteral("there is no colour image to save");
        return false;
    }
    cv::Mat out = image;
    const int wanted = options.depth == 16 ? CV_16U : CV_8U;
    if (out.depth() != wanted)
        out.convertTo(out, wanted, out.depth() == CV_16U ? 1.0 / 257.0 : 257.0);
    const bool alpha = options.saveAlpha && kind != Kind::Jpeg;
    if (alpha && out.channels() == 3)
        cv::cvtColor(out, out, cv::COLOR_BGR2BGRA);
    else if (!alpha && out.channels() == 4)
        cv::cvtColor(out, out, cv::COLOR_BGRA2BGR);
    if (options.adobeRGB) {
        if (out.data == image.data)
            out = out.clone();
        if (!TIcc::fromWorkingSpace(out, TIcc::adobeRGB(), error))
            return false;
    }
    std::vector<uchar> bytes;
    if (!encode(kind, out, options, &bytes, error) || !addMetadata(kind, &bytes, out.size(), options, error)) {
        *error = QStringLiteral("%1: %2").arg(path, *error);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size())
        || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool storedLayout(const QString& path, int* depth, int* channels)
{
    cv::Mat m;
    try {
        m = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_UNCHANGED | cv::IMREAD_IGNORE_ORIENTATION);
    } catch (const cv::Exception&) {
        return false;
    }
    if (m.empty())
        return false;
    *depth = m.depth() == CV_8U ? 8 : 16;
    *channels = m.channels();
    return true;
}

bool save(const QString& path, const cv::Mat& image, int depth, QString* error)
{
    SaveOptions options;
    options.depth = depth;
    return save(path, image, options, error);
}

} // namespace TImageIO
