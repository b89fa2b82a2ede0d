#pragma once

#include "TSMat.h"

#include <QSize>
#include <QString>
#include <QVariantMap>

#include <functional>

// Reading and writing photographs: JPEG, TIFF and PNG, 8 or 16 bit. Reading
// turns the image upright by its EXIF orientation and converts an embedded
// colour profile to the sRGB working space. Writing embeds the profile of
// the chosen space, can carry the EXIF, IPTC and XMP of a source file over,
// and goes to a temporary file renamed into place: a failure leaves any
// existing file as it was.
namespace TImageIO {

// The largest brush atlas or canvas image, on either side: sixteen times
// the area of the ones the program ships.
constexpr int kMaxTextureSide = 4096;

enum class TiffCompression { None, Lzw, Zip };

struct STROBASE_EXPORT SaveOptions {
    int depth = 8;                 // 8 or 16; JPEG holds 8 only
    int jpegQuality = 95;          // 0..100
    bool jpegOptimized = false;    // optimised Huffman tables
    bool jpegProgressive = false;
    TiffCompression tiffCompression = TiffCompression::Lzw;
    bool saveAlpha = false;        // PNG and TIFF: keep or add an alpha channel
    int pngCompression = 6;        // zlib level 0..9
    bool pngInterlace = false;     // Adam7
    bool adobeRGB = false;         // else sRGB
    QString metadataSource;        // file whose EXIF, IPTC and XMP are carried over
    // For a host that hands the picture back in its own space: the pixels
    // are already in iccProfile's space and go out unconverted with it
    // embedded as is (none when empty; adobeRGB unused), and gray (one
    // channel, two with alpha) is written as gray.
    bool asStored = false;
    QByteArray iccProfile;
    // "jpg", "png" or "tif" when the format is not the path's extension's.
    QString format;

    // From the keys of the save dialogs' metadata map ("JPEG_QUALITY",
    // "TIFF_COMPRESSION", "PNG_BITDEPTH", "COLOR_SPACE", ...). False with a
    // reason for a value it cannot read.
    static bool fromMetaData(const QVariantMap& metaData, SaveOptions* options, QString* error);
};

struct STROBASE_EXPORT LoadOptions {
    // A JPEG is decoded at 1/2, 1/4 or 1/8 of its size while its longer
    // side stays at least this (0: full size); for work that reduces it.
    int minSide = 0;
    // Called with the picture's size before anything is decoded: false,
    // with the reason, refuses it (the caller's estimate of its own work).
    std::function<bool(const QSize& size, QString* why)> accept;
    // Set: the pixels as stored (turned upright only), in the file's own
    // colour space, gray as one channel and alpha kept (BGRA, or gray and
    // alpha); the embedded profile's bytes, empty without one, go here.
    // Null: converted into the working space, BGR.
    QByteArray* storedProfile = nullptr;
};

// A missing, truncated or undecodable file is an error, never a partial
// image; so is anything but a regular file (a FIFO or device is refused at
// once), and a picture whose decoding needs more memory than the machine
// can give (the message says how much). Only the header is read before
// that is decided; the pixels are decoded from the file as they come.
STROBASE_EXPORT bool load(const QString& path, TSMat* image, QString* error);
STROBASE_EXPORT bool load(const QString& path, TSMat* image, QString* error, const LoadOptions& options);
// A brush atlas or canvas image as stored (BGR or BGRA, no colour
// conversion); refused, before decoding, when a side exceeds maxSide.
STROBASE_EXPORT bool loadTexture(const QString& path, int maxSide, cv::Mat* image, QString* error);
// The same from the bytes of such a file.
STROBASE_EXPORT bool decodeTexture(const QByteArray& bytes, int maxSide, cv::Mat* image, QString* error);
// The format follows the extension (.png, .jpg/.jpeg, .tif/.tiff). A path
// that is a symbolic link is refused: the link is never written through.
STROBASE_EXPORT bool save(const QString& path, const cv::Mat& image, const SaveOptions& options, QString* error);
STROBASE_EXPORT bool save(const QString& path, const cv::Mat& image, int depth, QString* error);
// The format of an image file by its content: "jpg", "png" or "tif"; empty
// when it is none of them or cannot be read.
STROBASE_EXPORT QString formatOf(const QString& path);
// The bits per sample (8 or 16) and the channels of an image file as
// stored; false when it cannot be read.
STROBASE_EXPORT bool storedLayout(const QString& path, int* depth, int* channels);

} // namespace TImageIO
