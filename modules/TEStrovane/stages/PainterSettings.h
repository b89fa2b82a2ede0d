#pragma once

#include <QSize>
#include <QVector2D>

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
};
