#pragma once

#include <QFile>
#include <QSize>
#include <QString>

#include <opencv2/core.hpp>

// The decoders behind TImageIO: JPEG (libjpeg) and PNG (libpng) are read
// from the open file as a stream, header first, so that nothing is decoded
// before the size is known and accepted; TIFF goes through OpenCV. None of
// them writes to the terminal: what goes wrong comes back as the error.
namespace TImageDecoders {

enum class Kind { Unknown, Jpeg, Png, Tiff };

// From the first bytes of a file.
Kind kindOf(const QByteArray& start);

// Where the encoded bytes are: an open file (read as a stream) or bytes
// already read.
struct Source {
    QFile* file = nullptr;
    const QByteArray* bytes = nullptr;
};

struct Header {
    QSize size;        // as stored
    int depth = 8;     // bits per sample: 8 or 16
    int channels = 0;  // stored channels, alpha included
    bool alpha = false;
};

// TIFF headers are not read here (OpenCV has no header reader): false.
bool readHeader(Kind kind, const Source& source, Header* header, QString* error);

struct Request {
    // A JPEG is decoded at 1/2, 1/4 or 1/8 of its size while its longer
    // side stays at least this (0: full size). Others always come whole.
    int minSide = 0;
    // Keep an alpha channel (BGRA) where the file has one; else BGR.
    bool keepAlpha = false;
    // Keep gray as one channel (two with a kept alpha); else made BGR.
    bool keepGray = false;
};

// The pixels, BGR or BGRA, 8 or 16 bits (JPEG: 8, gray made BGR unless kept). A file
// that ends before its pixels do is an error ("truncated").
bool decode(Kind kind, const Source& source, const Request& request, cv::Mat* image, QString* error);

} // namespace TImageDecoders
