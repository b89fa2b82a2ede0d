#pragma once

#include "TSMat.h"

#include <QString>

// Reading and writing photographs: JPEG, TIFF and PNG, 8 or 16 bit, EXIF
// orientation applied on reading.
namespace TImageIO {

// A missing, truncated or undecodable file is an error, never a partial
// image.
STROBASE_EXPORT bool load(const QString& path, TSMat* image, QString* error);
// The format follows the extension (.png, .jpg/.jpeg, .tif/.tiff); depth 8
// or 16 (16 only for PNG and TIFF). Written to a temporary file beside the
// target and renamed into place.
STROBASE_EXPORT bool save(const QString& path, const cv::Mat& image, int depth, QString* error);

} // namespace TImageIO
