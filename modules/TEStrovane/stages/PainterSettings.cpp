#include "PainterSettings.h"

#include <cmath>

static float stageValue(const QVariantMap& stage, const char* key)
{
    return stage.value(QLatin1String(key)).toFloat();
}

int PainterSettings::batchSize(const QSize& target, float strokeSize)
{
    const double n = double(target.width()) * target.height() * strokeSize;
    if (n < 4000000.0)
        return 512;
    if (n > 8000000.0)
        return 16;
    return int(std::trunc(512.0 - (n - 4000000.0) * 496.0 / 4000000.0));
}

PainterSettings PainterSettings::from(const QVariantMap& stage, const QSize& target)
{
    const float w = float(target.width()), h = float(target.height());
    const float size = stageValue(stage, "stroke.size");
    const float transparent = stageValue(stage, "stroke.transparent");
    PainterSettings s;
    s.imageScale = w > h ? QVector2D(1.0f, w / h) : QVector2D(h / w, 1.0f);
    s.brushScale = QVector2D(stageValue(stage, "stroke.width.scale") + 0.05f,
                             stageValue(stage, "stroke.length.scale") + 0.05f);
    s.strokeAbstract = stageValue(stage, "stroke.abstraction");
    s.strokeSize = size >= 0.5f ? size - 0.4f : (size - 0.5f) * 0.15f + 0.1f;
    s.strokeTransparent = transparent >= 0.5f ? (transparent - 0.5f) * 8.0f : (transparent - 0.5f) * 0.9f * 2.0f;
    s.strokeRotation = float(stageValue(stage, "stroke.rotation") * 3.141592653589793);
    s.strokeRotationJitter = stageValue(stage, "stroke.rotation.jitter");
    s.strokeBalance = stageValue(stage, "stroke.balance");
    s.strokeColorJitter = stageValue(stage, "stroke.color.jitter");
    s.normalScale = stageValue(stage, "stroke.norm") * 2.0f;
    s.balanceScale = float(std::max(target.width(), target.height()) / 1024);
    s.revealSize = stageValue(stage, "reveal.size") * 2.0f;
    s.revealSpread = stageValue(stage, "reveal.spread") * 2.0f;
    s.revealCenter = QVector2D(stageValue(stage, "reveal.center.x") - 0.5f, stageValue(stage, "reveal.center.y") - 0.5f);
    s.light = stageValue(stage, "stroke.lightness");
    s.lightdir = QVector2D(stageValue(stage, "bg.canvas.texture.xdir") - 0.5f,
                           stageValue(stage, "bg.canvas.texture.ydir") - 0.5f);
    s.backgroundType = stageValue(stage, "bg.type") != 0.0f ? 1 : 0;
    s.strokesPerBatch = batchSize(target, size);
    return s;
}
