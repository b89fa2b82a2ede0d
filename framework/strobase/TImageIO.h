#pragma once

#include "TSMat.h"

#include <QString>
#include <QVariantMap>

// Reading and writing photographs: JPEG, TIFF and PNG, 8 or 16 bit. Reading
// turns the image upright by its EXIF orientation and converts an embedded
// colour profile to the sRGB working space. Writing embeds the profile of
// the chosen space, can carry the EXIF, IPTC and XMP of a source file over,
// and goes to a temporary file renamed into place: a failure leaves any
// existing file as it was.
namespace TImageIO {

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

    // From the keys of the save dialogs' metadata map ("JPEG_QUALITY",
    // "TIFF_COMPRESSION", "PNG_BITDEPTH", "COLOR_SPACE", ...). False with a
    // reason for a value it cannot read.
    static bool fromMetaData(const QVariantMap& metaData, SaveOptions* options, QString* error);
};

// A missing, truncated or undecodable file is an error, never a partial
// image.
STROBASE_EXPORT bool load(const QString& path, TSMat* image, QString* error);
// The format follows the extension (.png, .jpg/.jpeg, .tif/.tiff).
STROBASE_EXPORT bool save(const QString& path, const cv::Mat& image, const SaveOptions& options, QString* error);
STROBASE_EXPORT bool save(const QString& path, const cv::Mat& image, int depth, QString* error);
// The bits per sample (8 or 16) and the channels of an image file as
// stored; false when it cannot be read.
STROBASE_EXPORT bool storedLayout(const QString& path, int* depth, int* channels);

} // namespace TImageIO
