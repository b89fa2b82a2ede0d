#pragma once

#include <QSize>

// The sizes one request works at. The flow field and the stroke placement
// are made at most kWorkingSide pixels on the longest side; the painting at
// the request's size, or at most kWorkingSide in low-resolution mode.
struct SizePolicy {
    static constexpr int kWorkingSide = 2048;

    QSize preprocessing;        // the photograph reduced for the flow field
    float preprocessingScale;   // its longest side / kWorkingSide
    QSize working;              // the size painted at
    double reduction;           // working / request size (1: none)

    static SizePolicy of(const QSize& input, const QSize& request, bool lowResolution);

    // The peak memory of an output request on an input of this size painted
    // at working size: the process and the GL driver's own, then per pixel
    // of the input and of the painting (measured with llvmpipe: 1000 to
    // 8000 pixels square, full size and at a quarter, stay below it).
    static qint64 memoryOf(const QSize& input, const QSize& working);
};
