#include "TImageIO.h"

#include "TIcc.h"
#include "TImageDecoders.h"
#include "TMemory.h"
#include "TSafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <exiv2/exiv2.hpp>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

using Kind = TImageDecoders::Kind;

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

// What the pixels need from the metadata, read from the open file.
// Unreadable metadata is no reason to refuse an image the decoder can read.
FileMetadata readMetadata(const QFile& file)
{
    quietExiv2();
    FileMetadata meta;
    try {
        auto image = Exiv2::ImageFactory::open(TSafeFile::samePath(file).toStdString());
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

// OpenCV's own warnings would add lines to what the tools promise is one.
void quietOpenCV()
{
    static const bool once = [] {
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
        return true;
    }();
    Q_UNUSED(once);
}

// What decoding a picture of this size takes at most: the decoded pixels
// and a converted copy of them.
qint64 decodingBytes(const QSize& size, int depth)
{
    return qint64(size.width()) * size.height() * 3 * (depth / 8) * 2;
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
    if (options.asStored)
        return options.iccProfile;
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
    const int colourType = image.channels() == 1 ? PNG_COLOR_TYPE_GRAY
        : image.channels() == 2                  ? PNG_COLOR_TYPE_GRAY_ALPHA
        : image.channels() == 4                  ? PNG_COLOR_TYPE_RGB_ALPHA
                                                 : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, png_uint_32(image.cols), png_uint_32(image.rows), image.depth() == CV_16U ? 16 : 8,
                 colourType,
                 options.pngInterlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // libpng writes the profile chunk itself: exiv2 leaves its name empty.
    if (!profile.isEmpty())
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
        if (kind != Kind::Png && !profileFor(options).isEmpty()) {
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
    return load(path, image, error, LoadOptions());
}

bool load(const QString& path, TSMat* image, QString* error, const LoadOptions& options)
{
    quietOpenCV();
    QFile file;
    if (!TSafeFile::openForReading(path, &file, error))
        return false;
    const Kind kind = TImageDecoders::kindOf(file.read(16));
    if (kind == Kind::Unknown) {
        *error = QStringLiteral("%1 is not a JPEG, TIFF or PNG image").arg(path);
        return false;
    }
    const FileMetadata meta = readMetadata(file);
    TImageDecoders::Header header;
    QString why;
    const TImageDecoders::Source source{&file, nullptr};
    if (kind != Kind::Tiff && !TImageDecoders::readHeader(kind, source, &header, &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    const qint64 width = kind == Kind::Tiff ? meta.width : header.size.width();
    const qint64 height = kind == Kind::Tiff ? meta.height : header.size.height();
    if (width * height > kMaxPixels || width > kMaxSide || height > kMaxSide) {
        *error = QStringLiteral("%1 is %2 x %3 pixels; the largest picture this program paints has %4 megapixels "
                                "and %5 pixels on a side")
                     .arg(path).arg(width).arg(height).arg(kMaxPixels / 1000000).arg(kMaxSide);
        return false;
    }
    const QSize size{int(width), int(height)};
    if (!size.isEmpty()) {
        QString limit;
        const qint64 need = decodingBytes(size, header.depth);
        const qint64 have = TMemory::available(&limit);
        if (need > have) {
            *error = QStringLiteral("%1 is %2 x %3 pixels: decoding it takes about %4, more than the %5 of %6")
                         .arg(path).arg(width).arg(height).arg(TMemory::describe(need), TMemory::describe(have), limit);
            return false;
        }
        if (options.accept && !options.accept(size, &why)) {
            *error = QStringLiteral("%1 is %2 x %3 pixels: %4").arg(path).arg(width).arg(height).arg(why);
            return false;
        }
    }
    // Headers exiv2 cannot read meet the decoder's own check at our limit.
    static const bool decoderLimited = [] {
        if (!qEnvironmentVariableIsSet("CV_IO_MAX_IMAGE_PIXELS"))
            qputenv("CV_IO_MAX_IMAGE_PIXELS", QByteArray::number(kMaxPixels));
        return true;
    }();
    Q_UNUSED(decoderLimited);
    TImageDecoders::Request request;
    request.minSide = options.minSide;
    request.keepAlpha = request.keepGray = options.storedProfile != nullptr;
    cv::Mat mat;
    if (!TImageDecoders::decode(kind, source, request, &mat, &why)) {
        *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    try {
        if (mat.depth() != CV_8U && mat.depth() != CV_16U)
            mat.convertTo(mat, CV_16U, mat.depth() == CV_32F ? 65535.0 : 1.0);
        mat = upright(mat, meta.orientation);
        if (options.storedProfile) {
            *options.storedProfile = meta.iccProfile;
        } else if (!meta.iccProfile.isEmpty()) {
            // A profile we cannot apply leaves the pixels as they are.
            if (!TIcc::toWorkingSpace(mat, meta.iccProfile, &why))
                qWarning("TImageIO: %s: colour profile ignored (%s)", qPrintable(path), qPrintable(why));
        }
    } catch (const cv::Exception&) {
        *error = QStringLiteral("%1 does not fit in memory").arg(path);
        return false;
    }
    *image = TSMat(mat);
    return true;
}

namespace {

bool textureFrom(const TImageDecoders::Source& source, Kind kind, const QString& name, int maxSide, cv::Mat* image,
                 QString* error)
{
    TImageDecoders::Header header;
    if (kind != Kind::Jpeg && kind != Kind::Png) {
        *error = QStringLiteral("%1 is not a PNG or JPEG image").arg(name);
        return false;
    }
    if (!TImageDecoders::readHeader(kind, source, &header, error))
        return false;
    if (header.size.width() > maxSide || header.size.height() > maxSide) {
        *error = QStringLiteral("%1 is %2 x %3 pixels, larger than the %4 pixels on a side a texture may have")
                     .arg(name).arg(header.size.width()).arg(header.size.height()).arg(maxSide);
        return false;
    }
    TImageDecoders::Request request;
    request.keepAlpha = true;
    return TImageDecoders::decode(kind, source, request, image, error);
}

} // namespace

bool loadTexture(const QString& path, int maxSide, cv::Mat* image, QString* error)
{
    quietOpenCV();
    QFile file;
    if (!TSafeFile::openForReading(path, &file, error))
        return false;
    const Kind kind = TImageDecoders::kindOf(file.read(16));
    return textureFrom({&file, nullptr}, kind, path, maxSide, image, error);
}

bool decodeTexture(const QByteArray& bytes, int maxSide, cv::Mat* image, QString* error)
{
    quietOpenCV();
    return textureFrom({nullptr, &bytes}, TImageDecoders::kindOf(bytes.left(16)), QStringLiteral("the image"), maxSide,
                       image, error);
}

bool save(const QString& path, const cv::Mat& image, const SaveOptions& options, QString* error)
{
    // Before the work of encoding: a link is refused whatever its target.
    const QString problem = TSafeFile::writeProblem(path);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    const Kind kind = kindOfName(options.format.isEmpty() ? path : QStringLiteral("image.") + options.format);
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
    const bool gray = options.asStored && (image.channels() == 1 || image.channels() == 2);
    if (image.empty() || (!gray && image.channels() != 3 && image.channels() != 4)) {
        *error = QStringLiteral("there is no colour image to save");
        return false;
    }
    cv::Mat out = image;
    const int wanted = options.depth == 16 ? CV_16U : CV_8U;
    if (out.depth() != wanted)
        out.convertTo(out, wanted, out.depth() == CV_16U ? 1.0 / 257.0 : 257.0);
    const bool alpha = options.saveAlpha && kind != Kind::Jpeg;
    if (gray && alpha && out.channels() == 1) {
        const cv::Mat opaque(out.size(), out.type(), cv::Scalar(out.depth() == CV_16U ? 65535 : 255));
        cv::merge(std::vector<cv::Mat>{out, opaque}, out);
    } else if (gray && !alpha && out.channels() == 2) {
        cv::extractChannel(out, out, 0);
    } else if (alpha && out.channels() == 3) {
        cv::cvtColor(out, out, cv::COLOR_BGR2BGRA);
    } else if (!alpha && out.channels() == 4) {
        cv::cvtColor(out, out, cv::COLOR_BGRA2BGR);
    }
    if (out.channels() == 2 && kind == Kind::Tiff) {
        // OpenCV's TIFF encoder takes one, three or four channels.
        *error = QStringLiteral("%1: a gray TIFF with alpha cannot be written").arg(path);
        return false;
    }
    if (options.adobeRGB && !options.asStored) {
        if (out.data == image.data)
            out = out.clone();
        if (!TIcc::fromWorkingSpace(out, TIcc::adobeRGB(), error))
            return false;
    }
    std::vector<uchar> bytes;
    try {
        if (!encode(kind, out, options, &bytes, error) || !addMetadata(kind, &bytes, out.size(), options, error)) {
            *error = QStringLiteral("%1: %2").arg(path, *error);
            return false;
        }
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("%1: the encoded picture does not fit in memory").arg(path);
        return false;
    }
    return TSafeFile::write(path, QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())),
                            error);
}

QString formatOf(const QString& path)
{
    QFile file;
    QString error;
    if (!TSafeFile::openForReading(path, &file, &error))
        return QString();
    switch (TImageDecoders::kindOf(file.read(16))) {
    case Kind::Jpeg: return QStringLiteral("jpg");
    case Kind::Png: return QStringLiteral("png");
    case Kind::Tiff: return QStringLiteral("tif");
    default: return QString();
    }
}

bool storedLayout(const QString& path, int* depth, int* channels)
{
    quietOpenCV();
    QFile file;
    QString error;
    if (!TSafeFile::openForReading(path, &file, &error))
        return false;
    const Kind kind = TImageDecoders::kindOf(file.read(16));
    TImageDecoders::Header header;
    if (kind == Kind::Jpeg || kind == Kind::Png) {
        if (!TImageDecoders::readHeader(kind, {&file, nullptr}, &header, &error))
            return false;
        *depth = header.depth;
        *channels = header.channels;
        return true;
    }
    if (kind != Kind::Tiff)
        return false;
    cv::Mat m;
    try {
        m = cv::imread(TSafeFile::samePath(file).toStdString(), cv::IMREAD_UNCHANGED | cv::IMREAD_IGNORE_ORIENTATION);
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
