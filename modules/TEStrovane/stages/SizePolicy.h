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
};
