#include "PainterSettings.h"

#include "../StrovaneValues.h"

#include <algorithm>
#include <cmath>
#include <numeric>

int PainterSettings::batchSize(const QSize& target, float strokeSize)
{
    const double n = double(target.width()) * target.height() * strokeSize;
    if (n < 4000000.0)
        return 512;
    if (n > 8000000.0)
        return 16;
    return int(std::trunc(512.0 - (n - 4000000.0) * 496.0 / 4000000.0));
}

double PainterSettings::overdraw(const std::vector<float>& squares, const QSize& target, double frameAspect) const
{
    const double w = std::max(target.width(), 1), h = std::max(target.height(), 1);
    // The vertex stage's quad is strokeSize * imageScale * size * frame
    // scale in clip space, whose area is 4; taken as a square in pixels,
    // of which only what lies on the target costs.
    const double frame = (1.0 + brushScale.x()) * (1.0 + brushScale.y()) * frameAspect;
    const double pixelsPerSquare = double(strokeSize) * strokeSize * imageScale.x() * imageScale.y() * frame * w * h / 4.0;
    double covered = 0;
    for (float square : squares) {
        const double side = std::sqrt(square * pixelsPerSquare);
        covered += std::min(side, w) * std::min(side, h);
    }
    return covered / (w * h);
}

double PainterSettings::reach(float size, double widestFrame, const QSize& target) const
{
    // The quad's corners lie half a diagonal of the frame scale from its
    // centre in clip space; imageScale makes a clip-space unit the same
    // number of pixels both ways: half the longest side.
    const double frame = std::max(1.0 + brushScale.y(), widestFrame * (1.0 + brushScale.x()));
    const double halfDiagonal = std::sqrt(0.5) * std::abs(double(strokeSize)) * std::abs(double(size)) * frame;
    return halfDiagonal * std::max(imageScale.x(), imageScale.y()) * std::min(target.width(), target.height()) / 2.0;
}

float PainterSettings::keepAreaFor(const std::vector<float>& squares, double fraction)
{
    if (fraction >= 1.0 || squares.empty())
        return 0.0f;
    const double sum = std::accumulate(squares.begin(), squares.end(), 0.0);
    const double target = std::max(fraction, 0.0) * sum;
    // Clipping the k largest at c: k c + (the rest) = target, with c no
    // smaller than the (k+1)-th.
    double rest = sum;
    for (size_t k = 1; k <= squares.size(); ++k) {
        rest -= squares[k - 1];
        const double c = (target - rest) / double(k);
        if (c >= (k < squares.size() ? double(squares[k]) : 0.0))
            return float(std::max(c, 1e-12));
    }
    return 1e-12f;
}

PainterSettings PainterSettings::from(const StrovaneValues& v, const QSize& target)
{
    const float w = float(target.width()), h = float(target.height());
    const float size = v.stroke_brush_size;
    const float transparent = v.stroke_paint_opacity;
    PainterSettings s;
    s.imageScale = w > h ? QVector2D(1.0f, w / h) : QVector2D(h / w, 1.0f);
    s.brushScale = QVector2D(v.stroke_width + 0.05f, v.stroke_length + 0.05f);
    s.strokeAbstract = v.stroke_abstraction;
    s.strokeSize = size >= 0.5f ? size - 0.4f : (size - 0.5f) * 0.15f + 0.1f;
    s.strokeTransparent = transparent >= 0.5f ? (transparent - 0.5f) * 8.0f : (transparent - 0.5f) * 0.9f * 2.0f;
    s.strokeRotation = float(v.stroke_rotation * 3.141592653589793);
    s.strokeRotationJitter = v.stroke_rotation_jitter;
    s.strokeBalance = balanceStageValue(v.stroke_balance);
    s.strokeColorJitter = v.stroke_color_jitter;
    s.normalScale = v.stroke_paint_volume * 2.0f;
    s.balanceScale = float(std::max(target.width(), target.height()) / 1024);
    s.revealSize = v.reveal_size * 2.0f;
    s.revealSpread = v.reveal_spread * 2.0f;
    s.revealCenter = QVector2D(float(v.reveal_center.x()) - 0.5f, float(v.reveal_center.y()) - 0.5f);
    s.light = v.stroke_lightness;
    s.lightdir = QVector2D(float(v.bg_canvas_texture_dir.x()) - 0.5f, float(v.bg_canvas_texture_dir.y()) - 0.5f);
    s.backgroundType = v.bg_type ? 1 : 0;
    s.strokesPerBatch = batchSize(target, size);
    return s;
}
