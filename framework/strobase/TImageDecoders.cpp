#include "TImageDecoders.h"

#include "TSafeFile.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <unistd.h>
#include <vector>

// libjpeg wants FILE and size_t before its header.
#include <jerror.h>
#include <jpeglib.h>

namespace TImageDecoders {

Kind kindOf(const QByteArray& start)
{
    if (start.startsWith("\xff\xd8\xff"))
        return Kind::Jpeg;
    if (start.startsWith("\x89PNG\r\n\x1a\n"))
        return Kind::Png;
    // Both byte orders; the literals hold a NUL, so their length is given.
    if (start.startsWith(QByteArray("II*\0", 4)) || start.startsWith(QByteArray("MM\0*", 4)))
        return Kind::Tiff;
    return Kind::Unknown;
}

} // namespace TImageDecoders

namespace {

using TImageDecoders::Header;
using TImageDecoders::Request;
using TImageDecoders::Source;

// A stream of its own on the source, from its start.
FILE* streamOf(const Source& source)
{
    if (source.bytes)
        return ::fmemopen(const_cast<char*>(source.bytes->constData()), std::size_t(source.bytes->size()), "rb");
    const int fd = ::dup(source.file->handle());
    FILE* stream = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (!stream) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    std::fseek(stream, 0, SEEK_SET);
    return stream;
}

qint64 sourceSize(const Source& source)
{
    return source.bytes ? source.bytes->size() : source.file->size();
}

// ---- JPEG -------------------------------------------------------------
// libjpeg reports errors by longjmp: the functions that may jump keep no
// C++ objects with destructors between their setjmp and the calls.

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool cutOff; // the data ended before the pixels did
};

[[noreturn]] void jpegErrorExit(j_common_ptr info)
{
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->jump, 1);
}

// Warnings are not printed; the two that mean "the file ends too early"
// make the image an error (libjpeg fills the rest with grey).
void jpegMessage(j_common_ptr info, int level)
{
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    if (level < 0 && (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER))
        failure->cutOff = true;
}

void jpegSilence(j_common_ptr) {}

struct JpegReader {
    jpeg_decompress_struct info{};
    JpegFailure failure{};
    FILE* stream = nullptr;
    bool created = false;
    ~JpegReader()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        if (stream)
            std::fclose(stream);
    }
};

bool jpegOpen(JpegReader& r)
{
    r.info.err = jpeg_std_error(&r.failure.manager);
    r.failure.manager.error_exit = jpegErrorExit;
    r.failure.manager.emit_message = jpegMessage;
    r.failure.manager.output_message = jpegSilence;
    if (setjmp(r.failure.jump))
        return false;
    jpeg_create_decompress(&r.info);
    r.created = true;
    jpeg_stdio_src(&r.info, r.stream);
    jpeg_read_header(&r.info, TRUE);
    return true;
}

// Chooses the output space and scale; the output size follows.
bool jpegPrepare(JpegReader& r, int denominator)
{
    if (setjmp(r.failure.jump))
        return false;
    switch (r.info.jpeg_color_space) {
    case JCS_GRAYSCALE: r.info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: r.info.out_color_space = JCS_CMYK; break;
    default: r.info.out_color_space = JCS_EXT_BGR; break;
    }
    r.info.scale_num = 1;
    r.info.scale_denom = unsigned(denominator);
    jpeg_calc_output_dimensions(&r.info);
    return true;
}

bool jpegRows(JpegReader& r, unsigned char* pixels, std::size_t step)
{
    if (setjmp(r.failure.jump))
        return false;
    jpeg_start_decompress(&r.info);
    while (r.info.output_scanline < r.info.output_height) {
        JSAMPROW row = pixels + std::size_t(r.info.output_scanline) * step;
        jpeg_read_scanlines(&r.info, &row, 1);
    }
    jpeg_finish_decompress(&r.info);
    return true;
}

QString jpegError(const JpegReader& r)
{
    return QStringLiteral("cannot decode the JPEG data: %1").arg(QString::fromLatin1(r.failure.message));
}

// Adobe's inverted CMYK, as cameras' and editors' CMYK JPEGs hold it.
cv::Mat cmykToBgr(const cv::Mat& cmyk)
{
    cv::Mat bgr(cmyk.size(), CV_8UC3);
    for (int y = 0; y < cmyk.rows; ++y) {
        const uchar* in = cmyk.ptr(y);
        uchar* out = bgr.ptr(y);
        for (int x = 0; x < cmyk.cols; ++x, in += 4, out += 3) {
            const int k = in[3];
            out[0] = uchar(in[2] * k / 255);
            out[1] = uchar(in[1] * k / 255);
            out[2] = uchar(in[0] * k / 255);
        }
    }
    return bgr;
}

bool jpegHeader(const Source& file, Header* header, QString* error)
{
    JpegReader r;
    r.stream = streamOf(file);
    if (!r.stream || !jpegOpen(r)) {
        *error = r.stream ? jpegError(r) : QStringLiteral("cannot read the file");
        return false;
    }
    header->size = QSize(int(r.info.image_width), int(r.info.image_height));
    header->depth = 8;
    header->channels = r.info.num_components == 1 ? 1 : 3;
    header->alpha = false;
    return true;
}

bool jpegDecode(const Source& file, const Request& request, cv::Mat* image, QString* error)
{
    JpegReader r;
    r.stream = streamOf(file);
    if (!r.stream || !jpegOpen(r)) {
        *error = r.stream ? jpegError(r) : QStringLiteral("cannot read the file");
        return false;
    }
    // Every 8 x 8 block of the picture takes at least a bit of data: a file
    // far too small for its size ends early, and is refused before its
    // pixels are made.
    const qint64 blocks = qint64((r.info.image_width + 7) / 8) * qint64((r.info.image_height + 7) / 8);
    if (sourceSize(file) < blocks / 8) {
        *error = QStringLiteral("the JPEG data ends before the picture does (truncated)");
        return false;
    }
    const int longer = int(std::max(r.info.image_width, r.info.image_height));
    int denominator = 1;
    while (request.minSide > 0 && denominator < 8 && (longer + 2 * denominator - 1) / (2 * denominator) >= request.minSide)
        denominator *= 2;
    if (!jpegPrepare(r, denominator)) {
        *error = jpegError(r);
        return false;
    }
    const int type = r.info.out_color_space == JCS_GRAYSCALE ? CV_8UC1
        : r.info.out_color_space == JCS_CMYK                  ? CV_8UC4
                                                              : CV_8UC3;
    cv::Mat pixels(int(r.info.output_height), int(r.info.output_width), type);
    if (!jpegRows(r, pixels.data, pixels.step)) {
        *error = jpegError(r);
        return false;
    }
    if (r.failure.cutOff) {
        *error = QStringLiteral("the JPEG data ends before the picture does (truncated)");
        return false;
    }
    if (type == CV_8UC1 && !request.keepGray)
        cv::cvtColor(pixels, pixels, cv::COLOR_GRAY2BGR);
    else if (type == CV_8UC4)
        pixels = cmykToBgr(pixels);
    *image = pixels;
    return true;
}

// ---- PNG --------------------------------------------------------------

struct PngFailure {
    std::jmp_buf jump;
    char message[256];
};

[[noreturn]] void pngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngFailure failure{};
    FILE* stream = nullptr;
    ~PngReader()
    {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (stream)
            std::fclose(stream);
    }
};

// Every chunk lies within the file and the chunks reach IEND: found by
// seeking from chunk to chunk, before anything is decoded (libpng would
// allocate what a chunk claims before it finds the data missing).
bool pngChunksFit(const Source& source)
{
    FILE* stream = streamOf(source);
    if (!stream)
        return false;
    std::fseek(stream, 0, SEEK_END);
    const long size = std::ftell(stream);
    long at = 8;
    bool fit = false;
    while (at + 12 <= size) {
        unsigned char head[8];
        if (std::fseek(stream, at, SEEK_SET) != 0 || std::fread(head, 1, 8, stream) != 8)
            break;
        const unsigned long length = (head[0] << 24) | (head[1] << 16) | (head[2] << 8) | head[3];
        if (length > 0x7ffffffful || at + 12 + long(length) > size)
            break;
        if (std::memcmp(head + 4, "IEND", 4) == 0) {
            fit = true;
            break;
        }
        at += 12 + long(length);
    }
    std::fclose(stream);
    return fit;
}

bool pngOpen(PngReader& r, bool keepAlpha, bool keepGray)
{
    if (setjmp(r.failure.jump))
        return false;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.failure, pngError, pngWarning);
    if (!r.png)
        return false;
    r.info = png_create_info_struct(r.png);
    if (!r.info)
        return false;
    png_set_chunk_malloc_max(r.png, 16u << 20);
    png_init_io(r.png, r.stream);
    png_read_info(r.png, r.info);
    const int type = png_get_color_type(r.png, r.info);
    const int depth = png_get_bit_depth(r.png, r.info);
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(r.png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(r.png);
    if (png_get_valid(r.png, r.info, PNG_INFO_tRNS) && keepAlpha)
        png_set_tRNS_to_alpha(r.png);
    if ((type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) && !keepGray)
        png_set_gray_to_rgb(r.png);
    if (!keepAlpha)
        png_set_strip_alpha(r.png);
    if (depth == 16)
        png_set_swap(r.png); // the machine's order, as OpenCV keeps samples
    png_set_bgr(r.png);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    return true;
}

bool pngRows(PngReader& r, png_bytepp rows)
{
    if (setjmp(r.failure.jump))
        return false;
    png_read_image(r.png, rows);
    png_read_end(r.png, nullptr);
    return true;
}

QString pngError(const PngReader& r)
{
    return QStringLiteral("cannot decode the PNG data: %1").arg(QString::fromLatin1(r.failure.message));
}

// From the IHDR chunk, which comes first, and a tRNS chunk before the
// data: libpng would read on to the data before it answers.
bool pngHeader(const Source& file, Header* header, QString* error)
{
    FILE* stream = streamOf(file);
    if (!stream) {
        *error = QStringLiteral("cannot read the file");
        return false;
    }
    unsigned char head[33];
    const bool read = std::fread(head, 1, sizeof head, stream) == sizeof head;
    auto be32 = [](const unsigned char* b) { return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3]; };
    if (!read || be32(head + 8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0) {
        std::fclose(stream);
        *error = QStringLiteral("cannot decode the PNG data: no image header");
        return false;
    }
    const quint32 width = be32(head + 16), height = be32(head + 20);
    const int depth = head[24], type = head[25];
    bool transparency = false;
    for (long at = 33;;) {
        unsigned char chunk[8];
        if (std::fseek(stream, at, SEEK_SET) != 0 || std::fread(chunk, 1, 8, stream) != 8)
            break;
        if (std::memcmp(chunk + 4, "IDAT", 4) == 0 || std::memcmp(chunk + 4, "IEND", 4) == 0)
            break;
        transparency = transparency || std::memcmp(chunk + 4, "tRNS", 4) == 0;
        const quint32 length = be32(chunk);
        if (length > 0x7fffffffu)
            break;
        at += 12 + long(length);
    }
    std::fclose(stream);
    if (width == 0 || height == 0 || width > 0x7fffffffu || height > 0x7fffffffu) {
        *error = QStringLiteral("cannot decode the PNG data: a size of %1 x %2").arg(width).arg(height);
        return false;
    }
    header->size = QSize(int(width), int(height));
    header->depth = depth == 16 ? 16 : 8;
    header->alpha = (type & PNG_COLOR_MASK_ALPHA) || transparency;
    header->channels = (type & PNG_COLOR_MASK_COLOR) ? 3 : 1;
    header->channels += header->alpha ? 1 : 0;
    return true;
}

bool pngDecode(const Source& file, const Request& request, cv::Mat* image, QString* error)
{
    if (!pngChunksFit(file)) {
        *error = QStringLiteral("the PNG data ends before the picture does (truncated)");
        return false;
    }
    PngReader r;
    r.stream = streamOf(file);
    if (!r.stream || !pngOpen(r, request.keepAlpha, request.keepGray)) {
        *error = r.stream ? pngError(r) : QStringLiteral("cannot read the file");
        return false;
    }
    const int channels = png_get_channels(r.png, r.info);
    const int depth = png_get_bit_depth(r.png, r.info) == 16 ? CV_16U : CV_8U;
    cv::Mat pixels(int(png_get_image_height(r.png, r.info)), int(png_get_image_width(r.png, r.info)),
                   CV_MAKETYPE(depth, channels));
    std::vector<png_bytep> rows(std::size_t(pixels.rows));
    for (int y = 0; y < pixels.rows; ++y)
        rows[std::size_t(y)] = pixels.ptr(y);
    if (!pngRows(r, rows.data())) {
        *error = pngError(r);
        return false;
    }
    *image = pixels;
    return true;
}

// ---- TIFF -------------------------------------------------------------

bool tiffDecode(const Source& source, const Request& request, cv::Mat* image, QString* error)
{
    cv::Mat pixels;
    try {
        const int flags = request.keepAlpha ? cv::IMREAD_UNCHANGED
                                            : cv::IMREAD_COLOR | cv::IMREAD_ANYDEPTH | cv::IMREAD_IGNORE_ORIENTATION;
        if (source.bytes)
            pixels = cv::imdecode(cv::Mat(1, source.bytes->size(), CV_8U, const_cast<char*>(source.bytes->constData())), flags);
        else
            pixels = cv::imread(TSafeFile::samePath(*source.file).toStdString(), flags);
    } catch (const cv::Exception& e) {
        *error = QStringLiteral("cannot decode the TIFF data: %1").arg(QString::fromStdString(e.msg));
        return false;
    }
    if (pixels.empty()) {
        *error = QStringLiteral("cannot decode the TIFF data");
        return false;
    }
    if (pixels.channels() == 2 && !(request.keepGray && request.keepAlpha)) // gray and alpha: the gray
        cv::extractChannel(pixels, pixels, 0);
    if (pixels.channels() == 1 && !request.keepGray)
        cv::cvtColor(pixels, pixels, cv::COLOR_GRAY2BGR);
    *image = pixels;
    return true;
}

} // namespace

namespace TImageDecoders {

bool readHeader(Kind kind, const Source& file, Header* header, QString* error)
{
    switch (kind) {
    case Kind::Jpeg: return jpegHeader(file, header, error);
    case Kind::Png: return pngHeader(file, header, error);
    default: *error = QStringLiteral("no header reader for this format"); return false;
    }
}

bool decode(Kind kind, const Source& file, const Request& request, cv::Mat* image, QString* error)
{
    try {
        switch (kind) {
        case Kind::Jpeg: return jpegDecode(file, request, image, error);
        case Kind::Png: return pngDecode(file, request, image, error);
        case Kind::Tiff: return tiffDecode(file, request, image, error);
        default: *error = QStringLiteral("not a JPEG, TIFF or PNG image"); return false;
        }
    } catch (const cv::Exception& e) {
        // OpenCV reports an allocation that failed this way.
        *error = QStringLiteral("the picture does not fit in memory (%1)").arg(QString::fromStdString(e.msg));
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("the picture does not fit in memory");
    }
    return false;
}

} // namespace TImageDecoders
