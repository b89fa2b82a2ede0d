#pragma once

#include <QSize>
#include <QVector2D>

#include <vector>

struct StrovaneValues;

// What the painting stage derives from the parameters for the painter
// pass, for a target of the given size.
struct PainterSettings {
    QVector2D imageScale;
    QVector2D brushScale;
    float strokeAbstract;
    float strokeSize;
    float strokeTransparent;
    float strokeRotation;
    float strokeRotationJitter;
    float strokeBalance;
    float strokeColorJitter;
    float normalScale;
    float balanceScale;
    float revealSize;
    float revealSpread;
    QVector2D revealCenter;
    float light;
    QVector2D lightdir;
    int backgroundType;
    int strokesPerBatch;

    static PainterSettings from(const StrovaneValues& values, const QSize& target);
    // Fewer instances per draw call for large images with large strokes, so
    // that each call stays short: 512 up to 4 million, 16 from 8 million.
    static int batchSize(const QSize& target, float strokeSize);

    // How many times strokes of these squared sizes would cover a target
    // of this size: the sum of their quads' areas inside it over its area.
    // frameAspect is the brush frames' mean width over height.
    double overdraw(const std::vector<float>& squares, const QSize& target, double frameAspect) const;
    // The keepArea (see PainterPass::setKeepArea) that leaves strokes of
    // these squared sizes (largest first) `fraction` of their sum, taken
    // from the largest: the small strokes that carry the detail stay, the
    // large ones under them thin out. 0 keeps all.
    // How far from its centre, in pixels of a target of this size, the quad
    // of a stroke of this size may reach, on brush frames no wider than
    // widestFrame (width over height).
    double reach(float size, double widestFrame, const QSize& target) const;
    static float keepAreaFor(const std::vector<float>& squaresLargestFirst, double fraction);
};
